// SPDX-License-Identifier: GPL-3.0-or-later
// Several conversions at once with a log that reads as if there had been one.
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/batch/BatchRunner.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <filesystem>

using namespace app;
using namespace autest;
namespace fs = std::filesystem;

namespace {

class BatchRunnerTest : public ::testing::Test {
protected:
    BatchRunnerTest() { Settings.SetAutoLoad(false); }

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

    // The names in the output folder, hidden ones included.
    std::vector<std::string> Left() const
    {
        std::vector<std::string> Names;
        for (const auto& Entry : fs::directory_iterator(Dir.File("out")))
            Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }

    // Runs Items with Jobs conversions at once until the run ends, recording
    // what it says afresh; Stop, when given, is called after each event-loop
    // turn with the runner until it returns true.
    void Run(const QList<TBatchRunner::TItem>& Items, int Jobs,
             const std::function<bool(TBatchRunner&)>& Stop = {}, TIfExists IfExists = ieOverwrite)
    {
        Log.clear();
        FinishOrder.clear();
        Ended.clear();
        Results.clear();
        InFlight = MostInFlight = 0;
        TBatchRunner Runner;
        Runner.SetOutput(Out(""), TOutputFormat::FromSettings(Settings), IfExists);
        Runner.SetJobs(Jobs);
        QObject::connect(&Runner, &TBatchRunner::LogLine, [this](QString Line) {
            Log << Line.replace(QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\]"), "[T]");
        });
        QObject::connect(&Runner, &TBatchRunner::ItemStarted, [this] {
            MostInFlight = std::max(MostInFlight, ++InFlight);
        });
        QObject::connect(&Runner, &TBatchRunner::ItemFinished, [&](int Index, TConversionResult) {
            EXPECT_EQ(Runner.Percent(Index), 100);
            --InFlight;
            FinishOrder << Index;
        });
        QObject::connect(&Runner, &TBatchRunner::Finished, [this](bool Stopped) { Ended << Stopped; });
        Runner.Start(Items);
        bool Stopping = false;
        EXPECT_TRUE(RunUntil(
            [&] {
                Stopping = Stopping || (Stop && Stop(Runner));
                return !Ended.isEmpty();
            },
            60000));
        EXPECT_FALSE(Runner.Running());
        for (int Index = 0; Index < Runner.Count(); ++Index)
            Results << (Runner.Percent(Index) == 100 ? Runner.Result(Index) : -1);
        for (int Result = crConverted; Result <= crStopped; ++Result)
            Counts[Result] = Runner.ResultCount(static_cast<TConversionResult>(Result));
    }

    // True once Count hidden files are being written.
    bool Writing(int Count) const
    {
        int Parts = 0;
        for (const std::string& Name : Left())
            Parts += fs::path(Name).extension() == ".part";
        return Parts == Count;
    }

    TTempDir Dir;
    TcdSettings Settings;
    QStringList Log;
    QList<int> FinishOrder;
    QList<bool> Ended;
    QList<int> Results; // by item, -1 for one that never ended
    int Counts[4] = {};
    int InFlight = 0, MostInFlight = 0;
};

} // namespace

