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
    int32_t acceleration = 0, flag = 0;
    ApplyAccelerationValues(1, 6, 0, acceleration, flag);
    EXPECT_EQ(8, acceleration);
    EXPECT_EQ(1, flag);

    // The system's own defaults 1, 6, 10 are no row of ours: Acceleration stays, the flag follows it.
    acceleration = 13;
    flag = 0;
    ApplyAccelerationValues(1, 6, 10, acceleration, flag);
    EXPECT_EQ(13, acceleration);
    EXPECT_EQ(1, flag);
    acceleration = 2;
    flag = 1;
    ApplyAccelerationValues(1, 6, 10, acceleration, flag);
    EXPECT_EQ(2, acceleration);
    EXPECT_EQ(0, flag);

    // Acceleration off.
    acceleration = 8;
    flag = 1;
    ApplyAccelerationValues(0, 0, 0, acceleration, flag);
    EXPECT_EQ(0, acceleration);
    EXPECT_EQ(0, flag);

    // Smaller thresholds than a row's still match it; the last such row wins.
    ApplyAccelerationValues(2, 0, 0, acceleration, flag);
    EXPECT_EQ(19, acceleration);
    EXPECT_EQ(1, flag);
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
