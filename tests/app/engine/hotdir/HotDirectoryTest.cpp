// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/hotdir/HotDirectory.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <filesystem>

using namespace app;
using namespace autest;

TEST(HotDirectory, StringValuesKeepPairsInOrder)
{
    TStringValues Queue;
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_EQ(Queue.Names(0), "");
    Queue.Add("/in/a.wma", "");
    Queue.Add("/in/b.wma", "");
    Queue.SetValue(1, "2");
    Queue.SetValue(5, "1");
    EXPECT_EQ(Queue.Count(), 2);
    EXPECT_EQ(Queue.Names(1), "/in/b.wma");
    EXPECT_EQ(Queue.Values(1), "2");
    EXPECT_EQ(Queue.Values(0), "");
    EXPECT_EQ(Queue.Values(-1), "");
}

TEST(HotDirectory, RelativePathsKeepTheirOwnSpelling)
{
    EXPECT_EQ(RelativeToFolder("/Music/In", "/music/in/A/Song.wma"), "A/Song.wma");
    EXPECT_EQ(RelativeToFolder("/Music/In/", "/Music/In/Song.wma"), "Song.wma");
    EXPECT_EQ(RelativeToFolder("/Music/In", "/Music/Inside/Song.wma"), "Song.wma");
    EXPECT_EQ(RelativeToFolder("", "/x/y.wma"), "y.wma");
    EXPECT_EQ(RelativeToFolder(" /Music/In ", "/Music/In/A/Song.wma"), "A/Song.wma");
}

TEST(HotDirectory, TheLogGrowsByLinesWithCrLf)
{
    TTempDir Dir;
    const QString Log = DayLogFile(QString::fromStdString(Dir.Path()));
    EXPECT_TRUE(Log.endsWith("/" + QDate::currentDate().toString("yy-MM-dd") + ".log"));
    AppendLogLine("Start: [10:00:00]\r\nExcute File: /in/a.wma", Log);
    AppendLogLine("Finish: [10:00:01]", Log);
    const std::vector<uint8_t> Bytes = ReadBytes(Log.toStdString());
    EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()),
              "Start: [10:00:00]\r\nExcute File: /in/a.wma\r\nFinish: [10:00:01]\r\n");

    // The hot directory's own appends do not read the file again, yet a line
    // another program added in between still gets its CR LF.
    const QString Day = QString::fromStdString(Dir.File("day.log"));
    TLogFileState Known;
    AppendLogLine("a", Day, &Known);
    AppendLogLine("b", Day, &Known);
    EXPECT_EQ(Known.Size, 6);
    QFile Outside(Day);
    ASSERT_TRUE(Outside.open(QIODevice::Append));
    Outside.write("outside\n");
    Outside.close();
    AppendLogLine("c", Day, &Known);
    const std::vector<uint8_t> Mixed = ReadBytes(Day.toStdString());
    EXPECT_EQ(std::string(Mixed.begin(), Mixed.end()), "a\r\nb\r\noutside\r\nc\r\n");
}

TEST(HotDirectory, StartChecksRefuseInTheirOrder)
{
    TTempDir Dir;
    const QString Root = QString::fromStdString(Dir.Path());
    for (const char* Sub : {"in", "in/out", "inside", "log"})
        QDir().mkpath(Root + "/" + Sub);
    const auto Check = [&](const char* In, const char* Out, const char* Log) {
        return THotDirectory::CheckFolders(Root + In, Root + Out, Root + Log);
    };
    EXPECT_EQ(Check("/none", "/none", "/none"), THotDirectory::StrNoInput);
    EXPECT_EQ(Check("/in", "/none", "/none"), THotDirectory::StrNoOutput);
    EXPECT_EQ(Check("/in", "/inside", "/none"), THotDirectory::StrNoLog);
    EXPECT_EQ(Check("/in", "/in/out", "/log"), THotDirectory::StrOutputInsideInput);
    EXPECT_EQ(Check("/in", "/in", "/log"), THotDirectory::StrOutputInsideInput);
    EXPECT_EQ(Check("/IN", "/in/out", "/log"), THotDirectory::StrNoInput); // no folder IN here
    EXPECT_EQ(Check("/in", "/inside", "/log"), 0);
}

