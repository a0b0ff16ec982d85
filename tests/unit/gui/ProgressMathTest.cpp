#include "kit/ProgressMath.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>
#include <limits>

using namespace app;
using testing_support::errorOf;

TEST(ProgressMath, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(errorOf([] { roundHalfEven(3e9); }), 6);
}

TEST(ProgressMath, CounterAdvancesAndIsClampedToTheScale) {
    int32_t progress = 3;
    advanceCounter(progress, 2, 10);
    EXPECT_EQ(progress, 5);
    advanceCounter(progress, 20, 10);
    EXPECT_EQ(progress, 10);
    // The scale width is rounded half to even when it clamps.
    progress = 0;
    advanceCounter(progress, 5, 2.5);
    EXPECT_EQ(progress, 2);
    progress = 0;
    advanceCounter(progress, 5, 3.5);
    EXPECT_EQ(progress, 4);
    // A scale without width does not clamp.
    progress = 7;
    advanceCounter(progress, 1, 0);
    EXPECT_EQ(progress, 8);
}

TEST(ProgressMath, CounterOverflowIsAnErrorAndChangesNothing) {
    int32_t progress = std::numeric_limits<int32_t>::max() - 1;
    EXPECT_EQ(errorOf([&] { advanceCounter(progress, 2, 1e12); }), 6);
    EXPECT_EQ(progress, std::numeric_limits<int32_t>::max() - 1);
    progress = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(errorOf([&] { advanceCounter(progress, -1, 10); }), 6);
    EXPECT_EQ(progress, std::numeric_limits<int32_t>::min());
    // Up to the last value is fine.
    progress = std::numeric_limits<int32_t>::max() - 1;
    advanceCounter(progress, 1, 0);
    EXPECT_EQ(progress, std::numeric_limits<int32_t>::max());
}

TEST(ProgressMath, PercentRoundsHalvesToEven) {
    EXPECT_EQ(percentOf(1, 8), 12);  // 12.5
    EXPECT_EQ(percentOf(3, 8), 38);  // 37.5
    EXPECT_EQ(percentOf(2, 3), 67);
    EXPECT_EQ(percentOf(8, 8), 100);
    EXPECT_EQ(percentOf(5, 0), 0);
    EXPECT_EQ(percentText(42), QStringLiteral("42%"));
}

TEST(ProgressMath, TextIsCentredByRoundingThenDroppingTheRemainder) {
    // free space 7 -> 3 (remainder dropped), free height 9 -> 4
    ProgressFrame f = frameFor(4, 10, 20, 3, 11);
    EXPECT_TRUE(f.drawable);
    EXPECT_EQ(f.textX, 3);
    EXPECT_EQ(f.textY, 4);
    EXPECT_EQ(f.filled, 4);
    EXPECT_EQ(f.text, QStringLiteral("40%"));
    // 7.5 rounds to 8 -> 4; 6.5 rounds to 6 -> 3
    EXPECT_EQ(frameFor(0, 10, 20, 2.5, 0).textX, 4);
    EXPECT_EQ(frameFor(0, 10, 20, 3.5, 0).textX, 3);
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
