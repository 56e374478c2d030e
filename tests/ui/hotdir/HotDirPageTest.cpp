// SPDX-License-Identifier: GPL-3.0-or-later
// The hot directory page on real folders and real time: what start refuses and
// where it puts the focus, the folder choices, the settings it keeps, and a
// folder watched for real while a copied file converts.
#include "app/engine/monitor/MonitorTestUtil.h"
#include "support/TestUtil.h"
#include "ui/FakeDesktop.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/hotdir/AfterConversion.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/engine/batch/RunClaim.h"
#include "app/ui/hotdir/HotDirPage.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <map>
#include <set>

using namespace autest;

namespace {

QString Lang(int Index)
{
    return app::LangStrings()[static_cast<size_t>(Index)];
}

QString AccessibleName(QWidget* Widget)
{
    return QAccessible::queryAccessibleInterface(Widget)->text(QAccessible::Name);
}

// What a newly started program reads from the settings file.
struct TSaved {
    TSaved() { Settings.SetAutoLoad(false); }
    app::TcdSettings Settings;
};

class HotDirPage : public ::testing::Test {
protected:
    HotDirPage() : Root(QString::fromStdString(Dir.Path()))
    {
        app::LoadLanguageStrings(app::LangStrings(), 450, app::ExeFolderFile("English.lng"), "Strings");
        Settings.SetAutoLoad(false);
        Settings.SetIndir(QString());
        Settings.SetOutDir(QString());
        Settings.SetLogDir(QString());
        Settings.SetSubDir(false);
        Settings.SetMRate("44100");
        Settings.SetMBit("16");
        Settings.SetMChannel(0);
        Settings.SetMEncoding(0);
        Open();
    }

    // A page made anew, as at window creation, from the settings as they are.
    void Open()
    {
        Page.reset();
        Page = std::make_unique<app::THotDirPage>(HotDir, Settings, Dialogs, Shell);
    }
    // Shown as a window of its own and active, so that focus and mnemonics work.
    void Show()
    {
        Page->show();
        Page->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Page.get()));
    }
    void MakeFolders(std::initializer_list<const char*> Names)
    {
        for (const char* Name : Names)
            ASSERT_TRUE(QDir().mkpath(Root + "/" + Name));
    }
    void SetFolders(const QString& In, const QString& Out, const QString& Log)
    {
        Edit("edtindir")->setText(In);
        Edit("edtoutdir")->setText(Out);
        Edit("edtlog")->setText(Log);
    }

    template <typename T = QWidget> T* Find(const char* Name)
    {
        T* Found = Page->findChild<T*>(Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    QLineEdit* Edit(const char* Name) { return Find<QLineEdit>(Name); }
    QPushButton* Button(const char* Name) { return Find<QPushButton>(Name); }
    QString Activity() { return Find<QPlainTextEdit>("mmohotlog")->toPlainText(); }

    // Watching: start disabled, stop and minimise enabled, fields locked, no
    // way back to the batch page. Stopped: the other way round.
    void ExpectState(bool Watching)
    {
        EXPECT_EQ(HotDir.Watching(), Watching);
        EXPECT_EQ(Button("btnsbtrun")->isEnabled(), !Watching);
        EXPECT_EQ(Button("btnsbtend")->isEnabled(), Watching);
        EXPECT_EQ(Button("btnmin")->isEnabled(), Watching);
        EXPECT_EQ(Button("btnsbtreturn")->isEnabled(), !Watching);
        for (const char* Name : {"edtindir", "edtoutdir", "edtlog", "chksubdir", "btnset", "btnselectindir",
                                 "btnselectoutdir", "btnselectlogfile"})
            EXPECT_EQ(Find(Name)->isEnabled(), !Watching) << Name;
    }
    void ExpectStopped() { ExpectState(false); }
    void ExpectWatching()
    {
        ExpectState(true);
        EXPECT_TRUE(Page->Running());
    }

    TTempDir Dir;
    const QString Root;
    app::TcdSettings Settings;
    app::TRunClaim Claim;
    app::THotDirectory HotDir{Settings, Claim};
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
    std::unique_ptr<app::THotDirPage> Page;
};

TEST_F(HotDirPage, StartRefusesInTheCheckOrderWithItsStringAndFocus)
{
    MakeFolders({"in/out", "inside", "log"});
    const QString None = Root + "/none";
    const struct {
        QString In, Out, Log;
        int String;
        const char* Focus;
    } Cases[] = {
        {None, None, None, 22, "edtindir"},
        {"", "", "", 22, "edtindir"},
        {Root + "/in", None, None, 23, "edtoutdir"},
        {Root + "/in", Root + "/inside", None, 24, "edtlog"},
        {Root + "/in", Root + "/in/out", Root + "/log", 25, "edtindir"},
        {Root + "/in", Root + "/in", Root + "/log", 25, "edtindir"},
    };
    Show();
    bool ByMnemonic = true;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.String);
        Dialogs.Messages.clear();
        SetFolders(Case.In, Case.Out, Case.Log);
        Find("mmohotlog")->setFocus();
        if (ByMnemonic) { // "&Start" works from the keyboard as well; the button shows itself pressed first
            QTest::keyClick(Page.get(), Qt::Key_S, Qt::AltModifier);
            RunUntil([&] { return !Dialogs.Messages.empty(); }, 2000);
        } else {
            Button("btnsbtrun")->click();
        }
        ByMnemonic = false;
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Information);
        EXPECT_FALSE(Lang(Case.String).isEmpty());
        EXPECT_EQ(Dialogs.Messages[0].Text, Lang(Case.String));
        EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Ok);
        EXPECT_EQ(QApplication::focusWidget(), Find(Case.Focus));
        ExpectStopped();
    }

    // A move of the converted sources into the output folder is refused next,
    // with its text and the focus in the move folder's box.
    Find<QComboBox>("cbbafter")->setCurrentIndex(app::acMove);
    Find<QLineEdit>("edtmovedir")->setText(Root + "/inside");
    SetFolders(Root + "/in", Root + "/inside", Root + "/log");
    Dialogs.Messages.clear();
    Button("btnsbtrun")->click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, app::LangText(app::TAfterConversion::StrMoveTouchesOutput, app::TAfterConversion::MsgMoveTouchesOutput));
    EXPECT_EQ(QApplication::focusWidget(), Find("edtmovedir"));
    ExpectStopped();
    Find<QComboBox>("cbbafter")->setCurrentIndex(app::acLeave);

    // An output folder whose name merely begins like the input's is no refusal.
    Dialogs.Messages.clear();
    SetFolders(Root + "/in", Root + "/inside", Root + "/log");
    Button("btnsbtrun")->click();
    EXPECT_TRUE(Dialogs.Messages.empty());
    ExpectWatching();
    Button("btnsbtend")->click();
    ExpectStopped();
}