// The output folder is refused only when it is the watched folder or lies
// below it, component by component and with case, whatever way the folders
// are spelled.
TEST(HotDirectory, OutputFolderIsComparedAsAPathWithCase)
{
    TTempDir Dir;
    const QString Root = QString::fromStdString(Dir.Path());
    for (const char* Sub : {"in/out", "In", "in2", "data/in/out", "log"})
        QDir().mkpath(Root + "/" + Sub);
    const auto Check = [&](const QString& In, const char* Out) {
        return THotDirectory::CheckFolders(In, Root + Out, Root + "/log");
    };
    EXPECT_EQ(Check(Root + "/in", "/data/in/out"), 0);
    EXPECT_EQ(Check(Root + "/in", "/in2"), 0);
    EXPECT_EQ(Check(Root + "/in", "/In"), 0);
    EXPECT_EQ(Check(Root + "/in/", "/in/out/"), THotDirectory::StrOutputInsideInput);
    EXPECT_EQ(Check(Root + "/in2/../in/.", "/in/out"), THotDirectory::StrOutputInsideInput);
    EXPECT_EQ(Check(Root + "/in", "/in/out/.."), THotDirectory::StrOutputInsideInput);
    // Blanks around the input folder are not part of it, as for the monitor.
    EXPECT_EQ(Check(" \t" + Root + "/in ", "/in/out"), THotDirectory::StrOutputInsideInput);
    EXPECT_EQ(Check(" " + Root + "/in\t", "/in2"), 0);
}

// Files the monitor lets through but no decoder reads, and files whose chain
// fails, end as failed; the queue goes on to the next file.
TEST(HotDirectory, AFileWithoutDecoderIsLoggedFailedAndTheQueueGoesOn)
{
    TTempDir Dir;
    const QString Root = QString::fromStdString(Dir.Path());
    for (const char* Sub : {"in", "out", "log"})
        QDir().mkpath(Root + "/" + Sub);
    WriteBytes((Root + "/in/odd.wm").toStdString(), std::vector<uint8_t>(200, 1));
    ASSERT_EQ(RunCommand("flac -s -f -o '" + (Root + "/in/good.flac").toStdString() + "' '" + FixturesDir() +
                         "/tone-8000-8-1.wav'"),
              0);
    TcdSettings Settings;
    Settings.SetAutoLoad(false);
    Settings.SetIndir(Root + "/in");
    Settings.SetOutDir(Root + "/out");
    Settings.SetLogDir(Root + "/log");
    Settings.SetParallel(1);
    TRunClaim Claim;
    THotDirectory Hot(Settings, Claim);
    QStringList Lines;
    int Finished = 0;
    QObject::connect(&Hot, &THotDirectory::LogLine, [&](const QString& Line) { Lines << Line; });
    QObject::connect(&Hot, &THotDirectory::FileFinished, [&] { ++Finished; });
    Hot.QueueReadyFile(Root + "/in/odd.wm");
    Hot.QueueReadyFile(Root + "/in/good.flac");
    ASSERT_TRUE(RunUntil([&] { return Finished == 2; }, 10000));
    EXPECT_EQ(Hot.Queue().Values(0), "2");
    EXPECT_EQ(Hot.Queue().Values(1), "1");
    QStringList Plain;
    for (QString Line : Lines)
        Plain << Line.replace(QRegularExpression("\\d\\d:\\d\\d:\\d\\d"), "T");
    EXPECT_EQ(Plain, (QStringList{"Start: [T]", "Excute File: " + Root + "/in/odd.wm",
                                  "Save to: " + Root + "/out/odd.wav [Failed]", "No decoder reads files of this kind.",
                                  "Finish: [T]", "Start: [T]",
                                  "Excute File: " + Root + "/in/good.flac",
                                  "Save to: " + Root + "/out/good.wav [Success]", "Finish: [T]"}));
    const std::vector<uint8_t> Log = ReadBytes(DayLogFile(Root + "/log").toStdString());
    EXPECT_EQ(std::count(Log.begin(), Log.end(), '\n'), 9);
    EXPECT_GT(QFileInfo(Root + "/out/good.wav").size(), 44);
}

