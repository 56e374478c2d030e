// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: what happens before the window, one copy at a time, and the
// settings file the program leaves behind, in this process and as the real
// `kelvaro` started by a user or a session manager.
#include "ui/FakeDesktop.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/BaseSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/batch/FileListView.h"
#include "app/ui/window/MainWindow.h"
#include "app/ui/window/Program.h"
#include "app/ui/window/SingleInstance.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <unistd.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString Title = QString::fromUtf8(app::ApplicationTitle);

// The ten values, and beside them the choice for existing WAV files, the
// list's column widths, the parallel conversions, the choices to copy tags and keep the
// sources' dates and the hot directory's choice for converted sources.
const QStringList StoredValues{
    QStringLiteral("Applocation"), QStringLiteral("CopyTags"), QStringLiteral("HotAfter"), QStringLiteral("HotMoveDir"),
    QStringLiteral("IfExists"),    QStringLiteral("Indir"),    QStringLiteral("KeepTime"),
    QStringLiteral("ListColumnWidths"), QStringLiteral("LogDir"), QStringLiteral("MBit"),
    QStringLiteral("MChannel"),    QStringLiteral("MEncoding"), QStringLiteral("MRate"),
    QStringLiteral("OutDir"),      QStringLiteral("Parallel"), QStringLiteral("SavePath"), QStringLiteral("SubDir")};

// The keys of the "Setting" group as another reader of the file sees them.
QStringList StoredSettings(const QString& File)
{
    QSettings Reader(File, QSettings::NativeFormat);
    Reader.beginGroup(QStringLiteral("Setting"));
    QStringList Keys = Reader.childKeys();
    Keys.sort();
    return Keys;
}

QByteArray Contents(const QString& File)
{
    QFile Reader(File);
    return Reader.open(QIODevice::ReadOnly) ? Reader.readAll() : QByteArray();
}

app::Tfrmsondrix* RunningWindow()
{
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Window = qobject_cast<app::Tfrmsondrix*>(Widget); Window != nullptr && Window->isVisible())
            return Window;
    return nullptr;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_RUNTIME_DIR", Runtime.path().toUtf8());
        QFile::remove(app::TBaseSettings::FilePath());
    }
    void TearDown() override { QFile::remove(app::TBaseSettings::FilePath()); }

    QTemporaryDir Runtime;
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
};

TEST_F(ProgramTest, StartsInOrderAndLeavesEveryValueInTheSettingsFile)
{
    {
        QSettings Writer(app::TBaseSettings::FilePath(), QSettings::NativeFormat);
        Writer.setValue(QStringLiteral("Language"), QStringLiteral("Deutsch"));
        Writer.setValue(QStringLiteral("Setting/MRate"), QStringLiteral("22050"));
    }
    bool Checked = false;
    QTimer::singleShot(0, [&] {
        app::Tfrmsondrix* Window = RunningWindow();
        ASSERT_NE(Window, nullptr);
        // The settings' language chose the file beside the program, whose
        // strings and captions are in place once the window shows.
        EXPECT_EQ(Window->LanguageFile(), app::ExeFolderFile(QStringLiteral("Deutsch.lng")));
        EXPECT_EQ(app::LangStrings()[22], QStringLiteral("Bitte einen vorhandenen Eingabeordner wählen."));
        EXPECT_EQ(Window->findChild<QAbstractButton*>(QStringLiteral("btnnext"))->text(), QStringLiteral("&Weiter"));
        EXPECT_EQ(Window->windowTitle(), Title);
        EXPECT_TRUE(app::TSingleInstance(Title).AlreadyRunning());
        Checked = true;
        Window->close();
    });
    EXPECT_EQ(app::RunProgram(Dialogs, Shell), 0);
    EXPECT_TRUE(Checked);
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_FALSE(app::TSingleInstance(Title).AlreadyRunning());

    const QString File = app::TBaseSettings::FilePath();
    EXPECT_EQ(StoredSettings(File), StoredValues);
    EXPECT_EQ(QSettings(File, QSettings::NativeFormat).value(QStringLiteral("Setting/MRate")),
              QStringLiteral("22050"));
    const QByteArray Text = Contents(File);
    EXPECT_FALSE(Text.contains("Name=")) << Text.constData();
    EXPECT_FALSE(Text.contains("Tag=")) << Text.constData();
    app::LangStrings() = {};
}

TEST_F(ProgramTest, SecondCopyEndsAtOnceAndLeavesTheSettingsAlone)
{
    {
        QSettings Writer(app::TBaseSettings::FilePath(), QSettings::NativeFormat);
        Writer.setValue(QStringLiteral("Setting/MBit"), QStringLiteral("24"));
    }
    const QByteArray Before = Contents(app::TBaseSettings::FilePath());
    const app::TSingleInstance First(Title);
    ASSERT_FALSE(First.AlreadyRunning());
    EXPECT_EQ(app::RunProgram(Dialogs, Shell), 0);
    EXPECT_EQ(RunningWindow(), nullptr);
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(Contents(app::TBaseSettings::FilePath()), Before);
}