TEST_F(HotDirPage, EveryControlHasItsNameCaptionAndKey)
{
    EXPECT_EQ(Page->objectName(), "tsHotDirectory");
    EXPECT_EQ(Find<QGroupBox>("grpHotDir")->title(), "Hot Directory Setting");
    const std::pair<const char*, const char*> Buttons[] = {{"btnselectindir", "Bro&wse.."},
                                                           {"btnselectoutdir", "Brows&e.."},
                                                           {"btnselectlogfile", "Browse&.."},
                                                           {"btnopeninputdir", "O&pen Dir"},
                                                           {"btnopenoutputdir", "Ope&n Dir"},
                                                           {"btnviewlog", "Open Lo&gDir"},
                                                           {"chksubdir", "Include Sub-Director&y"},
                                                           {"btnset", "&Option"},
                                                           {"btnsbtreturn", "Ret&urn to Batch Mode"},
                                                           {"btnsbtrun", "&Start"},
                                                           {"btnsbtend", "S&top"},
                                                           {"btnmin", "&Minimize"},
                                                           {"btnabout", "A&bout"}};
    std::set<int> Keys;
    for (const auto& [Name, Caption] : Buttons) {
        auto* Control = Find<QAbstractButton>(Name);
        ASSERT_NE(Control, nullptr);
        EXPECT_EQ(Control->text(), Caption);
        // The three Browse buttons are told apart by their folders.
        const std::map<QString, QString> Folders{{"btnselectindir", "Browse input folder"},
                                                 {"btnselectoutdir", "Browse output folder"},
                                                 {"btnselectlogfile", "Browse log folder"},
                                                 {"btnopeninputdir", "Open input folder"},
                                                 {"btnopenoutputdir", "Open output folder"}};
        const auto Folder = Folders.find(QString::fromLatin1(Name));
        EXPECT_EQ(AccessibleName(Control), Folder != Folders.end() ? Folder->second : QString(Caption).remove('&'))
            << Name;
        if (QString(Caption).contains('&')) {
            EXPECT_TRUE(Keys.insert(QKeySequence::mnemonic(Caption)[0].toCombined()).second)
                << "mnemonic of " << Name << " clashes";
        }
    }

    // Each label's key moves into its edit box, which a screen reader names
    // after the label.
    Show();
    const std::tuple<const char*, const char*, const char*, Qt::Key> Labels[] = {
        {"lblindir", "&Input Directory:", "edtindir", Qt::Key_I},
        {"lbloutdir", "Out &Directory:", "edtoutdir", Qt::Key_D},
        {"lbllog", "&Log File Path:", "edtlog", Qt::Key_L},
        {"lblhotlog", "&Activity:", "mmohotlog", Qt::Key_A}};
    for (const auto& [LabelName, Caption, EditName, Key] : Labels) {
        auto* Label = Find<QLabel>(LabelName);
        ASSERT_NE(Label, nullptr);
        EXPECT_EQ(Label->text(), Caption);
        EXPECT_TRUE(Keys.insert(QKeySequence::mnemonic(Caption)[0].toCombined()).second) << LabelName;
        QTest::keyClick(Page.get(), Key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), Find(EditName)) << LabelName;
        EXPECT_EQ(AccessibleName(Find(EditName)), QString(Caption).remove('&'));
    }
    EXPECT_TRUE(Find<QPlainTextEdit>("mmohotlog")->isReadOnly());

    // Tab reaches every control that is enabled at start, and comes back.
    std::set<QWidget*> Reached;
    Edit("edtindir")->setFocus();
    for (int Step = 0; Step < 40 && Reached.insert(QApplication::focusWidget()).second; ++Step)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    for (QWidget* Control : Page->findChildren<QWidget*>()) {
        if (Control->focusPolicy() & Qt::TabFocus && Control->isEnabled() && Control->isVisible()) {
            EXPECT_TRUE(Reached.count(Control)) << Control->objectName().toStdString() << " is out of Tab's reach";
        }
    }

    QSignalSpy Option(Page.get(), &app::THotDirPage::OptionRequested);
    QSignalSpy Help(Page.get(), &app::THotDirPage::HelpRequested);
    Button("btnset")->click();
    Button("btnabout")->click();
    EXPECT_EQ(Option.count(), 1);
    EXPECT_EQ(Help.count(), 1);
}

