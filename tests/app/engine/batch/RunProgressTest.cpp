// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engine/batch/RunProgress.h"

#include <gtest/gtest.h>

using app::TRunProgress;

// A file of three minutes moves the run three times as far as one of a minute,
// and the time left scales the time so far by the share still to do.
TEST(RunProgressTest, KnownLengthsWeighTheirFilesAndGiveTheTimeLeft)
{
    TRunProgress Run;
    Run.Start({60, 180});
    EXPECT_EQ(Run.Snapshot(0).RemainingMs, -1); // nothing done yet to measure by
    Run.StartFile(0);
    Run.SetFilePercent(0, 50); // 30 s of 240
    auto Shot = Run.Snapshot(1000);
    EXPECT_EQ(Shot.Done, 0);
    EXPECT_EQ(Shot.Converting, 1);
    EXPECT_EQ(Shot.Files, 2);
    EXPECT_EQ(Shot.Percent, 12);
    EXPECT_EQ(Shot.RemainingMs, 7000);
    Run.FinishFile(0);
    Run.StartFile(1);
    Run.SetFilePercent(1, 50); // 150 s of 240
    Shot = Run.Snapshot(10000);
    EXPECT_EQ(Shot.Done, 1);
    EXPECT_EQ(Shot.Percent, 62);
    EXPECT_EQ(Shot.RemainingMs, 6000);
    // A file at 100 % still converts: the run reads 100 only once it ends.
    Run.SetFilePercent(1, 100);
    EXPECT_EQ(Run.Snapshot(16000).Percent, 99);
    Run.FinishFile(1);
    EXPECT_EQ(Run.Snapshot(16000).Percent, 100);
    EXPECT_EQ(Run.Snapshot(16000).RemainingMs, 0);
}

TEST(RunProgressTest, FilesOfUnknownLengthCountAsAnAverageFileOrByFile)
{
    TRunProgress Mixed;
    Mixed.Start({100, 0, 300}); // the unknown one weighs 200 of 600
    Mixed.StartFile(1);
    Mixed.SetFilePercent(1, 50);
    EXPECT_DOUBLE_EQ(Mixed.Done(), 100.0 / 600);
    TRunProgress Unknown;
    Unknown.Start({0, -1, 0, 0});
    Unknown.StartFile(0);
    Unknown.FinishFile(0);
    EXPECT_EQ(Unknown.Snapshot(5000).Percent, 25);
}

// Files converting at once each add their share; the row kept in sight is the
// furthest down of those converting.
TEST(RunProgressTest, FilesConvertingAtOnceEachAddTheirShare)
{
    TRunProgress Run;
    Run.Start({60, 180, 60});
    Run.StartFile(0);
    Run.StartFile(1);
    Run.SetFilePercent(0, 50);
    Run.SetFilePercent(1, 50); // 30 + 90 s of 300
    auto Shot = Run.Snapshot(0);
    EXPECT_EQ(Shot.Percent, 40);
    EXPECT_EQ(Shot.Converting, 2);
    EXPECT_EQ(Shot.Row, 1);
    Run.FinishFile(1);
    Shot = Run.Snapshot(0);
    EXPECT_EQ(Shot.Percent, 70);
    EXPECT_EQ(Shot.Row, 0);
    EXPECT_EQ(Shot.Done, 1);
}
