// handle_table.h - the one slot table behind every kind of handle of the library
// (graphics, shared image data, fonts, movies, sounds, connections).
//
// Owns: the handle layout and the slot bookkeeping. A handle is
//   kind tag (bits 27..30, selected by 0x78000000) | check number << 16 | slot
// with an 11-bit check number from a per-table counter that wraps from 2047 to 0.
// A handle is accepted only while its slot is in use and holds the same check
// number, so a stale handle never reaches a reused slot unless exactly 2048 handles
// of the table were made in between. -1 is never a handle.
//
// Each area keeps its table and its slot array in static storage (nothing is
// allocated here) and keeps its own records; the table only maps handles to the
// record pointers the area stores. Callers hold the API lock.
#ifndef PAVEX_CORE_HANDLE_TABLE_H
#define PAVEX_CORE_HANDLE_TABLE_H

#include <stdint.h>

// Kind tags of the layer's handles.
constexpr int kHandleKindMask = 0x78000000;
constexpr int kHandleGraphic = 0x08000000;
constexpr int kHandleSound = 0x10000000;
constexpr int kHandleMovie = 0x18000000;
constexpr int kHandleFont = 0x20000000;
constexpr int kHandleImageData = 0x38000000;
constexpr int kHandleNetwork = 0x48000000;
constexpr int kHandleMusic = 0x58000000;

constexpr int kHandleCheckLimit = 2048;  // check numbers run 0..2047
constexpr int kHandleMaxSlots = 65536;   // the slot field has 16 bits

// How a new handle finds its slot.
enum HandleSearch {
    // At the high-water mark (one past the highest slot in use) while that is below
    // the capacity, otherwise the lowest free slot (graphics, image data, sounds).
    HANDLE_SEARCH_HIGH_WATER,
    // Always the lowest free slot (fonts, movies, connections).
    HANDLE_SEARCH_LOWEST_FREE,
};

struct HandleSlot {
    void* record;    // null: the slot is free
    uint16_t check;  // check number of the handle that owns the slot
};

struct HandleTable {
    int kind;      // one of the kind tags above
    int capacity;  // slots 0 .. capacity-1 (at most kHandleMaxSlots)
    HandleSearch search;
    HandleSlot* slots;  // capacity entries, owned by the area (static storage)
    int count;          // slots in use
    int nextIndex;      // high-water mark: one past the highest slot in use
    int checkCounter;   // check number given to the next handle
};

// Empties every slot and puts the counters back to 0 (records are not touched: the
// area frees them first).
void HandleTableReset(HandleTable* table);

// Takes a slot for `record` (not null). `slot` -1 searches as the table says, else
// that slot must be free; `check` -1 takes the table's counter (which then moves on),
// else that check number (0..2047) is used and the counter stays. Returns the handle,
// or -1 when the table is full, the slot is taken or out of range.
int HandleAdd(HandleTable* table, void* record, int slot = -1, int check = -1);

// The record behind a handle, or null when the handle is not a live handle of this
// table (negative, other kind, slot out of range or free, other check number).
void* HandleGet(const HandleTable* table, int handle);
// The slot of a live handle, or -1.
int HandleSlotOf(const HandleTable* table, int handle);

// Frees the slot of a live handle: 0, or -1 when the handle is not live. The
// high-water mark drops past every free slot below a freed top slot.
int HandleRemove(HandleTable* table, int handle);

// Walking a table: the record in `slot` (null when free or out of range) and the
// handle that owns it (-1 when free).
void* HandleRecordAt(const HandleTable* table, int slot);
int HandleAt(const HandleTable* table, int slot);

// Builds a handle value from its parts (no check against any table).
inline int HandleCompose(int kind, int check, int slot) {
    return kind | ((check & (kHandleCheckLimit - 1)) << 16) | (slot & 0xFFFF);
}

#endif