TEST_F(HotDirPage, FieldsComeFromTheSettingsAndGoBackSaved)
{
    Settings.SetIndir("/music/a");
    Settings.SetOutDir("/music/b");
    Settings.SetLogDir("/music/c");
    Settings.SetSubDir(true);
    Open();
    EXPECT_EQ(Edit("edtindir")->text(), "/music/a");
    EXPECT_EQ(Edit("edtoutdir")->text(), "/music/b");
    EXPECT_EQ(Edit("edtlog")->text(), "/music/c");
    EXPECT_TRUE(Find<QCheckBox>("chksubdir")->isChecked());
    ExpectStopped();

    // A click on the check box stores and saves the fields; an empty field
    // keeps what the settings held.
    SetFolders("/x", "", "/z");
    Find<QCheckBox>("chksubdir")->click();
    {
        TSaved Saved;
        EXPECT_EQ(Saved.Settings.Indir(), "/x");
        EXPECT_EQ(Saved.Settings.OutDir(), "/music/b");
        EXPECT_EQ(Saved.Settings.LogDir(), "/z");
        EXPECT_FALSE(Saved.Settings.SubDir());
    }

    // Returning to the batch page stores and saves them before it is asked for.
    QSignalSpy Return(Page.get(), &app::THotDirPage::ReturnRequested);
    QString SavedWhenAsked;
    QObject::connect(Page.get(), &app::THotDirPage::ReturnRequested,
                     [&] { SavedWhenAsked = TSaved().Settings.Indir(); });
    Edit("edtindir")->setText("/y");
    Button("btnsbtreturn")->click();
    EXPECT_EQ(Return.count(), 1);
    EXPECT_EQ(SavedWhenAsked, "/y");
}