// A second start from another folder: its files, named relative to that folder,
// reach the list of the window that runs; a start without files only asks for
// the window; both end at once with success.
TEST_F(ProgramTest, SecondStartHandsItsFilesToTheRunningWindow)
{
    QTemporaryDir Folder;
    ASSERT_TRUE(QFile::copy(app::ExeFolderFile(QStringLiteral("Example.wma")), Folder.filePath("a b.wma")));
    QProcess Second;
    Second.setProgram(app::ExeFolderFile(QStringLiteral("kelvaro")));
    Second.setWorkingDirectory(Folder.path());
    int Rows = -1;
    QTimer::singleShot(0, [&] {
        app::Tfrmsondrix* Window = RunningWindow();
        ASSERT_NE(Window, nullptr);
        const QAbstractItemModel& List = *Window->BatchPage()->FileList().model();
        for (const QStringList& Arguments : {QStringList(), QStringList{QStringLiteral("a b.wma")}}) {
            Second.setArguments(Arguments);
            Second.start();
            EXPECT_TRUE(QTest::qWaitFor([&] { return Second.state() == QProcess::NotRunning; }, 20000));
            EXPECT_EQ(Second.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(Second.exitCode(), 0) << Second.readAllStandardError().constData();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return List.rowCount() == 1; }, 20000));
        EXPECT_EQ(Window->CurrentPage(), static_cast<QWidget*>(Window->BatchPage()));
        Rows = List.rowCount();
        QStringList Cells;
        for (int Column = 0; Column < List.columnCount(); ++Column)
            Cells << List.index(0, Column).data().toString();
        EXPECT_TRUE(Cells.contains(Folder.filePath("a b.wma"))) << Cells.join(QLatin1Char('|')).toStdString();
        Window->close();
    });
    EXPECT_EQ(app::RunProgram(Dialogs, Shell), 0);
    EXPECT_EQ(Rows, 1);
}

// Thousands of files on the command line, and thousands more handed over by a
// second start while the first load still runs: both loads end, every row is
// probed, and the second start's rows follow the first's.
TEST_F(ProgramTest, ThousandsOfFilesFromTheCommandLineAndASecondStartAllLoad)
{
    QTemporaryDir Folder;
    const QString Source = Folder.filePath(QStringLiteral("source.wma"));
    ASSERT_TRUE(QFile::copy(app::ExeFolderFile(QStringLiteral("Example.wma")), Source));
    QStringList First, Second;
    for (int I = 0; I < 3000; ++I)
        for (QStringList* Files : {&First, &Second}) {
            *Files << Folder.filePath(QStringLiteral("%1%2.wma").arg(Files == &First ? 'a' : 'b').arg(I, 4, 10,
                                                                                                    QChar('0')));
            ASSERT_EQ(::link(QFile::encodeName(Source).constData(), QFile::encodeName(Files->back()).constData()), 0);
        }
    QProcess Start;
    Start.setProgram(app::ExeFolderFile(QStringLiteral("kelvaro")));
    Start.setArguments(Second);
    QStringList Listed;
    bool Probed = true, HandedOverWhileLoading = false;
    QTimer::singleShot(0, [&] {
        app::Tfrmsondrix* Window = RunningWindow();
        ASSERT_NE(Window, nullptr);
        const QAbstractItemModel& List = *Window->BatchPage()->FileList().model();
        HandedOverWhileLoading = List.rowCount() < 3000;
        Start.start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Start.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(Start.exitCode(), 0) << Start.readAllStandardError().constData();
        EXPECT_TRUE(QTest::qWaitFor([&] { return List.rowCount() == 6000; }, 100000));
        for (int Row = 0; Row < List.rowCount(); ++Row) {
            Listed << List.index(Row, app::TFileListModel::colPath).data().toString();
            Probed &= !List.index(Row, app::TFileListModel::colLength).data().toString().isEmpty();
        }
        Window->close();
    });
    EXPECT_EQ(app::RunProgram(Dialogs, Shell, First), 0);
    EXPECT_TRUE(HandedOverWhileLoading);
    EXPECT_EQ(Listed, First + Second);
    EXPECT_TRUE(Probed);
}