// A long file, short ones, a damaged one, an existing WAV file under Skip and
// two inputs of one output name, over two slots.
TEST_F(BatchRunnerTest, TwoSlotsConvertAMixedListAndLogItInListOrder)
{
    Settings.SetMRate("22050");
    const QString Long = Flac("long.flac", 20), Short = Flac("short.flac", 1), Kept = Flac("kept.flac", 1);
    const QString First = Flac("a/x.flac", 1, 1000), Second = Flac("b/x.flac", 2, 500);
    const QString Damaged = QString::fromStdString(Dir.File("damaged.flac"));
    WriteBytes(Damaged.toStdString(), std::vector<uint8_t>(5000, 0x41));
    fs::create_directories(Dir.File("out"));
    WriteBytes(Out("kept.wav").toStdString(), {'o', 'l', 'd'});
    Run({{Long, ""}, {Short, ""}, {Damaged, ""}, {Kept, ""}, {First, ""}, {Second, ""}}, 2, {}, ieSkip);

    EXPECT_EQ(Ended, QList<bool>{false});
    EXPECT_EQ(MostInFlight, 2);
    // The short files overtook the long one; the second x.flac waited for the first.
    EXPECT_EQ(FinishOrder.back(), 0);
    EXPECT_LT(FinishOrder.indexOf(4), FinishOrder.indexOf(5));
    EXPECT_EQ(Results, (QList<int>{crConverted, crConverted, crFailed, crSkipped, crConverted, crSkipped}));
    EXPECT_EQ((std::vector<int>(Counts, Counts + 4)), (std::vector<int>{3, 1, 2, 0}));
    ASSERT_EQ(Log.size(), 18) << Log.join('\n').toStdString();
    const QString Kept2 = TFileConversion::MsgSkipped;
    EXPECT_EQ(Log.mid(0, 7), (QStringList{"Task Begin", "[T]Load: " + Long + " [Success]",
                                          "[T]Convert to: long.wav [Success]", "[T]Load: " + Short + " [Success]",
                                          "[T]Convert to: short.wav [Success]", "[T]Load: " + Damaged + " [Success]",
                                          "[T]Convert to: damaged.wav [Failed]"}));
    EXPECT_FALSE(Log[7].isEmpty()); // the decoder's reason
    EXPECT_EQ(Log.mid(8), (QStringList{"[T]Load: " + Kept + " [Success]", "[T]Convert to: kept.wav [Skipped]", Kept2,
                                       "[T]Load: " + First + " [Success]", "[T]Convert to: x.wav [Success]",
                                       "[T]Load: " + Second + " [Success]", "[T]Convert to: x.wav [Skipped]", Kept2,
                                       "Task End", ""}));
    EXPECT_EQ(Left(), (std::vector<std::string>{"kept.wav", "long.wav", "short.wav", "x.wav"}));
    EXPECT_EQ(ReadBytes(Out("kept.wav").toStdString()), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(fs::file_size(Out("x.wav").toStdString()), 44u + 1 * 22050 * 4);

    // One job at a time writes the very same bytes.
    const std::vector<uint8_t> LongBytes = ReadBytes(Out("long.wav").toStdString());
    EXPECT_EQ(LongBytes.size(), 44u + 20 * 22050 * 4);
    Run({{Long, "single/"}}, 1);
    EXPECT_EQ(ReadBytes(Out("single/long.wav").toStdString()), LongBytes);
}

TEST_F(BatchRunnerTest, FilesWithOneOutputTakeTurnsAndTheLaterOneStays)
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

// "Stop Convert": the two files in progress finish, the third never starts.
TEST_F(BatchRunnerTest, ARequestedStopLetsTheFilesInProgressFinish)
{
    Settings.SetMRate("22050");
    QList<TBatchRunner::TItem> Items;
    for (const char* Name : {"one", "two", "three"})
        Items.append({Flac(std::string(Name) + ".flac", 30), ""});
    fs::create_directories(Dir.File("out"));
    Run(Items, 2, [this](TBatchRunner& Runner) {
        if (!Writing(2))
            return false;
        Runner.RequestStop();
        return true;
    });
    EXPECT_EQ(Ended, QList<bool>{true});
    EXPECT_EQ(Results, (QList<int>{crConverted, crConverted, -1}));
    EXPECT_EQ(Log, (QStringList{"Task Begin", "[T]Load: " + Items[0].Input + " [Success]",
                                "[T]Convert to: one.wav [Success]", "[T]Load: " + Items[1].Input + " [Success]",
                                "[T]Convert to: two.wav [Success]"}));
    EXPECT_EQ(Left(), (std::vector<std::string>{"one.wav", "two.wav"}));
}

// Closing the window and signals: the files in progress end early and leave
// nothing, an existing file of their name keeps its bytes. StopNow has ended
// them when it returns; Stop lets them end through the event loop.
TEST_F(BatchRunnerTest, AStopEndsTheFilesInProgressAndStartsNoMore)
{
    Settings.SetMRate("22050");
    QList<TBatchRunner::TItem> Items;
    for (const char* Name : {"one", "two", "three"})
        Items.append({Flac(std::string(Name) + ".flac", 60), ""});
    fs::create_directories(Dir.File("out"));
    for (const bool Now : {true, false}) {
        WriteBytes(Out("one.wav").toStdString(), {'o', 'l', 'd'});
        Run(Items, 2, [&](TBatchRunner& Runner) {
            if (!Writing(2))
                return false;
            if (Now) {
                Runner.StopNow();
                EXPECT_EQ(Ended, QList<bool>{true});
            } else {
                Runner.Stop();
            }
            return true;
        });
        EXPECT_EQ(Ended, QList<bool>{true});
        const QString Stopped = "Stopped before the end; the file was not written.";
        EXPECT_EQ(Log, (QStringList{"Task Begin", "[T]Load: " + Items[0].Input + " [Success]",
                                    "[T]Convert to: one.wav [Failed]", Stopped,
                                    "[T]Load: " + Items[1].Input + " [Success]", "[T]Convert to: two.wav [Failed]",
                                    Stopped}));
        EXPECT_EQ(Results, (QList<int>{crStopped, crStopped, -1}));
        EXPECT_EQ(Left(), std::vector<std::string>{"one.wav"});
        EXPECT_EQ(ReadBytes(Out("one.wav").toStdString()), (std::vector<uint8_t>{'o', 'l', 'd'}));
    }
}

TEST_F(BatchRunnerTest, AnEmptyListStillBeginsAndEnds)
{
    Run({}, 4);
    EXPECT_EQ(Log, (QStringList{"Task Begin", "Task End", ""}));
    EXPECT_EQ(Ended, QList<bool>{false});
}
