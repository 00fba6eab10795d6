// The slot table behind every kind of handle: layout, check numbers, stale and
// foreign handles, the two slot searches, a full table.
#include <gtest/gtest.h>

#include <vector>

#include "media/core/handle_table.h"

namespace {

struct Table {
    std::vector<HandleSlot> slots;
    HandleTable t;
    int records[8] = {};
    Table(int kind, int capacity, HandleSearch search)
        : slots(capacity), t{kind, capacity, search, slots.data(), 0, 0, 0} {
        HandleTableReset(&t);
    }
    int Add(int slot = -1, int check = -1) { return HandleAdd(&t, &records[0], slot, check); }
};

TEST(HandleTable, LayoutCheckNumbersAndRefusals) {
    Table g(kHandleGraphic, 32768, HANDLE_SEARCH_HIGH_WATER);
    EXPECT_EQ(g.Add(), kHandleGraphic);  // slot 0, check 0
    const int h1 = g.Add();
    EXPECT_EQ(h1, (1 << 27) | (1 << 16) | 1);
    EXPECT_EQ(HandleGet(&g.t, h1), &g.records[0]);
    EXPECT_EQ(HandleSlotOf(&g.t, h1), 1);
    // Another kind, another check number, beyond the table, a free slot.
    for (int bad : {-1, (h1 & ~kHandleKindMask) | kHandleSound, h1 ^ (1 << 16),
                    kHandleGraphic | 40000, kHandleGraphic | 7})
        EXPECT_EQ(HandleGet(&g.t, bad), nullptr) << bad;

    ASSERT_EQ(HandleRemove(&g.t, h1), 0);
    EXPECT_EQ(HandleRemove(&g.t, h1), -1);  // stale now
    const int again = g.Add();              // slot 1 again, with the next check number
    EXPECT_EQ(HandleSlotOf(&g.t, again), 1);
    EXPECT_EQ(HandleGet(&g.t, h1), nullptr);
    EXPECT_NE(HandleGet(&g.t, again), nullptr);
    EXPECT_EQ(g.t.count, 2);
}

// The check counter wraps after 2047; then the high-water mark, the lowest free slot
// below it, a full table.
TEST(HandleTable, CheckCounterWrapsThenHighWaterMarkLowestFreeAndAFullTable) {
    Table s(kHandleSound, 4, HANDLE_SEARCH_HIGH_WATER);
    int last = -1;
    for (int i = 0; i < 2048; ++i) {
        last = s.Add();
        ASSERT_GE(last, 0);
        ASSERT_EQ(HandleRemove(&s.t, last), 0);
    }
    EXPECT_EQ((last >> 16) & 2047, 2047);
    const int wrapped = s.Add();
    EXPECT_EQ(wrapped, last & ~(2047 << 16));  // same slot, check 0: the stale one would pass
    int h[4] = {wrapped, s.Add(), s.Add(), s.Add()};
    EXPECT_EQ(s.Add(), -1);  // full
    HandleRemove(&s.t, h[1]);
    HandleRemove(&s.t, h[0]);
    EXPECT_EQ(HandleSlotOf(&s.t, s.Add()), 0);  // the mark stands at 4: lowest free
    HandleRemove(&s.t, h[3]);
    HandleRemove(&s.t, h[2]);
    EXPECT_EQ(s.t.nextIndex, 1);  // the top slot freed: the mark drops past slot 1
    EXPECT_EQ(HandleSlotOf(&s.t, s.Add()), 1);
    EXPECT_EQ(HandleSlotOf(&s.t, s.Add()), 2);
}

TEST(HandleTable, LowestFreeSearchAndChosenSlotOrCheck) {
    Table f(kHandleFont, 40, HANDLE_SEARCH_LOWEST_FREE);
    f.Add();
    const int b = f.Add();
    f.Add();
    HandleRemove(&f.t, b);
    EXPECT_EQ(HandleSlotOf(&f.t, f.Add()), 1);  // not the mark at 3
    EXPECT_EQ(f.Add(2), -1);                    // slot taken
    EXPECT_EQ(f.Add(40), -1);                   // out of range
    const int chosen = f.Add(7, 100);
    EXPECT_EQ(chosen, kHandleFont | (100 << 16) | 7);
    EXPECT_EQ((f.Add() >> 16) & 2047, 4);  // an explicit check number leaves the counter
    EXPECT_EQ(HandleAt(&f.t, 7), chosen);
    EXPECT_EQ(HandleAt(&f.t, 6), -1);
    EXPECT_EQ(f.Add(-1, 2048), -1);
}

}  // namespace
