// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorTestUtil.h"
#include "support/TestUtil.h"
#include "app/engine/monitor/DirectoryMonitor.h"
#include "app/engine/monitor/FolderWatch.h"
#include "app/engine/monitor/ReadyQueue.h"
#include "app/engine/monitor/WaitThread.h"
#include "audio/core/AuException.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace app;
using namespace autest;

namespace {

// Seconds since the file's last change of contents, by the file system's clock.
double SecondsSinceWrite(const QString& FileName)
{
    struct stat Info;
    if (stat(QFile::encodeName(FileName).constData(), &Info) != 0)
        return -1;
    timespec Now;
    clock_gettime(CLOCK_REALTIME, &Now);
    return double(Now.tv_sec - Info.st_mtim.tv_sec) + double(Now.tv_nsec - Info.st_mtim.tv_nsec) / 1e9;
}

// Real folders and writers; the completeness checks and the dispatch run when
// the test ticks them.
class DirectoryMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reports.Attach(Monitor);
        Monitor.SetDirectory(Folder);
        Monitor.SetExtensions(".wma");
    }
    void TearDown() override
    {
        Monitor.Stop();
        // Nothing of this test may reach the next one through the shared queue.
        TReadyQueue::Instance().Forget(&Monitor);
        TReadyQueue::Instance().Dispatch();
    }

    QString File(const QString& Name) const { return Folder + "/" + Name; }
    // One completeness check and one dispatch, Count times.
    void Tick(int Count = 1)
    {
        for (int I = 0; I < Count; ++I) {
            Checks->Tick();
            Hand.Ticks().Tick();
        }
    }
    // Runs until the wait thread has taken the notifications of everything done
    // so far and Count files wait. It takes them in order, so it has when it has
    // taken that of an empty marker file written now (which waits for ever).
    bool Settled(int Count)
    {
        ++Markers;
        WriteFile(File(QString("~marker%1.wma").arg(++MarkerNames)), "");
        return RunUntil([&] { return Monitor.PendingCount() == Count + Markers; }, 10000);
    }
    // Files waiting, the markers aside.
    int Waiting() const { return Monitor.PendingCount() - Markers; }

    TTempDir Temp;
    QString Folder = QString::fromStdString(Temp.Path());
    THandDispatch Hand;
    TManualTicks* Checks = new TManualTicks;
    DirectoryMonitor Monitor{std::unique_ptr<TTickSource>(Checks)};
    TReports Reports;
    int Markers = 0; // waiting since the last Start
    int MarkerNames = 0;
};

} // namespace

TEST_F(DirectoryMonitorTest, StartRefusesWhatIsNoFolder)
{
    Monitor.SetDirectory(Folder + "/missing");
    try {
        Monitor.Start();
        FAIL() << "started on a missing folder";
    } catch (const au::EAuException& Error) {
        EXPECT_STREQ(Error.what(), strerror(ENOENT));
    }
    EXPECT_FALSE(Monitor.Started());

    WriteFile(File("plain.wma"), "data");
    Monitor.SetDirectory(File("plain.wma"));
    try {
        Monitor.Start();
        FAIL() << "started on a plain file";
    } catch (const au::EAuException& Error) {
        EXPECT_STREQ(Error.what(), "Please input split directory firstly");
    }
    EXPECT_FALSE(Monitor.Started());
    EXPECT_FALSE(TReadyQueue::Instance().DispatchEnabled());
}

TEST_F(DirectoryMonitorTest, ExtensionFilterIsASubstringTestAndPathsKeepTheFolderSpelling)
{
    // Linux names are case-sensitive: the reported path must name the file
    // that is there, so the folder keeps its capitals.
    const QString Music = Folder + "/My Music";
    ASSERT_TRUE(QDir().mkdir(Music));
    Monitor.SetDirectory("  " + Music + "\t");
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    EXPECT_EQ(Monitor.Directory(), Music);
    Folder = Music; // for the markers

    const QStringList Passing = {"a.wma", "b.WMA", "c.w", "d.wm"};
    for (const QString& Name : Passing + QStringList{"e.mp3", "noextension", "f.wma.txt"})
        WriteFile(Music + "/" + Name, "0123456789");
    ASSERT_TRUE(Settled(Passing.size()));
    Tick(4);
    QStringList Expected;
    for (const QString& Name : Passing)
        Expected << Music + "/" + Name;
    QStringList Got = Reports.Paths;
    Got.sort();
    EXPECT_EQ(Got, Expected);
    for (const QString& Path : Got)
        EXPECT_TRUE(QFileInfo::exists(Path)) << Path.toStdString();
}

