// The pumping wait ends as soon as the pump reports the end. It starts the layer,
// whose end, once requested, lasts for the process: so it has its own executable.
#include <gtest/gtest.h>

#include "pavex.h"
#include "tests/support/scripted.h"
#include "tests/support/temp_dir.h"

TEST(Wait, EndsAtOnceWhenThePumpReportsTheEnd) {
    TempDir dir;
    script::Reset(0);
    SetAllowDoubleStart(1);
    ChangeWindowMode(1);
    ASSERT_EQ(InitMediaLayer(), 0);
    script::RequestClose();
    uint32_t before = script::NowMs();
    EXPECT_EQ(WaitMilliseconds(1000), 0);
    EXPECT_LT(script::NowMs() - before, 1000u) << "the wait went on after the window closed";
    EXPECT_EQ(ProcessMessage(), -1);
    EndMediaLayer();
}
