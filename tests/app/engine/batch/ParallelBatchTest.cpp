// SPDX-License-Identifier: GPL-3.0-or-later
// Several conversions at once with a log that reads as if there had been one.
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/batch/ParallelBatch.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <filesystem>

using namespace app;
using namespace autest;
namespace fs = std::filesystem;

namespace {

class ParallelBatchTest : public ::testing::Test {
protected:
    ParallelBatchTest() { Settings.SetAutoLoad(false); }

    // A FLAC file of a sine at Frequency, Seconds long, at 44100 Hz stereo.
    QString Flac(const std::string& Name, int Seconds, int Frequency = 440)
    {
        const std::string Path = Dir.File(Name);
        fs::create_directories(fs::path(Path).parent_path());
        EXPECT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=" + std::to_string(Frequency) +
                             ":duration=" + std::to_string(Seconds) + " -ac 2 -ar 44100 -c:a flac '" + Path + "'"),
                  0);
        return QString::fromStdString(Path);
    }

    QString Out(const std::string& Name) const { return QString::fromStdString(Dir.File("out/" + Name)); }

    // Runs Items with Jobs conversions at once until the batch ends, recording
    // what it says afresh; Stop, when given, decides after each event-loop turn
    // whether to stop it.
    void Run(const QList<TParallelBatch::TItem>& Items, int Jobs, const std::function<bool()>& Stop = {},
             TIfExists IfExists = ieOverwrite)
    {
        Log.clear();
        FinishOrder.clear();
        Ended.clear();
        TParallelBatch Batch(Out(""), TOutputFormat::FromSettings(Settings), IfExists, Jobs);
        QObject::connect(&Batch, &TParallelBatch::LogLine, [this](QString Line) {
            Log << Line.replace(QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\]"), "[T]");
        });
        QObject::connect(&Batch, &TParallelBatch::ItemFinished, [&](int Index, TConversionResult) {
            EXPECT_EQ(Batch.Percent(Index), 100);
            FinishOrder << Index;
        });
        QObject::connect(&Batch, &TParallelBatch::Finished, [this](bool Stopped) { Ended << Stopped; });
        Batch.Start(Items);
        EXPECT_TRUE(RunUntil(
            [&] {
                if (Stop && Stop())
                    Batch.Stop();
                return !Ended.isEmpty();
            },
            60000));
    }

    TTempDir Dir;
    TcdSettings Settings;
    QStringList Log;
    QList<int> FinishOrder;
    QList<bool> Ended;
};

} // namespace

TEST_F(ParallelBatchTest, TheLogKeepsListOrderWhileFilesFinishOutOfOrder)
{
    Settings.SetMRate("22050");
    const QString Long = Flac("long.flac", 20), Short = Flac("short.flac", 1);
    const QString Notes = QString::fromStdString(Dir.File("notes.txt"));
    WriteBytes(Notes.toStdString(), {'x'});
    Run({{Notes, ""}, {Long, ""}, {Short, ""}}, 2);
    // The short file overtook the long one; its lines still come after.
    EXPECT_EQ(FinishOrder, (QList<int>{0, 2, 1}));
    EXPECT_EQ(Ended, QList<bool>{false});
    EXPECT_EQ(Log, (QStringList{"Task Begin", "[T]Load: " + Notes + " [Success]", "[T]Convert to: notes.wav [Failed]",
                                "No decoder reads files of this kind.", "[T]Load: " + Long + " [Success]",
                                "[T]Convert to: long.wav [Success]", "[T]Load: " + Short + " [Success]",
                                "[T]Convert to: short.wav [Success]", "Task End", ""}));
    EXPECT_FALSE(fs::exists(Out("notes.wav").toStdString()));

    // One job at a time writes the very same bytes.
    const std::vector<uint8_t> LongBytes = ReadBytes(Out("long.wav").toStdString());
    EXPECT_EQ(LongBytes.size(), 44u + 20 * 22050 * 4);
    Run({{Long, "single/"}}, 1);
    EXPECT_EQ(ReadBytes(Out("single/long.wav").toStdString()), LongBytes);
}

TEST_F(ParallelBatchTest, FilesWithOneOutputTakeTurnsAndTheLaterOneStays)
{
    const QString Long = Flac("a/x.flac", 20, 440), Short = Flac("b/x.flac", 1, 1000), Other = Flac("c.flac", 1);
    Run({{Short, "ref/"}}, 1);
    const std::vector<uint8_t> ShortBytes = ReadBytes(Out("ref/x.wav").toStdString());
    Run({{Long, ""}, {Short, ""}, {Other, ""}}, 2);
    // The short file waited for the long one, and the third did not wait for
    // either: it took the free slot at once.
    EXPECT_EQ(FinishOrder, (QList<int>{2, 0, 1}));
    EXPECT_EQ(ReadBytes(Out("x.wav").toStdString()), ShortBytes);
    EXPECT_EQ(Log[5], "x.wav now holds " + Short + "; it replaced the file converted from " + Long +
                          " earlier in this run.");

    // Renaming keeps both, and the one already there from the run before.
    Run({{Long, ""}, {Short, ""}}, 2, {}, ieRename);
    EXPECT_EQ(ReadBytes(Out("x.wav").toStdString()), ShortBytes);
    EXPECT_EQ(fs::file_size(Out("x (2).wav").toStdString()), 44u + 20 * 44100 * 4);
    EXPECT_EQ(ReadBytes(Out("x (3).wav").toStdString()), ShortBytes);
    EXPECT_EQ(Log[2], "[T]Convert to: x (2).wav [Success]");
}

TEST_F(ParallelBatchTest, AStopEndsTheFilesInProgressAndStartsNoMore)
{
    Settings.SetMRate("22050");
    QList<TParallelBatch::TItem> Items;
    for (const char* Name : {"one", "two", "three"})
        Items.append({Flac(std::string(Name) + ".flac", 60), ""});
    fs::create_directories(Dir.File("out"));
    WriteBytes(Out("one.wav").toStdString(), {'o', 'l', 'd'});
    // Stop once both slots write their hidden files.
    const auto BothWriting = [this] {
        int Parts = 0;
        for (const auto& Entry : fs::directory_iterator(Dir.File("out")))
            Parts += Entry.path().extension() == ".part";
        return Parts == 2;
    };
    Run(Items, 2, BothWriting);
    EXPECT_EQ(Ended, QList<bool>{true});
    const QString Stopped = "Stopped before the end; the file was not written.";
    EXPECT_EQ(Log, (QStringList{"Task Begin", "[T]Load: " + Items[0].Input + " [Success]",
                                "[T]Convert to: one.wav [Failed]", Stopped, "[T]Load: " + Items[1].Input + " [Success]",
                                "[T]Convert to: two.wav [Failed]", Stopped}));
    std::vector<std::string> Left;
    for (const auto& Entry : fs::directory_iterator(Dir.File("out")))
        Left.push_back(Entry.path().filename().string());
    EXPECT_EQ(Left, std::vector<std::string>{"one.wav"});
    EXPECT_EQ(ReadBytes(Out("one.wav").toStdString()), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(ParallelBatchTest, AnEmptyListStillBeginsAndEnds)
{
    Run({}, 4);
    EXPECT_EQ(Log, (QStringList{"Task Begin", "Task End", ""}));
    EXPECT_EQ(Ended, QList<bool>{false});
}