TEST_F(DirectoryMonitorTest, SlowCopyIsReportedOnceAfterFiveStableChecks)
{
    Monitor.Start();
    const QString Target = File("slow.wma");
    // Ten chunks, a check after each: many notifications, never five quiet checks.
    for (int Chunk = 0; Chunk < 10; ++Chunk) {
        QFile Out(Target);
        ASSERT_TRUE(Out.open(QIODevice::Append));
        ASSERT_EQ(Out.write("0123456789"), 10);
        Out.close();
        ASSERT_TRUE(Settled(1));
        Tick();
    }
    EXPECT_TRUE(Reports.Paths.isEmpty());

    // Reported at the fifth check after the one that saw the last chunk.
    Tick(4);
    EXPECT_TRUE(Reports.Paths.isEmpty());
    Tick();
    EXPECT_EQ(Reports.Paths, QStringList{Target});
    EXPECT_EQ(QFileInfo(Target).size(), 100);
    Tick(3);
    EXPECT_EQ(Reports.Paths, QStringList{Target});
}

TEST_F(DirectoryMonitorTest, FileOpenForWritingElsewhereWaitsUntilClosed)
{
    Monitor.Start();
    const QString Target = File("held.wma");
    // The writer keeps its descriptor until its input closes.
    QProcess Writer;
    Writer.start("sh", {"-c", "exec 3>\"$0\"; printf 0123456789 >&3; echo written; read line; exec 3>&-", Target});
    ASSERT_TRUE(Writer.waitForStarted());
    ASSERT_TRUE(Writer.waitForReadyRead(5000));
    ASSERT_TRUE(Settled(1));
    // Seven checks of a file whose size no longer changes.
    Tick(7);
    EXPECT_TRUE(Reports.Paths.isEmpty());
    EXPECT_EQ(Waiting(), 1);

    // Closed, it is reported at the fifth check from then.
    Writer.closeWriteChannel();
    ASSERT_TRUE(Writer.waitForFinished(5000));
    ASSERT_TRUE(Settled(1));
    Tick(4);
    EXPECT_TRUE(Reports.Paths.isEmpty());
    Tick();
    EXPECT_EQ(Reports.Paths, QStringList{Target});
}

TEST_F(DirectoryMonitorTest, EmptyAndVanishedFilesAreNeverReported)
{
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    WriteFile(File("empty.wma"), "");
    WriteFile(File("gone.wma"), "0123456789");
    ASSERT_TRUE(Settled(2));
    // Deleted before its first check could find it complete: dropped at that check.
    ASSERT_TRUE(QFile::remove(File("gone.wma")));
    Tick();
    EXPECT_EQ(Waiting(), 1);

    WriteFile(File("later.wma"), "0123456789");
    ASSERT_TRUE(Settled(2));
    Tick(4);
    EXPECT_EQ(Reports.Paths, QStringList{File("later.wma")});
    EXPECT_EQ(Waiting(), 1); // the empty file keeps waiting
}