// Files moved in together convert on two slots at once, each once, and the day
// log holds each file's four lines together.
TEST(HotDirectory, ABurstConvertsOnTwoSlotsWithWholeLogGroups)
{
    TTempDir Dir;
    const QString Root = QString::fromStdString(Dir.Path());
    for (const char* Sub : {"in", "out", "log", "staging"})
        QDir().mkpath(Root + "/" + Sub);
    const int Files = 6;
    for (int I = 0; I < Files; ++I)
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=" + std::to_string(300 + 100 * I) +
                             ":duration=" + std::to_string(10 + 3 * (I % 3)) + " -ac 2 -c:a wmav2 -b:a 64k '" +
                             (Root + "/staging/f" + QString::number(I) + ".wma").toStdString() + "'"),
                  0);
    TcdSettings Settings;
    Settings.SetAutoLoad(false);
    Settings.SetMRate("22050");
    Settings.SetParallel(2);
    TRunClaim Claim;
    THotDirectory Hot(Settings, Claim);
    QStringList Finished;
    QObject::connect(&Hot, &THotDirectory::FileFinished, [&](const QString& Path, TConversionResult Result) {
        EXPECT_EQ(Result, crConverted) << Path.toStdString();
        Finished << Path;
    });
    Hot.Start(Root + "/in", Root + "/out", Root + "/log", false);
    ASSERT_EQ(RunCommand("mv '" + Root.toStdString() + "/staging/'*.wma '" + Root.toStdString() + "/in/'"), 0);
    int MostWriting = 0;
    ASSERT_TRUE(RunUntil(
        [&] {
            int Writing = 0;
            for (const auto& Entry : std::filesystem::directory_iterator((Root + "/out").toStdString()))
                Writing += Entry.path().extension() == ".part";
            MostWriting = std::max(MostWriting, Writing);
            return Finished.size() == Files;
        },
        60000));
    RunUntil([] { return false; }, 300); // a late second report would convert a file again
    Hot.Stop();
    EXPECT_EQ(Finished.size(), Files);
    EXPECT_EQ(QSet<QString>(Finished.begin(), Finished.end()).size(), Files);
    EXPECT_EQ(MostWriting, 2);
    EXPECT_FALSE(Hot.Busy());

    QFile Log(DayLogFile(Root + "/log"));
    ASSERT_TRUE(Log.open(QIODevice::ReadOnly));
    const QStringList Lines = QString::fromUtf8(Log.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(Lines.size(), 4 * Files);
    const QRegularExpression Group[] = {
        QRegularExpression("^Start: \\[\\d\\d:\\d\\d:\\d\\d\\]$"),
        QRegularExpression("^Excute File: " + QRegularExpression::escape(Root) + "/in/(f\\d).wma$"),
        QRegularExpression("^Save to: " + QRegularExpression::escape(Root) + "/out/(f\\d).wav \\[Success\\]$"),
        QRegularExpression("^Finish: \\[\\d\\d:\\d\\d:\\d\\d\\]$")};
    for (int At = 0; At < Lines.size(); At += 4) {
        for (int Line = 0; Line < 4; ++Line)
            EXPECT_TRUE(Group[Line].match(Lines[At + Line]).hasMatch()) << Lines[At + Line].toStdString();
        EXPECT_EQ(Group[1].match(Lines[At + 1]).captured(1), Group[2].match(Lines[At + 2]).captured(1));
    }
}
