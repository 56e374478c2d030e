// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/batch/FileLoader.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QScopedValueRollback>
#include <algorithm>

using namespace app;
using namespace autest;

// Rows come in the order given, a batch at a time, however the probing threads
// finish (files that open take longer than missing ones), and the last report
// counts every file; a second load waits for the first.
TEST(FileLoader, RowsComeInTheOrderGivenWhileTheCallerRuns)
{
    TTempDir Dir;
    const QString Wma = QString::fromStdString(FixturesDir() + "/wild/lossless.wma");
    QStringList Paths;
    for (int I = 0; I < 300; ++I) {
        Paths << QString::fromStdString(Dir.File("f" + std::to_string(I) + ".wma"));
        if (I % 7 == 0) {
            ASSERT_TRUE(QFile::link(Wma, Paths.back()));
        }
    }
    Paths << Paths.front();
    TFileListModel List;
    TFileLoader Loader(List);
    Loader.SetProbeThreads(4);
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
    for (int Row = 0; Row < List.Count(); ++Row) {
        EXPECT_EQ(List.Row(Row).Path, Paths[Row]);
        EXPECT_EQ(List.Row(Row).Valid, Row % 7 == 0) << Row;
    }

    // Loaded again with its repeats kept, the list holds every path twice over.
    ASSERT_TRUE(Loader.Start(Paths, true));
    EXPECT_TRUE(RunUntil([&] { return Finished > 1; }));
    EXPECT_EQ(List.Count(), 601);
    EXPECT_FALSE(Loader.Start({}));
}

// Receivers that run events inside a report, as a modal progress dialog does,
// and start the next load from Finished, as files waiting for the list do:
// every load still ends once, with all its rows in order; a cancel keeps what
// the list showed.
TEST(FileLoader, EveryLoadEndsWhateverItsReceiversDo)
{
    TFileListModel List;
    TFileLoader Loader(List);
    Loader.SetProbeThreads(3);
    const auto Paths = [](char Load) {
        QStringList Names;
        for (int I = 0; I < 400; ++I)
            Names << QStringLiteral("/no/such/%1%2.wma").arg(Load).arg(I);
        return Names;
    };
    QStringList Loads{QStringLiteral("b"), QStringLiteral("c")};
    int Started = 0, Finished = 0, Nested = 0;
    bool Reporting = false;
    QObject::connect(&Loader, &TFileLoader::Started, [&] { ++Started; });
    QObject::connect(&Loader, &TFileLoader::Progress, [&](int, int) {
        Nested += Reporting;
        const QScopedValueRollback<bool> Inside(Reporting, true);
        // Long enough for the next tick and the workers' last call to come due.
        QElapsedTimer Clock;
        Clock.start();
        while (Clock.elapsed() < 2 * TFileLoader::FlushInterval)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    });
    QObject::connect(&Loader, &TFileLoader::Finished, [&] {
        EXPECT_FALSE(Loader.Busy());
        ++Finished;
        if (!Loads.isEmpty()) {
            EXPECT_TRUE(Loader.Start(Paths(Loads.takeFirst().at(0).toLatin1())));
        }
    });
    ASSERT_TRUE(Loader.Start(Paths('a')));
    ASSERT_TRUE(RunUntil([&] { return Finished == 3; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(Started, 3);
    EXPECT_EQ(Finished, 3);
    EXPECT_EQ(Nested, 0) << "a report inside a report";
    ASSERT_EQ(List.Count(), 1200);
    EXPECT_EQ(List.Row(0).Path, "/no/such/a0.wma");
    EXPECT_EQ(List.Row(400).Path, "/no/such/b0.wma");
    EXPECT_EQ(List.Row(1199).Path, "/no/such/c399.wma");

    int Shown = -1;
    QObject::connect(&Loader, &TFileLoader::Progress, [&](int Done, int) {
        if (Shown < 0 && Done > 0) {
            Shown = List.Count();
            Loader.Cancel();
        }
    });
    ASSERT_TRUE(Loader.Start(QStringList(5000, QStringLiteral("/no/such/d.wma")), true));
    ASSERT_TRUE(RunUntil([&] { return Finished == 4; }));
    EXPECT_EQ(List.Count(), Shown);
    EXPECT_LT(Shown, 1200 + 5000);
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

// A list file brings in the existing files of the kinds the decoders read that
// it names, in its order and with its repeats, in place of the rows there were;
// written back, the list names its rows a line each.
TEST(FileLoader, AListFileReplacesTheRowsAndIsWrittenBack)
{
    TTempDir Dir;
    const QString Fixtures = QString::fromStdString(FixturesDir());
    const QString Wma = Fixtures + "/wild/lossless.wma", Ape = Fixtures + "/tone-44100-16-2.ape";
    const QString Wav = Fixtures + "/tone-44100-16-2.wav";
    TFileListModel List;
    TFileLoader Loader(List);
    auto Loaded = [&] { return RunUntil([&] { return !Loader.Busy(); }); };
    ASSERT_TRUE(Loader.Start({Wav}));
    ASSERT_TRUE(Loaded());

    // Lines end in CR LF or LF alone; a blank line, a missing file and a kind
    // no decoder reads add nothing.
    const QByteArray Text = (Wma + "\r\n" + Dir.File("gone.wma").c_str() + "\r\n" + Wma + "\n" + Wav + "\r\n\r\n" +
                             Ape)
                                .toUtf8();
    const std::string Import = Dir.File("list.txt");
    WriteBytes(Import, std::vector<uint8_t>(Text.begin(), Text.end()));
    ASSERT_TRUE(Loader.ImportList(QString::fromStdString(Import)));
    ASSERT_TRUE(Loaded());
    ASSERT_EQ(List.Count(), 3);
    EXPECT_EQ(QStringList({List.Row(0).Path, List.Row(1).Path, List.Row(2).Path}), QStringList({Wma, Wma, Ape}));

    QString Error;
    const std::string Export = Dir.File("out.txt");
    ASSERT_TRUE(Loader.ExportList(QString::fromStdString(Export), Error));
    const std::vector<uint8_t> Written = ReadBytes(Export);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(Written.data()), static_cast<qsizetype>(Written.size())),
              (Wma + "\r\n" + Wma + "\r\n" + Ape + "\r\n").toUtf8());
    EXPECT_FALSE(Loader.ExportList(QString::fromStdString(Dir.File("none/out.txt")), Error));
    EXPECT_FALSE(Error.isEmpty());
}