TEST_F(HotDirPage, FolderChoicesWarnYetKeepTheOtherFolder)
{
    // The output folder lies inside the chosen input folder: a warning, and
    // the choice stands.
    Edit("edtoutdir")->setText(Root + "/music/out");
    Dialogs.FolderAnswers = {Root + "/music"};
    Button("btnselectindir")->click();
    EXPECT_EQ(Dialogs.FolderTitles, QStringList{Lang(18)});
    EXPECT_EQ(Dialogs.FolderStarts, QStringList{QString()});
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(Dialogs.Messages[0].Text, Lang(19));
    EXPECT_EQ(Edit("edtindir")->text(), Root + "/music");

    // The very output folder: the warning, and the input field stays.
    Dialogs.FolderAnswers = {Root + "/music/out"};
    Button("btnselectindir")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Edit("edtindir")->text(), Root + "/music");

    // Paths differ in case: another folder, no warning.
    Dialogs.FolderAnswers = {Root + "/Music"};
    Button("btnselectindir")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Edit("edtindir")->text(), Root + "/Music");
    Edit("edtindir")->setText(Root + "/music");
    Dialogs.FolderTitles.removeLast();

    // Cancelled: nothing.
    Button("btnselectindir")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Edit("edtindir")->text(), Root + "/music");

    // The output folder: warned when the input folder is it or lies inside it.
    Dialogs.FolderAnswers = {Root + "/elsewhere", Root, Root + "/music"};
    Button("btnselectoutdir")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Edit("edtoutdir")->text(), Root + "/elsewhere");
    Button("btnselectoutdir")->click();
    ASSERT_EQ(Dialogs.Messages.size(), 3u);
    EXPECT_EQ(Dialogs.Messages[2].Icon, QMessageBox::Warning);
    EXPECT_EQ(Dialogs.Messages[2].Text, Lang(21));
    EXPECT_EQ(Edit("edtoutdir")->text(), Root);
    Button("btnselectoutdir")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 4u);
    EXPECT_EQ(Edit("edtoutdir")->text(), Root);
    EXPECT_EQ(Dialogs.FolderTitles, QStringList({Lang(18), Lang(18), Lang(18), Lang(20), Lang(20), Lang(20)}));

    Dialogs.FolderAnswers = {Root + "/logs"};
    Button("btnselectlogfile")->click();
    EXPECT_EQ(Dialogs.FolderTitles.last(), "log path");
    EXPECT_EQ(Edit("edtlog")->text(), Root + "/logs");
    EXPECT_EQ(Dialogs.Messages.size(), 4u);
}

TEST_F(HotDirPage, OpenButtonsShowTheFoldersAndTheDayLog)
{
    MakeFolders({"log"});
    Settings.SetLogDir(Root + "/log");
    Open();
    SetFolders(Root + "/in", Root + "/out", Root + "/typed");
    Button("btnopeninputdir")->click();
    Button("btnopenoutputdir")->click();
    // The log folder of the settings, where the day's log is written.
    Button("btnviewlog")->click();
    EXPECT_EQ(Shell.OpenedFolders, QStringList({Root + "/in", Root + "/out", Root + "/log"}));
    EXPECT_TRUE(Shell.ShownItems.isEmpty());

    app::AppendLogLine("Finish: [10:00:00]", app::DayLogFile(Root + "/log"));
    Button("btnviewlog")->click();
    EXPECT_EQ(Shell.ShownItems, QStringList{app::DayLogFile(Root + "/log")});
}

TEST_F(HotDirPage, WatchesARealFolderAndConvertsACopiedFile)
{
    MakeFolders({"in/a", "out", "log"});
    SetFolders(Root + "/in", Root + "/out", Root + "/log");
    Find<QCheckBox>("chksubdir")->setChecked(true);
    Show();
    Button("btnsbtrun")->click();
    ASSERT_TRUE(Dialogs.Messages.empty());
    ExpectWatching();
    {
        TSaved Saved; // a successful start saves the fields
        EXPECT_EQ(Saved.Settings.Indir(), Root + "/in");
        EXPECT_EQ(Saved.Settings.OutDir(), Root + "/out");
        EXPECT_EQ(Saved.Settings.LogDir(), Root + "/log");
        EXPECT_TRUE(Saved.Settings.SubDir());
    }

    ASSERT_TRUE(QFile::copy(app::ExeFolderFile("Example.wma"), Root + "/in/a/song.wma"));
    const app::TStringValues& Queue = HotDir.Queue();
    ASSERT_TRUE(RunUntil([&] { return Queue.Count() == 1 && !Queue.Values(0).isEmpty(); }));
    EXPECT_EQ(Queue.Values(0), "1");
    const QString Wav = Root + "/out/a/song.wav";
    std::string Probe;
    ASSERT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -show_entries "
                         "format=duration -of default=nw=1 '" +
                             Wav.toStdString() + "'",
                         &Probe),
              0);
    EXPECT_NE(Probe.find("codec_name=pcm_s16le"), std::string::npos) << Probe;
    EXPECT_NE(Probe.find("sample_rate=44100"), std::string::npos) << Probe;
    EXPECT_NE(Probe.find("channels=2"), std::string::npos) << Probe;
    const size_t At = Probe.find("duration=");
    ASSERT_NE(At, std::string::npos);
    EXPECT_NEAR(std::stod(Probe.substr(At + 9)), 3.018, 0.05);

    // The page shows what the day's log says.
    const QString Log = app::DayLogFile(Root + "/log");
    QFile LogFile(Log);
    ASSERT_TRUE(LogFile.open(QIODevice::ReadOnly));
    const QStringList LogLines = QString::fromUtf8(LogFile.readAll()).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(Activity().split('\n'), LogLines);
    EXPECT_TRUE(LogLines.contains("Excute File: " + Root + "/in/a/song.wma"));
    EXPECT_TRUE(LogLines.contains("Save to: " + Wav + " [Success]"));

    Button("btnsbtend")->click();
    ExpectStopped();
    EXPECT_FALSE(Page->Running());

    // Watching again shows the day's log so far; minimising frees the way back.
    Find<QPlainTextEdit>("mmohotlog")->clear();
    Button("btnsbtrun")->click();
    ExpectWatching();
    EXPECT_EQ(Activity().split('\n'), LogLines);
    QSignalSpy Minimize(Page.get(), &app::THotDirPage::MinimizeRequested);
    Button("btnmin")->click();
    EXPECT_EQ(Minimize.count(), 1);
    EXPECT_TRUE(Button("btnsbtreturn")->isEnabled());
    Button("btnsbtend")->click();
    ExpectStopped();
}

