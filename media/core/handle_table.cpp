// handle_table.cpp - slot search, check numbers and range-checked lookup for every
// kind of handle (see handle_table.h). Touches nothing but the table it is given.
#include "media/core/handle_table.h"

namespace {

bool SlotInRange(const HandleTable* t, int slot) {
    return slot >= 0 && slot < t->capacity;
}

int FindSlot(const HandleTable* t) {
    if (t->search == HANDLE_SEARCH_HIGH_WATER && t->nextIndex < t->capacity) return t->nextIndex;
    for (int i = 0; i < t->capacity; ++i)
        if (!t->slots[i].record) return i;
    return -1;
}

}  // namespace

void HandleTableReset(HandleTable* t) {
    for (int i = 0; i < t->capacity; ++i) t->slots[i] = HandleSlot{nullptr, 0};
    t->count = 0;
    t->nextIndex = 0;
    t->checkCounter = 0;
}

int HandleAdd(HandleTable* t, void* record, int slot, int check) {
    if (!record || t->count >= t->capacity) return -1;
    if (check < -1 || check >= kHandleCheckLimit) return -1;
    if (slot == -1) slot = FindSlot(t);
    if (!SlotInRange(t, slot) || t->slots[slot].record) return -1;
    if (check == -1) {
        check = t->checkCounter;
        t->checkCounter = (t->checkCounter + 1) % kHandleCheckLimit;
    }
    t->slots[slot] = HandleSlot{record, static_cast<uint16_t>(check)};
    ++t->count;
    if (slot >= t->nextIndex) t->nextIndex = slot + 1;
    return HandleCompose(t->kind, check, slot);
}

int HandleSlotOf(const HandleTable* t, int handle) {
    if (handle < 0 || (handle & kHandleKindMask) != t->kind) return -1;
    int slot = handle & 0xFFFF;
    if (!SlotInRange(t, slot)) return -1;
    const HandleSlot& s = t->slots[slot];
    if (!s.record || s.check != ((handle >> 16) & (kHandleCheckLimit - 1))) return -1;
    return slot;
}

void* HandleGet(const HandleTable* t, int handle) {
    int slot = HandleSlotOf(t, handle);
    return slot < 0 ? nullptr : t->slots[slot].record;
}

int HandleRemove(HandleTable* t, int handle) {
    int slot = HandleSlotOf(t, handle);
    if (slot < 0) return -1;
    t->slots[slot] = HandleSlot{nullptr, 0};
    --t->count;
    if (slot + 1 == t->nextIndex) {
        while (t->nextIndex > 0 && !t->slots[t->nextIndex - 1].record) --t->nextIndex;
    }
    return 0;
}

void* HandleRecordAt(const HandleTable* t, int slot) {
    return SlotInRange(t, slot) ? t->slots[slot].record : nullptr;
}

int HandleAt(const HandleTable* t, int slot) {
    if (!SlotInRange(t, slot) || !t->slots[slot].record) return -1;
    return HandleCompose(t->kind, t->slots[slot].check, slot);
}
