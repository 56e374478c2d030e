// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/batch/ListRun.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace app;
using namespace autest;

namespace {

// A batch list, its chain and its driver, with everything the driver says recorded.
class ListRunTest : public ::testing::Test {
protected:
    ListRunTest() : Driver(List, Settings, Claim)
    {
        Settings.SetAutoLoad(false);
        Clock.start();
        LoadLanguageStrings(LangStrings(), LangStringCount - 1, ExeFolderFile("English.lng"), "Strings");
        QObject::connect(&Driver, &TListRun::LogLine, [this](const QString& Line) { Log << Line; });
        QObject::connect(&Driver, &TListRun::StartRefused, [this](const QString& M) { Missing << M; });
        QObject::connect(&Driver, &TListRun::RunFinished,
                         [this](const QString&, const QString& Last) { Finished << Last; });
        QObject::connect(&Driver, &TListRun::RunStopped, [this] { ++Stopped; });
        QObject::connect(&Driver, &TListRun::ControlsEnabled, [this](bool On) { ControlsOn = On; });
        QObject::connect(&Driver, &TListRun::RunProgress,
                         [this](const TRunSnapshot& Run) {
                             Progress << Run.Percent;
                             ProgressAt << Clock.elapsed();
                         });
        // What the rows in progress show, as they change.
        QObject::connect(&List, &TFileListModel::dataChanged, [this](const QModelIndex& From) {
            const int Row = From.row();
            if (List.Row(Row).State != TFileListModel::rsConverting)
                return;
            Shown << List.index(Row, TFileListModel::colInformation).data().toString();
            Images << List.index(Row, 0).data(TFileListModel::ImageIndexRole).toInt();
            int Converting = 0;
            for (int Other = 0; Other < List.Count(); ++Other)
                Converting += List.Row(Other).State == TFileListModel::rsConverting;
            MostConverting = std::max(MostConverting, Converting);
        });
        QObject::connect(&Driver, &TListRun::StatusText, [this](int Panel, const QString& Text) {
            if (Panel == 0)
                Status = Text;
        });
    }

    QString Flac(const QString& Name, const char* Fixture = "tone-22050-16-1.wav")
    {
        const QString Path = QString::fromStdString(Dir.File(Name.toStdString()));
        EXPECT_EQ(RunCommand("flac -s -f -o '" + Path.toStdString() + "' '" + FixturesDir() + "/" + Fixture + "'"),
                  0);
        return Path;
    }

    QString Out() const { return QString::fromStdString(Dir.File("out")); }

    bool RunAll()
    {
        QDir().mkpath(Out());
        if (!Driver.StartRun(Out()))
            return false;
        return RunUntil([this] { return !Finished.isEmpty() || Stopped > 0; });
    }

    // The log with each time stamp replaced by [T].
    QStringList PlainLog() const
    {
        QStringList Lines;
        for (QString Line : Log)
            Lines << Line.replace(QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\]"), "[T]");
        return Lines;
    }

    TTempDir Dir;
    TFileListModel List;
    TcdSettings Settings;
    TRunClaim Claim;
    TListRun Driver;
    QStringList Log, Missing, Finished;
    QString Status; // of panel 0
    QList<int> Progress;
    QList<qint64> ProgressAt; // ms
    QElapsedTimer Clock;
    QStringList Shown;  // Information cells of rows converting
    QSet<int> Images;   // their images
    int MostConverting = 0;
    int Stopped = 0;
    bool ControlsOn = true;
};

} // namespace

TEST_F(ListRunTest, ARunOfTwoGoodFilesLogsEachLoadAndResult)
{
    const QString A = Flac("a.flac"), B = Flac("b.FLAC", "tone-44100-16-2.wav");
    List.AddFile(A);
    List.AddFile(B);
    Settings.SetParallel(2);
    ASSERT_TRUE(RunAll());
    // Both rows converted at once, each showing it.
    EXPECT_EQ(MostConverting, 2);
    EXPECT_EQ(Images, QSet<int>{TFileListModel::imgConverting});
    EXPECT_TRUE(Shown.contains("Save to: a.wav (0%)"));
    EXPECT_TRUE(Shown.filter(QRegularExpression("^Save to: b.wav \\((\\d+)%\\)$")).size() >= 1);
    EXPECT_EQ(PlainLog(), (QStringList{"Task Begin", "[T]Load: " + A + " [Success]", "[T]Convert to: a.wav [Success]",
                                       "[T]Load: " + B + " [Success]", "[T]Convert to: b.wav [Success]", "Task End",
                                       ""}));
    EXPECT_EQ(List.Row(0).State, TFileListModel::rsConverted);
    EXPECT_EQ(List.Row(1).State, TFileListModel::rsConverted);
    EXPECT_EQ(List.index(1, TFileListModel::colInformation).data().toString(), "Save to: b.wav");
    EXPECT_EQ(List.Row(1).Output, Out() + "/b.wav");
    EXPECT_EQ(Finished, QStringList{Out() + "/b.wav"});
    EXPECT_EQ(Settings.SavePath(), Out());
    EXPECT_TRUE(ControlsOn);
    ASSERT_FALSE(Progress.isEmpty());
    EXPECT_EQ(Progress.back(), 100);
    // Shown at a rate people read, not the hundred steps of each file; the
    // run's end shows at once. (A timer may fire a little early.)
    for (qsizetype I = 1; I + 1 < ProgressAt.size(); ++I)
        EXPECT_GE(ProgressAt[I] - ProgressAt[I - 1], TListRun::ProgressIntervalMs * 9 / 10) << I;
    EXPECT_TRUE(QFileInfo(Out() + "/a.wav").size() > 44);
}

