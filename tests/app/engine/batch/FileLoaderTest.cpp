// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/batch/FileLoader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace app;
using namespace autest;

// Rows come in the order given, a batch at a time, and the last report counts
// every file; a second load waits for the first.
TEST(FileLoader, RowsComeInTheOrderGivenWhileTheCallerRuns)
{
    TTempDir Dir;
    QStringList Paths;
    for (int I = 0; I < 300; ++I)
        Paths << QString::fromStdString(Dir.File("f" + std::to_string(I) + ".wma"));
    Paths << Paths.front();
    TFileListModel List;
    TFileLoader Loader(List);
    QList<int> Done;
    int Finished = 0;
    QObject::connect(&Loader, &TFileLoader::Progress, [&](int Count, int Total) {
        EXPECT_EQ(Total, 301);
        Done << Count;
    });
    QObject::connect(&Loader, &TFileLoader::Finished, [&] { ++Finished; });

    ASSERT_TRUE(Loader.Start(Paths));
    EXPECT_FALSE(Loader.Start(Paths));
    EXPECT_TRUE(RunUntil([&] { return Finished > 0; }));
    EXPECT_FALSE(Loader.Busy());
    EXPECT_EQ(Done.last(), 301);
    EXPECT_TRUE(std::is_sorted(Done.begin(), Done.end()));
    ASSERT_EQ(List.Count(), 300) << "the repeated path is refused";
    for (int Row = 0; Row < List.Count(); ++Row)
        EXPECT_EQ(List.Row(Row).Path, Paths[Row]);
    EXPECT_FALSE(List.Row(0).Valid) << "a missing file still gets its row";

    // Loaded again with its repeats kept, the list holds every path twice over.
    ASSERT_TRUE(Loader.Start(Paths, true));
    EXPECT_TRUE(RunUntil([&] { return Finished > 1; }));
    EXPECT_EQ(List.Count(), 601);
    EXPECT_FALSE(Loader.Start({}));
}

// A loader destroyed mid-load waits for its worker and adds nothing more.
TEST(FileLoader, DestroyedWhileLoadingItEndsCleanly)
{
    TFileListModel List;
    {
        TFileLoader Loader(List);
        ASSERT_TRUE(Loader.Start(QStringList(2000, QStringLiteral("/no/such/file.wma"))));
    }
    const int Count = List.Count();
    QCoreApplication::processEvents();
    EXPECT_EQ(List.Count(), Count);
}
