// The fire dialog's corrections when a box loses the focus.
#include "option/pages/fire_values.h"

#include <gtest/gtest.h>

TEST(FireValues, RangesAndTheIntervalFloorUnlessTheFocusStaysInItsBox) {
    FireCorrection c = CorrectFireValues({"0", "3"}, false);
    EXPECT_EQ(0, c.valueA);
    EXPECT_FALSE(c.changeA); // a value A of 0 stays 0
    EXPECT_EQ(5, c.valueB);
    EXPECT_TRUE(c.changeB);

    c = CorrectFireValues({"300", "300"}, false);
    EXPECT_EQ(255, c.valueA);
    EXPECT_EQ(255, c.valueB);
    EXPECT_TRUE(c.changeA && c.changeB);

    // While the user is still typing into the interval box, 3 may be the start of 30; only 0 is lifted to 1.
    c = CorrectFireValues({"12", "3"}, true);
    EXPECT_EQ(3, c.valueB);
    EXPECT_FALSE(c.changeB);
    c = CorrectFireValues({"", ""}, true);
    EXPECT_EQ(0, c.valueA);
    EXPECT_EQ(1, c.valueB);
    EXPECT_FALSE(c.changeA); // an empty box reads as 0: nothing to show
    EXPECT_TRUE(c.changeB);

    // Leading numbers: what follows the digits does not count.
    c = CorrectFireValues({"7x", "40abc"}, false);
    EXPECT_EQ(7, c.valueA);
    EXPECT_EQ(40, c.valueB);
}