TEST_F(ListRunTest, AMissingFileRefusesTheRun)
{
    List.AddFile(Flac("a.flac"));
    List.AddFile(QString::fromStdString(Dir.File("gone.flac")));
    QDir().mkpath(Out());
    EXPECT_FALSE(Driver.StartRun(Out()));
    EXPECT_EQ(Missing, QStringList{LangStrings()[TListRun::StrMissingFile]});
    EXPECT_TRUE(ControlsOn);
    EXPECT_FALSE(Driver.Running());
    EXPECT_FALSE(QFileInfo::exists(Out() + "/a.wav"));
}

// A row whose chain cannot start ends as failed, with its lines, and the run goes on.
TEST_F(ListRunTest, ARowWithoutADecoderFailsAndTheNextOneConverts)
{
    const QString Text = QString::fromStdString(Dir.File("notes.txt"));
    WriteBytes(Text.toStdString(), {'h', 'i'});
    const QString Good = Flac("good.flac");
    List.AddFile(Text);
    List.AddFile(Good);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(PlainLog(), (QStringList{"Task Begin", "[T]Load: " + Text + " [Success]",
                                       "[T]Convert to: notes.wav [Failed]", "No decoder reads files of this kind.",
                                       "[T]Load: " + Good + " [Success]", "[T]Convert to: good.wav [Success]",
                                       "Task End", ""}));
    EXPECT_EQ(List.Row(0).State, TFileListModel::rsFailed);
    EXPECT_EQ(List.Row(1).State, TFileListModel::rsConverted);
}

TEST_F(ListRunTest, StopEndsTheRunAfterTheFileInProgress)
{
    List.AddFile(Flac("a.flac", "tone-44100-16-2.wav"));
    List.AddFile(Flac("b.flac"));
    Settings.SetParallel(1);
    QDir().mkpath(Out());
    ASSERT_TRUE(Driver.StartRun(Out()));
    Driver.RequestStop();
    ASSERT_TRUE(RunUntil([this] { return Stopped > 0; }));
    EXPECT_EQ(PlainLog().mid(0, 4),
              (QStringList{"Task Begin", LangStrings()[TListRun::StrStopped],
                           "[T]Load: " + List.Row(0).Path + " [Success]",
                           "[T]Convert to: a.wav [Success]"}));
    EXPECT_EQ(Log.size(), 4);
    EXPECT_TRUE(Finished.isEmpty());
    EXPECT_EQ(List.Row(1).State, TFileListModel::rsPending);
    EXPECT_FALSE(Driver.Running());
    EXPECT_EQ(Status, ""); // no "Converting: a.flac" left behind
}

// The stop comes after the last file ended and before the run noticed it had
// no file left: the run finishes, and the Convert button must come back, or
// the window could never start another run.
TEST_F(ListRunTest, StopAfterTheLastFileStillBringsBackTheConvertButton)
{
    List.AddFile(Flac("a.flac"));
    bool ConvertShown = true;
    QObject::connect(&Driver, &TListRun::ConvertButtonShown, [&](bool Shown) { ConvertShown = Shown; });
    QObject::connect(&Driver, &TListRun::ItemFinished, &Driver, &TListRun::RequestStop);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Finished.size(), 1);
    EXPECT_TRUE(ConvertShown);
    EXPECT_FALSE(Driver.Running());
}

TEST_F(ListRunTest, TheSettingsChooseTheOutputFormat)
{
    Settings.SetMRate("22050");
    Settings.SetMBit("16");
    Settings.SetMChannel(0);
    List.AddFile(Flac("stereo.flac", "tone-44100-16-2.wav"));
    ASSERT_TRUE(RunAll());
    std::string Probe;
    RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 '" +
                   (Out() + "/stereo.wav").toStdString() + "'",
               &Probe);
    EXPECT_EQ(Probe, "pcm_s16le,22050,2\n");

    Settings.SetMEncoding(1);
    Settings.SetMChannel(1);
    Finished.clear();
    ASSERT_TRUE(RunAll());
    Probe.clear();
    RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 '" +
                   (Out() + "/stereo.wav").toStdString() + "'",
               &Probe);
    EXPECT_EQ(Probe, "adpcm_ima_wav,22050,1\n");
}

TEST_F(ListRunTest, TwoRowsWithOneOutputBothShowTheirResult)
{
    List.AddFile(Flac("same.flac"));
    const QString Other = QString::fromStdString(Dir.File("sub"));
    QDir().mkpath(Other);
    const QString Second = Other + "/same.flac";
    QFile::copy(List.Row(0).Path, Second);
    List.AddFile(Second);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(List.Row(0).State, TFileListModel::rsConverted);
    EXPECT_EQ(List.Row(1).State, TFileListModel::rsConverted);
    EXPECT_EQ(List.Row(0).Output, List.Row(1).Output);
}

TEST_F(ListRunTest, AnEmptyListFinishesAtOnce)
{
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Log, (QStringList{"Task Begin", "Task End", ""}));
    EXPECT_EQ(Finished, QStringList{QString()});
}