TEST(SingleInstance, LockFileLivesInTheRuntimeFolderElseTheTemporaryOne)
{
    QTemporaryDir Runtime;
    qputenv("XDG_RUNTIME_DIR", Runtime.path().toUtf8());
    EXPECT_EQ(app::TSingleInstance::LockFilePath(Title), Runtime.filePath(Title + QStringLiteral(".lock")));
    qputenv("XDG_RUNTIME_DIR", Runtime.filePath(QStringLiteral("missing")).toUtf8());
    EXPECT_EQ(app::TSingleInstance::LockFilePath(Title), QDir(QDir::tempPath()).filePath(Title + ".lock"));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(app::TSingleInstance::LockFilePath(Title), QDir(QDir::tempPath()).filePath(Title + ".lock"));
}

TEST(SingleInstance, LockGoesWithItsHolder)
{
    QTemporaryDir Runtime;
    qputenv("XDG_RUNTIME_DIR", Runtime.path().toUtf8());
    auto First = std::make_unique<app::TSingleInstance>(QStringLiteral("lock test"));
    EXPECT_FALSE(First->AlreadyRunning());
    EXPECT_TRUE(app::TSingleInstance(QStringLiteral("lock test")).AlreadyRunning());
    EXPECT_FALSE(app::TSingleInstance(QStringLiteral("other name")).AlreadyRunning());
    First.reset();
    EXPECT_FALSE(app::TSingleInstance(QStringLiteral("lock test")).AlreadyRunning());
}

// The installed program itself, in a private settings and runtime folder.
class KelvaroProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Config.path());
        Environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Runtime.path());
        Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (QProcess* Process : {&First, &Second}) {
            Process->setProcessEnvironment(Environment);
            Process->setProgram(app::ExeFolderFile(QStringLiteral("kelvaro")));
        }
    }
    void TearDown() override
    {
        for (QProcess* Process : {&First, &Second})
            if (Process->state() != QProcess::NotRunning) {
                Process->kill();
                Process->waitForFinished();
            }
    }

    // The process holds the lock: the system's list of locks names it.
    static bool HoldsLock(const QProcess& Process)
    {
        const QByteArray Locks = Contents(QStringLiteral("/proc/locks"));
        const QByteArray Pid = " " + QByteArray::number(Process.processId()) + " ";
        for (const QByteArray& Line : Locks.split('\n'))
            if (Line.contains("FLOCK") && Line.contains(Pid))
                return true;
        return false;
    }

    QString SettingsFile() const { return Config.filePath(QStringLiteral("Trevalin/Kelvaro.conf")); }

    QTemporaryDir Config;
    QTemporaryDir Runtime;
    QProcess First;
    QProcess Second;
};

TEST_F(KelvaroProcessTest, SecondStartEndsAtOnceAndTerminationEndsLikeClosing)
{
    First.start();
    ASSERT_TRUE(First.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return HoldsLock(First); }, 20000)) << First.readAllStandardError().data();

    Second.start();
    ASSERT_TRUE(Second.waitForFinished(20000));
    EXPECT_EQ(Second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Second.exitCode(), 0);
    EXPECT_EQ(First.state(), QProcess::Running);
    EXPECT_FALSE(QFile::exists(SettingsFile()));

    ::kill(static_cast<pid_t>(First.processId()), SIGTERM);
    ASSERT_TRUE(First.waitForFinished(20000));
    EXPECT_EQ(First.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(First.exitCode(), 0);
    EXPECT_EQ(StoredSettings(SettingsFile()), StoredValues);
}

TEST_F(KelvaroProcessTest, InterruptEndsCleanlyToo)
{
    First.start();
    ASSERT_TRUE(First.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return HoldsLock(First); }, 20000));
    ::kill(static_cast<pid_t>(First.processId()), SIGINT);
    ASSERT_TRUE(First.waitForFinished(20000));
    EXPECT_EQ(First.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(First.exitCode(), 0);
    EXPECT_EQ(StoredSettings(SettingsFile()), StoredValues);
}

TEST_F(KelvaroProcessTest, InformationOptionsAndRefusedArguments)
{
    First.setArguments({QStringLiteral("--version")});
    First.start();
    ASSERT_TRUE(First.waitForFinished(20000));
    EXPECT_EQ(First.exitCode(), 0);
    EXPECT_TRUE(First.readAllStandardOutput().startsWith("kelvaro "));

    Second.setArguments({QStringLiteral("--help")});
    Second.start();
    ASSERT_TRUE(Second.waitForFinished(20000));
    EXPECT_EQ(Second.exitCode(), 0);
    EXPECT_TRUE(Second.readAllStandardOutput().contains(app::ApplicationTitle));

    First.setArguments({QStringLiteral("--song")});
    First.start();
    ASSERT_TRUE(First.waitForFinished(20000));
    EXPECT_EQ(First.exitCode(), 2);
    EXPECT_TRUE(First.readAllStandardError().contains("--song"));
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

} // namespace
