// SPDX-License-Identifier: GPL-3.0-or-later
// What becomes of the watched folder's sources once converted.
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/batch/RunClaim.h"
#include "app/engine/hotdir/AfterConversion.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/settings/CdSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace app;
using namespace autest;

namespace {

class AfterConversionTest : public ::testing::Test {
protected:
    AfterConversionTest()
    {
        for (const char* Sub : {"in/a", "out", "log", "done", "out/sub"})
            QDir().mkpath(At(Sub));
    }

    QString At(const QString& Name) const { return Root + "/" + Name; }

    QString Flac(const QString& Name) const
    {
        EXPECT_EQ(RunCommand("flac -s -f -o '" + At(Name).toStdString() + "' '" + FixturesDir() +
                             "/tone-8000-8-1.wav'"),
                  0);
        return At(Name);
    }

    TAfterConversion After(TAfterChoice Choice, const QString& Folder, bool SubDirs = true) const
    {
        return {Choice, Folder.isEmpty() ? QString() : At(Folder), At("in"), At("out"), SubDirs};
    }

    TTempDir Dir;
    const QString Root = QString::fromStdString(Dir.Path());
};

} // namespace

// Through the hot directory as it runs: converted sources move at their place
// below the watched folder or are deleted, one day-log line after "Save to";
// a source that failed stays, with no line.
TEST_F(AfterConversionTest, ConvertedSourcesMoveOrGoAndFailedOnesStay)
{
    const QString Song = Flac("in/a/song.flac");
    const std::vector<uint8_t> Bytes = ReadBytes(Song.toStdString());
    const QString Odd = At("in/odd.wm");
    WriteBytes(Odd.toStdString(), std::vector<uint8_t>(200, 1));
    TcdSettings Settings;
    Settings.SetAutoLoad(false);
    Settings.SetIndir(At("in"));
    Settings.SetOutDir(At("out"));
    Settings.SetLogDir(At("log"));
    Settings.SetSubDir(true);
    Settings.SetHotAfter(acMove);
    Settings.SetHotMoveDir(At("done"));
    TRunClaim Chain;
    THotDirectory Hot(Settings, Chain);
    QStringList Lines;
    int Finished = 0;
    QObject::connect(&Hot, &THotDirectory::LogLine, [&](const QString& Line) { Lines << Line; });
    QObject::connect(&Hot, &THotDirectory::FileFinished, [&] { ++Finished; });
    Hot.QueueReadyFile(Song);
    Hot.QueueReadyFile(Odd);
    ASSERT_TRUE(RunUntil([&] { return Finished == 2; }, 10000));
    EXPECT_FALSE(QFile::exists(Song));
    EXPECT_EQ(ReadBytes(At("done/a/song.flac").toStdString()), Bytes);
    EXPECT_TRUE(QFile::exists(Odd));
    // Files convert side by side, so the groups come in the order they end.
    const QString Plain = Lines.join("\n").replace(QRegularExpression("\\d\\d:\\d\\d:\\d\\d"), "T");
    EXPECT_TRUE(Plain.contains("Save to: " + At("out/a/song.wav") + " [Success]\nMoved to: " + At("done/a/song.flac") +
                               "\nFinish: [T]"))
        << Plain.toStdString();
    EXPECT_TRUE(Plain.contains("Save to: " + At("out/odd.wav") +
                               " [Failed]\nNo decoder reads files of this kind.\nFinish: [T]"))
        << Plain.toStdString();

    Settings.SetHotAfter(acDelete);
    const QString Second = Flac("in/second.flac");
    Hot.QueueReadyFile(Second);
    ASSERT_TRUE(RunUntil([&] { return Finished == 3; }, 10000));
    EXPECT_FALSE(QFile::exists(Second));
    EXPECT_TRUE(QFile::exists(At("out/second.wav")));
    EXPECT_TRUE(Lines.join("\n").contains("[Success]\nDeleted\nFinish: [")) << Lines.join("\n").toStdString();
    const std::vector<uint8_t> Log = ReadBytes(DayLogFile(At("log")).toStdString());
    EXPECT_NE(std::string(Log.begin(), Log.end()).find("[Success]\r\nDeleted\r\nFinish: ["), std::string::npos);
}

// A move may neither reach into the output folder nor send files back into
// the watched tree; leave and delete need no folder.
TEST_F(AfterConversionTest, StartRefusesAMoveFolderThatTouchesTheOutputOrTheInput)
{
    EXPECT_EQ(After(acLeave, "").Check(), 0);
    EXPECT_EQ(After(acDelete, "").Check(), 0);
    EXPECT_EQ(After(acMove, "").Check(), TAfterConversion::StrNoMoveFolder);
    EXPECT_EQ(After(acMove, "none").Check(), TAfterConversion::StrNoMoveFolder);
    EXPECT_EQ(After(acMove, "done").Check(), 0);
    EXPECT_EQ(After(acMove, "out").Check(), TAfterConversion::StrMoveTouchesOutput);
    EXPECT_EQ(After(acMove, "out/sub").Check(), TAfterConversion::StrMoveTouchesOutput);
    EXPECT_EQ(After(acMove, "in/.").Check(), TAfterConversion::StrMoveTouchesOutput);
    EXPECT_EQ(After(acMove, "in/a").Check(), TAfterConversion::StrMoveTouchesOutput);
    EXPECT_EQ(After(acMove, "in/a", false).Check(), 0);
    EXPECT_EQ(After(acMove, "in", false).Check(), TAfterConversion::StrMoveTouchesOutput);
}

// A move that cannot be done leaves the source where it was, replaces
// nothing, and says why.
TEST_F(AfterConversionTest, AFailedMoveLeavesTheSourceAndSaysWhy)
{
    const QString Song = Flac("in/a/song.flac");
    QDir().mkpath(At("done/a"));
    WriteBytes(At("done/a/song.flac").toStdString(), {'k', 'e', 'e', 'p'});
    const QString Line = After(acMove, "done").Apply(Song, crConverted);
    EXPECT_EQ(Line, "Moved to: " + At("done/a/song.flac") + " [Failed]\r\nA file of that name is in the folder already.");
    EXPECT_TRUE(QFile::exists(Song));
    EXPECT_EQ(ReadBytes(At("done/a/song.flac").toStdString()), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}
