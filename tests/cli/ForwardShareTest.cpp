// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ForwardShare.h"

#include <gtest/gtest.h>

#include <vector>

// The measure of a run of 23 files: counted alike up to 38 % at the ninth
// file, then weighed by duration at 16 %, and on to the end, with a smaller
// drop on the way.
TEST(ForwardShare, NeverGoesBackKeepsMovingAndEndsFull)
{
    cli::TForwardShare Shown;
    EXPECT_DOUBLE_EQ(Shown.Next(0.2), 0.2) << "no drop yet: the measure as it is";
    EXPECT_DOUBLE_EQ(Shown.Next(0.38), 0.38);
    EXPECT_DOUBLE_EQ(Shown.Next(0.16), 0.38);
    EXPECT_GT(Shown.Next(0.17), 0.38) << "moves on with the run, not frozen until the measure is back at 38 %";
    double Last = 0.38;
    for (const double Measured : {0.3, 0.25, 0.5, 0.8, 0.99}) {
        const double Next = Shown.Next(Measured);
        EXPECT_GE(Next, Last) << Measured;
        EXPECT_LT(Next, 1) << Measured;
        Last = Next;
    }
    EXPECT_DOUBLE_EQ(Shown.Next(1), 1);
    EXPECT_DOUBLE_EQ(Shown.Next(1.2), 1);
}