TEST_F(DirectoryMonitorTest, RenamedInIsReportedRenamedAwayIsNot)
{
    TTempDir Outside;
    const QString Away = QString::fromStdString(Outside.Path());
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    WriteFile(Away + "/in.wma", "0123456789");
    WriteFile(File("out.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    ASSERT_EQ(rename(QFile::encodeName(File("out.wma")), QFile::encodeName(Away + "/out.wma")), 0);
    ASSERT_EQ(rename(QFile::encodeName(Away + "/in.wma"), QFile::encodeName(File("in.wma"))), 0);
    ASSERT_TRUE(Settled(2));

    // Complete when it comes, so the first check finds it so.
    Tick();
    EXPECT_EQ(Reports.Paths, QStringList{File("in.wma")});
    EXPECT_EQ(Waiting(), 0);
    // A reported file renamed away gives nothing new either.
    ASSERT_EQ(rename(QFile::encodeName(File("in.wma")), QFile::encodeName(Away + "/in.wma")), 0);
    ASSERT_TRUE(Settled(0));
    Tick(3);
    EXPECT_EQ(Reports.Paths, QStringList{File("in.wma")});
}

TEST_F(DirectoryMonitorTest, TwoNotificationsForOneWaitingFileGiveOneReport)
{
    Monitor.SetRequiredChecks(2);
    Monitor.Start();
    WriteFile(File("twice.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    WriteFile(File("twice.wma"), "9876543210");
    ASSERT_TRUE(Settled(1));
    Tick(5);
    EXPECT_EQ(Reports.Paths, QStringList{File("twice.wma")});
}

TEST_F(DirectoryMonitorTest, ManyFilesAtOnceComeTenPerTickInArrivalOrder)
{
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    QStringList Names;
    for (int I = 0; I < 25; ++I) {
        Names << File(QString("f%1.wma").arg(I, 2, 10, QLatin1Char('0')));
        WriteFile(Names.back(), "");
    }
    // Filled between two checks, so that all become complete at the same one.
    ASSERT_TRUE(Settled(25));
    Checks->Tick();
    for (const QString& Name : Names)
        WriteFile(Name, "0123456789");
    ASSERT_TRUE(Settled(25));
    Checks->Tick(2);
    EXPECT_EQ(TReadyQueue::Instance().Count(), 25);
    for (const int Delivered : {10, 20, 25, 25}) {
        Hand.Ticks().Tick();
        EXPECT_EQ(Reports.Paths, Names.mid(0, Delivered));
    }
}

TEST_F(DirectoryMonitorTest, StopRightAfterStartReportsNothing)
{
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    WriteFile(File("a.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    Monitor.Stop();
    EXPECT_FALSE(Monitor.Started());
    EXPECT_EQ(Monitor.PendingCount(), 0);
    EXPECT_FALSE(TReadyQueue::Instance().DispatchEnabled());
    EXPECT_FALSE(Checks->Active());
    Tick(3);
    EXPECT_TRUE(Reports.Paths.isEmpty());

    // Started again, the monitor has forgotten the file and sees it once it is
    // written again.
    Markers = 0;
    Monitor.Start();
    Tick(3);
    EXPECT_EQ(Monitor.PendingCount(), 0);
    WriteFile(File("a.wma"), "0123456789abc");
    ASSERT_TRUE(Settled(1));
    Tick(2);
    EXPECT_EQ(Reports.Paths, QStringList{File("a.wma")});
}

TEST_F(DirectoryMonitorTest, SubFoldersAreWatchedOnlyWhenAskedIncludingNewOnes)
{
    ASSERT_TRUE(QDir().mkpath(File("old/deep")));
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    WriteFile(File("old/deep/x.wma"), "0123456789");
    WriteFile(File("top.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    Tick(4);
    EXPECT_EQ(Reports.Paths, QStringList{File("top.wma")});
    Monitor.Stop();
    Reports.Paths.clear();
    Markers = 0;

    TTempDir Outside;
    const QString Away = QString::fromStdString(Outside.Path());
    ASSERT_TRUE(QDir().mkpath(Away + "/moved/inner"));
    WriteFile(Away + "/moved/inner/m.wma", "0123456789");
    Monitor.SetWatchSubtree(true);
    Monitor.Start();
    WriteFile(File("old/deep/y.wma"), "0123456789");
    // A folder made and filled at once: the file may come before its watch.
    ASSERT_TRUE(QDir().mkpath(File("new/sub")));
    WriteFile(File("new/sub/z.wma"), "0123456789");
    // A folder moved in brings its files.
    ASSERT_EQ(rename(QFile::encodeName(Away + "/moved"), QFile::encodeName(File("moved"))), 0);
    ASSERT_TRUE(Settled(3));
    Tick(2);
    EXPECT_EQ(Reports.Paths.size(), 3);
    // A folder moved away is no longer watched: its files would be reported
    // under names that do not exist.
    ASSERT_EQ(rename(QFile::encodeName(File("moved")), QFile::encodeName(Away + "/moved")), 0);
    WriteFile(Away + "/moved/after.wma", "0123456789");
    // And one created below a new folder later still counts.
    WriteFile(File("new/sub/w.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    Tick(4);
    QStringList Got = Reports.Paths;
    Got.sort();
    EXPECT_EQ(Got, (QStringList{File("moved/inner/m.wma"), File("new/sub/w.wma"), File("new/sub/z.wma"),
                                File("old/deep/y.wma")}));
}

TEST_F(DirectoryMonitorTest, OverflowOfTheEventQueueLosesNoFile)
{
    int Queue = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> Queue;
    if (Queue <= 0 || Queue > 1 << 20)
        GTEST_SKIP() << "event queue of " << Queue;

    WriteFile(File("old.wma"), "0123456789"); // before Start: not ours to report
    Monitor.SetRequiredChecks(1);
    Monitor.Start();
    WriteFile(File("early.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    Tick(2);
    ASSERT_EQ(Reports.Paths.size(), 1);
    // A rescan looks at files changed shortly before the queue was last seen
    // empty; let the two files above fall out of that window.
    const QString Newest = File("early.wma");
    RunUntil([&] { return SecondsSinceWrite(Newest) > TFolderWatch::ClockSlackSeconds + 0.3; }, 5000);
    WriteFile(File("tick.wma"), "0123456789");
    ASSERT_TRUE(Settled(1));
    Tick(2);
    ASSERT_EQ(Reports.Paths.size(), 2);

    {
        // The wait thread blocks on its first file while we hold the lock, so
        // the kernel's queue fills up and overflows.
        std::lock_guard Lock(TReadyQueue::Instance().PendingLock);
        WriteFile(File("block.wma"), "0123456789");
        const int One = open(QFile::encodeName(File("one.txt")), O_WRONLY | O_CREAT, 0644);
        const int Two = open(QFile::encodeName(File("two.txt")), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(One, 0);
        ASSERT_GE(Two, 0);
        for (int I = 0; I < Queue; ++I) {
            ASSERT_EQ(write(One, "x", 1), 1);
            ASSERT_EQ(write(Two, "x", 1), 1);
        }
        close(One);
        close(Two);
        WriteFile(File("lost.wma"), "0123456789");
    }
    ASSERT_TRUE(Settled(2));
    Tick(4);
    QStringList Got = Reports.Paths;
    Got.sort();
    EXPECT_EQ(Got, (QStringList{File("block.wma"), File("early.wma"), File("lost.wma"), File("tick.wma")}));
}

// The monitor as the program runs it: its own timers, a writer in another
// process, real time.
TEST(DirectoryMonitorInRealTime, SlowCopyIsReportedOnceFiveChecksAfterItsLastChunk)
{
    TTempDir Temp;
    const QString Target = QString::fromStdString(Temp.File("slow.wma"));
    DirectoryMonitor Monitor;
    TReports Reports;
    Reports.Attach(Monitor);
    Monitor.SetDirectory(QString::fromStdString(Temp.Path()));
    Monitor.Start();
    // Ten chunks, one every 300 ms: many notifications, never five quiet checks.
    QProcess Writer;
    Writer.start("sh", {"-c", "for i in 0 1 2 3 4 5 6 7 8 9; do printf 0123456789 >>\"$0\"; sleep 0.3; done", Target});
    ASSERT_TRUE(Writer.waitForStarted());
    ASSERT_TRUE(RunUntil([&] { return Writer.state() == QProcess::NotRunning; }, 10000));
    EXPECT_TRUE(Reports.Paths.isEmpty());

    ASSERT_TRUE(RunUntil([&] { return !Reports.Paths.isEmpty(); }, 10000));
    // Five checks after the one that saw the last chunk, which came after it
    // (Qt's coarse timers may fire up to 5% early).
    EXPECT_GE(SecondsSinceWrite(Target), 5 * TWaitThread::CheckInterval * 0.95 / 1000.0);
    EXPECT_EQ(QFileInfo(Target).size(), 100);
    RunFor(3 * TWaitThread::CheckInterval);
    EXPECT_EQ(Reports.Paths, QStringList{Target});
    Monitor.Stop();
}
