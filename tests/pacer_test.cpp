#include <gtest/gtest.h>

#include "game/pacer.h"

namespace {

TEST(FramePacer, DeadlinesMakeSixtyFramesASecondWithoutDrift) {
    FramePacer pacer;
    const Uint32 start = 1000;
    Uint32 now = start;
    for (int frame = 0; frame < 60; ++frame) {
        Uint32 wait = pacer.NextWait(now);
        EXPECT_LE(wait, 16u) << frame;
        now += wait + 2; // 2 ms of work per frame
    }
    EXPECT_EQ(now - 2, start + 1000); // 60 frames: exactly one second
}

TEST(FramePacer, ALateFrameStartsTheCountFromNow) {
    FramePacer pacer;
    EXPECT_EQ(pacer.NextWait(0), 16u);
    EXPECT_EQ(pacer.NextWait(100), 0u); // far too late: no rushing after
    EXPECT_EQ(pacer.NextWait(101), 16u);
}

} // namespace