// Closing the window while a long file converts: watching ends, the file being
// written leaves nothing (an older file of its name keeps its bytes), the page
// is idle and the file's log group is complete.
TEST_F(HotDirPage, StopForCloseStopsTheFileInProgressAndLeavesNothingOfIt)
{
    MakeFolders({"in", "out", "log", "staging"});
    const std::string Long = (Root + "/staging/long.wma").toStdString();
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=3600:sample_rate=22050 -ac 1 "
                         "-c:a wmav2 -b:a 32k '" +
                         Long + "'"),
              0);
    SetFolders(Root + "/in", Root + "/out", Root + "/log");
    Button("btnsbtrun")->click();
    ExpectWatching();
    ASSERT_TRUE(QFile::rename(Root + "/staging/long.wma", Root + "/in/long.wma"));
    const std::vector<uint8_t> Older = {'o', 'l', 'd'};
    WriteBytes((Root + "/out/long.wav").toStdString(), Older);
    // Stopped once its hidden file exists, well before its end even on a
    // loaded machine.
    ASSERT_TRUE(RunUntil([&] { return QDir(Root + "/out").entryList(QDir::Files | QDir::Hidden).size() == 2; }));
    Page->StopForClose();
    EXPECT_FALSE(HotDir.Watching());
    EXPECT_FALSE(HotDir.Busy());
    EXPECT_EQ(QDir(Root + "/out").entryList(QDir::Files | QDir::Hidden), QStringList{"long.wav"});
    EXPECT_EQ(ReadBytes((Root + "/out/long.wav").toStdString()), Older);
    const QStringList Lines = Activity().split('\n');
    ASSERT_GE(Lines.size(), 3);
    EXPECT_EQ(Lines.mid(Lines.size() - 3, 2),
              (QStringList{"Save to: " + Root + "/out/long.wav [Failed]",
                           "Stopped before the end; the file was not written."}));
    EXPECT_TRUE(Lines.back().startsWith("Finish: [")) << Lines.back().toStdString();
    // Nothing queued starts any more.
    EXPECT_TRUE(QFile::copy(app::ExeFolderFile("Example.wma"), Root + "/in/late.wma"));
    HotDir.QueueReadyFile(Root + "/in/late.wma");
    RunFor(1500);
    EXPECT_FALSE(QFile::exists(Root + "/out/late.wav"));
}

// A folder whose name ends in a blank: the monitor would trim the name and
// find a plain file there, so the start checks, trimming it alike, refuse it
// as no folder; the page is ready to start again.
TEST_F(HotDirPage, AFolderTheMonitorCannotWatchLeavesThePageStopped)
{
    MakeFolders({"in ", "good", "out", "log"});
    WriteFile(Root + "/in", "not a folder");
    SetFolders(Root + "/in ", Root + "/out", Root + "/log");
    const QString SavedBefore = TSaved().Settings.Indir();
    Button("btnsbtrun")->click();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Information);
    EXPECT_EQ(Dialogs.Messages[0].Text, Lang(app::THotDirectory::StrNoInput));
    ExpectStopped();
    EXPECT_FALSE(Page->Running());
    EXPECT_EQ(TSaved().Settings.Indir(), SavedBefore);

    Edit("edtindir")->setText(Root + "/good");
    Button("btnsbtrun")->click();
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    ExpectWatching();
    Button("btnsbtend")->click();
}

} // namespace
