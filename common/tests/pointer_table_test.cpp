#include "common/pointer_table.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
void ExpectRow(int speed, int t1, int t2, AccelerationRow row) {
    EXPECT_EQ(speed, row.speed);
    EXPECT_EQ(t1, row.threshold1);
    EXPECT_EQ(t2, row.threshold2);
}
} // namespace

TEST(AccelerationTable, RowsAndTheirEnds) {
    ExpectRow(0, 0, 0, AccelerationTableRow(0));
    ExpectRow(1, 13, 0, AccelerationTableRow(1));
    ExpectRow(1, 6, 0, AccelerationTableRow(8));
    ExpectRow(1, 4, 0, AccelerationTableRow(10));
    ExpectRow(2, 4, 13, AccelerationTableRow(11));
    ExpectRow(2, 4, 5, AccelerationTableRow(19));
    // Out-of-range rows from a damaged profile are held at the ends.
    ExpectRow(2, 4, 5, AccelerationTableRow(25));
    ExpectRow(0, 0, 0, AccelerationTableRow(-7));
    ExpectRow(2, 4, 5, AccelerationTableRow(INT_MAX));
    ExpectRow(0, 0, 0, AccelerationTableRow(INT_MIN));
}

TEST(AccelerationTable, RowWrittenFollowsTheFlag) {
    ExpectRow(2, 4, 5, AccelerationRowToWrite(25, 1));
    ExpectRow(1, 6, 0, AccelerationRowToWrite(8, 1));
    for (int acceleration : {0, 8, 19, 25, -1}) {
        ExpectRow(0, 0, 0, AccelerationRowToWrite(acceleration, 0));
    }
    // Any non-zero flag turns acceleration on.
    ExpectRow(1, 6, 0, AccelerationRowToWrite(8, 255));
}

TEST(AccelerationTable, ReverseLookUpFindsEveryWrittenRow) {
    for (int row = 0; row < kAccelerationRowCount; ++row) {
        AccelerationRow r = AccelerationTableRow(row);
        EXPECT_EQ(row, FindAccelerationRow(r.speed, r.threshold1, r.threshold2)) << "row " << row;
    }
}

TEST(AccelerationTable, RegistryValuesIntoTheProfile) {
    // The registry's speed and thresholds, the profile's Acceleration and flag before, and what they become.
    const struct {
        int speed, threshold1, threshold2;
        int32_t acceleration, flag, expectedAcceleration, expectedFlag;
    } cases[] = {
        {1, 6, 0, 0, 0, 8, 1},
        // The system's own defaults 1, 6, 10 are no row of ours: Acceleration stays, the flag follows it.
        {1, 6, 10, 13, 0, 13, 1},
        {1, 6, 10, 2, 1, 2, 0},
        // Acceleration off.
        {0, 0, 0, 8, 1, 0, 0},
        // Smaller thresholds than a row's still match it; the last such row wins.
        {2, 0, 0, 0, 0, 19, 1},
    };
    for (const auto& c : cases) {
        int32_t acceleration = c.acceleration, flag = c.flag;
        ApplyAccelerationValues(c.speed, c.threshold1, c.threshold2, acceleration, flag);
        EXPECT_EQ(c.expectedAcceleration, acceleration) << c.speed << " " << c.threshold1 << " " << c.threshold2;
        EXPECT_EQ(c.expectedFlag, flag) << c.speed << " " << c.threshold1 << " " << c.threshold2;
    }
    EXPECT_EQ(-1, FindAccelerationRow(3, 0, 0));
    EXPECT_EQ(-1, FindAccelerationRow(2, 5, 0));
}

TEST(WheelScrollLines, OneScreenIsMinusOne) {
    EXPECT_EQ(-1, WheelScrollLinesToWrite(3, 1));
    EXPECT_EQ(3, WheelScrollLinesToWrite(3, 0));
    EXPECT_EQ(7, WheelScrollLinesToWrite(7, 2));

    int32_t speed = 3, flag = 0;
    ApplyWheelScrollLines(-1, speed, flag);
    EXPECT_EQ(0, speed);
    EXPECT_EQ(1, flag);
    ApplyWheelScrollLines(5, speed, flag);
    EXPECT_EQ(5, speed);
    EXPECT_EQ(0, flag);
}

TEST(RegistryText, DecimalTextOrZero) {
    EXPECT_EQ(500, RegistryTextToInt("500"));
    EXPECT_EQ(-1, RegistryTextToInt("-1"));
    EXPECT_EQ(12, RegistryTextToInt("  +12"));
    EXPECT_EQ(12, RegistryTextToInt("12abc"));
    EXPECT_EQ(0, RegistryTextToInt("abc"));
    EXPECT_EQ(0, RegistryTextToInt(""));
    EXPECT_EQ(0, RegistryTextToInt("-"));
    EXPECT_EQ(0, RegistryTextToInt(nullptr));
    EXPECT_EQ(INT_MAX, RegistryTextToInt("2147483647"));
    EXPECT_EQ(INT_MIN, RegistryTextToInt("-2147483648"));
    EXPECT_EQ(INT_MAX, RegistryTextToInt("99999999999999999999999"));
    EXPECT_EQ(INT_MIN, RegistryTextToInt("-99999999999999999999999"));
}
