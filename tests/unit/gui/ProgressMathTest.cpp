// The progress strip's arithmetic; rounding is half to even throughout (the
// percentages and the clamped scale show it). Overflow needs more than 2^31
// rows and is left to the code.
#include "kit/ProgressMath.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace kit;

TEST(ProgressMath, CounterAdvancesAndIsClampedToTheScale) {
    const struct { int32_t start, step; double width; int32_t after; } cases[] = {
        {3, 2, 10, 5}, {5, 20, 10, 10},
        {0, 5, 2.5, 2}, {0, 5, 3.5, 4},  // the scale width is rounded half to even when it clamps
        {7, 1, 0, 8},  // a scale without width does not clamp
    };
    for (const auto& c : cases) {
        int32_t progress = c.start;
        advanceCounter(progress, c.step, c.width);
        EXPECT_EQ(progress, c.after) << c.start << " + " << c.step << " on " << c.width;
    }
}

TEST(ProgressMath, PercentRoundsHalvesToEven) {
    // 1/8 is 12.5, 3/8 is 37.5
    const std::tuple<int32_t, double, int> cases[] = {{1, 8, 12}, {3, 8, 38}, {2, 3, 67}, {8, 8, 100}, {5, 0, 0}};
    for (const auto& [part, whole, percent] : cases)
        EXPECT_EQ(percentOf(part, whole), percent) << part << "/" << whole;
}

TEST(ProgressMath, TextIsCentredByRoundingThenDroppingTheRemainder) {
    // free space 7 -> 3 (remainder dropped), free height 9 -> 4
    ProgressFrame f = frameFor(4, 10, 20, 3, 11);
    EXPECT_TRUE(f.drawable);
    EXPECT_EQ(f.textX, 3);
    EXPECT_EQ(f.textY, 4);
    EXPECT_EQ(f.filled, 4);
    EXPECT_EQ(f.text, QStringLiteral("40%"));
    // A text wider than the strip: -3 / 2 truncates to -1.
    EXPECT_EQ(frameFor(0, 2, 20, 5, 0).textX, -1);
}

TEST(ProgressMath, AStripWithoutWidthDrawsNothing) {
    for (double width : {0.0, -4.0}) {
        const ProgressFrame f = frameFor(3, width, 20, 5, 10);
        EXPECT_FALSE(f.drawable);
        EXPECT_TRUE(f.text.isEmpty());
        EXPECT_EQ(f.filled, 0);
    }
}
