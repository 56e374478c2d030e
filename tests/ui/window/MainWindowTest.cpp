// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user meets it: the first page, moving between pages by
// mouse and by keyboard, the buttons that open documents, the notification
// area and its absence, and closing.
#include "ui/FakeDesktop.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/system/PathUtils.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/batch/FileListView.h"
#include "app/ui/batch/RunControl.h"
#include "support/TestUtil.h"
#include "app/ui/hotdir/HotDirPage.h"
#include "app/ui/window/MainWindow.h"
#include "app/ui/mode/ModePage.h"
#include "app/ui/help/AboutDialog.h"
#include "app/ui/help/DocumentViewer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {

using app::Tfrmsondrix;

const QString TestData = QStringLiteral(KELVARO_UI_TEST_DATA);

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<Tfrmsondrix> Make(bool TrayAvailable = false,
                                      const QString& Language = app::ExeFolderFile(QStringLiteral("English.lng")))
    {
        return std::make_unique<Tfrmsondrix>(Settings, Language, Dialogs, Shell, TrayAvailable);
    }

    // Shown and active, so that mnemonics reach it.
    static void ShowActive(Tfrmsondrix& Window)
    {
        Window.show();
        QApplication::setActiveWindow(&Window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    }

    template <typename T = QAbstractButton> static T* Find(QWidget& Window, const char* Name)
    {
        T* Found = Window.findChild<T*>(QString::fromLatin1(Name));
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }

    app::TcdSettings Settings;
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
};

TEST_F(MainWindowTest, OpensOnTheModePageWithBatchModeChosen)
{
    auto Window = Make();
    ShowActive(*Window);
    EXPECT_EQ(Window->objectName(), QStringLiteral("frmsondrix"));
    EXPECT_EQ(Window->windowTitle(), QString::fromUtf8(app::ApplicationTitle));
    EXPECT_EQ(Window->PageMode(), 0);
    EXPECT_EQ(Window->CurrentPage()->objectName(), QStringLiteral("tsMode"));
    EXPECT_TRUE(Find(*Window, "rbBatch")->isChecked());
    EXPECT_FALSE(Find(*Window, "rbHotDir")->isChecked());
    // The banner is a real picture, shown at half its pixel size.
    const QLabel* Banner = Find<QLabel>(*Window, "imgbanner");
    ASSERT_NE(Banner, nullptr);
    const QPixmap Picture = Banner->pixmap();
    ASSERT_FALSE(Picture.isNull());
    EXPECT_EQ(Picture.devicePixelRatio(), 2.0);
    EXPECT_EQ(Banner->accessibleName(), QString::fromUtf8(app::ApplicationTitle));
}

TEST_F(MainWindowTest, LanguageFileRenamesControlsButNotTheWindow)
{
    auto Window = Make(false, TestData + QStringLiteral("/Deutsch.lng"));
    EXPECT_EQ(Window->LanguageFile(), TestData + QStringLiteral("/Deutsch.lng"));
    EXPECT_EQ(Find(*Window, "rbBatch")->text(), QStringLiteral("&Stapelumwandlung"));
    EXPECT_EQ(Find(*Window, "btnnext")->text(), QStringLiteral("&Weiter"));
    EXPECT_EQ(Find(*Window, "lblcmdlink")->toolTip(), QStringLiteral("Befehlszeilenmodus"));
    EXPECT_EQ(Window->Tray().Menu()->actions().constFirst()->text(), QStringLiteral("&Anzeigen"));
    // A button that stands for an action keeps the file's caption when the
    // action changes state.
    Window->BatchPage()->Run().Convert()->setEnabled(false);
    EXPECT_EQ(Find(*Window, "btnConvert")->text(), QStringLiteral("In WAV &umwandeln"));
    EXPECT_EQ(Window->font().pointSize(), 11);
    // The file's caption for the window gives way to the program's title.
    EXPECT_EQ(Window->windowTitle(), QString::fromUtf8(app::ApplicationTitle));
}

TEST_F(MainWindowTest, PagesFollowTheButtons)
{
    auto Window = Make();
    ShowActive(*Window);
    Find(*Window, "btnnext")->click();
    EXPECT_EQ(Window->PageMode(), 1);
    EXPECT_EQ(Window->CurrentPage(), Window->BatchPage());
    emit Window->BatchPage()->HotDirModeRequested();
    EXPECT_EQ(Window->PageMode(), 2);
    EXPECT_EQ(Window->CurrentPage(), Window->HotDirPage());
    emit Window->HotDirPage()->ReturnRequested();
    EXPECT_EQ(Window->PageMode(), 1);
    EXPECT_EQ(Window->CurrentPage(), Window->BatchPage());
    // Shown again, the window opens where the user left it.
    Window->hide();
    Window->ShowPage(Window->ModePage());
    Window->show();
    EXPECT_EQ(Window->CurrentPage(), Window->BatchPage());
}

TEST_F(MainWindowTest, KeyboardAloneReachesTheHotDirectoryPage)
{
    auto Window = Make();
    ShowActive(*Window);
    // A mnemonic presses its button visibly, so the click comes a moment later.
    QTest::keyClick(Window.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Find(*Window, "rbHotDir")->isChecked(); }));
    QTest::keyClick(Window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Window->PageMode() == 2; }));
    EXPECT_EQ(Window->CurrentPage()->objectName(), QStringLiteral("tsHotDirectory"));
    // The focus moved with the page.
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(Window->HotDirPage()->isAncestorOf(QApplication::focusWidget()));
}

// Tab walks the mode page as it reads: the choice, the link, then the buttons
// from left to right, and round again.
TEST_F(MainWindowTest, TabWalksTheModePageInReadingOrder)
{
    auto Window = Make();
    ShowActive(*Window);
    QStringList Visited;
    for (int I = 0; I < 6; ++I) {
        Visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(Visited, (QStringList{QStringLiteral("rbBatch"), QStringLiteral("lblcmdlink"),
                                    QStringLiteral("btnmodeabout"), QStringLiteral("btnnext"),
                                    QStringLiteral("btnexit"), QStringLiteral("rbBatch")}));
}

// Every page, in both languages: no two controls share a mnemonic, and each
// control's accessible name is its caption without the ampersand.
class MnemonicTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MnemonicTest, MnemonicsAreUniqueAndNamesReadable)
{
    const QString Language = QString::fromLatin1(GetParam());
    auto Window = Make(false, Language == QLatin1String("English.lng") ? app::ExeFolderFile(Language)
                                                                        : TestData + QLatin1Char('/') + Language);
    ShowActive(*Window);
    const QRegularExpression Mnemonic(QStringLiteral("&([^&])"));
    for (QWidget* Page : {static_cast<QWidget*>(Window->ModePage()), static_cast<QWidget*>(Window->BatchPage()),
                          static_cast<QWidget*>(Window->HotDirPage())}) {
        QStringList Keys;
        for (QWidget* Control : Page->findChildren<QWidget*>()) {
            QString Caption;
            if (auto* Button = qobject_cast<QAbstractButton*>(Control))
                Caption = Button->text();
            else if (auto* Label = qobject_cast<QLabel*>(Control); Label != nullptr && Label->textFormat() != Qt::RichText)
                Caption = Label->text();
            const QRegularExpressionMatch Match = Mnemonic.match(Caption);
            if (!Match.hasMatch())
                continue;
            // A label's mnemonic works only through the edit box it names.
            if (auto* Label = qobject_cast<QLabel*>(Control)) {
                EXPECT_NE(Label->buddy(), nullptr) << Caption.toStdString();
            }
            const QString Key = Match.captured(1).toLower();
            EXPECT_FALSE(Keys.contains(Key)) << Page->objectName().toStdString() << ": " << Caption.toStdString();
            Keys << Key;
        }
        for (QAbstractButton* Button : Page->findChildren<QAbstractButton*>()) {
            if (!Button->isVisibleTo(Page) || Button->text().isEmpty())
                continue;
            // Buttons whose captions read alike carry names of their own.
            QString Expected = Button->accessibleName().isEmpty() ? Button->text() : Button->accessibleName();
            Expected.remove(QRegularExpression(QStringLiteral("&(?!&)")));
            EXPECT_EQ(QAccessible::queryAccessibleInterface(Button)->text(QAccessible::Name), Expected);
            // Tab enters a group of choices at the checked one; arrows move on.
            const bool ReachedByArrows = Button->autoExclusive() && !Button->isChecked();
            EXPECT_TRUE(ReachedByArrows || (Button->focusPolicy() & Qt::TabFocus) != 0)
                << Button->objectName().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, MnemonicTest, ::testing::Values("English.lng", "Deutsch.lng"));

// Help and the notes on kelvaro-cli open inside the program from the files
// beside it, the README rendered; About is the program's own box.
TEST_F(MainWindowTest, DocumentsOpenFromBesideTheProgram)
{
    auto Window = Make();
    Find(*Window, "lblcmdlink")->click();
    emit Window->BatchPage()->HelpRequested();
    Find(*Window, "btnmodeabout")->click();
    emit Window->HotDirPage()->HelpRequested();
    QStringList Titles;
    for (const auto* Viewer : Window->findChildren<app::TDocumentViewer*>())
        Titles << Viewer->windowTitle() + (Viewer->Browser()->toHtml().contains(QLatin1String("<h2")) ? "#" : "");
    Titles.sort();
    // The notes are plain text; the README's sections are headings.
    EXPECT_EQ(Titles, (QStringList{QStringLiteral("Command line"), QStringLiteral("README#")}));
    const auto Abouts = Window->findChildren<app::TfrmAbout*>();
    ASSERT_EQ(Abouts.size(), 2);
    // Every library this machine has, as the engine loads it, with its version.
    const QString Text = Abouts.constFirst()->findChild<QLabel*>(QStringLiteral("lbllibraries"))->text();
    EXPECT_TRUE(QRegularExpression("^libavcodec \\d+\\.\\d+\\.\\d+\nlibavformat \\d+\\.\\d+\\.\\d+\nlibFLAC \\d"
                                   "[^\n]*\nlibvorbis [^\n]*\\d\nPulseAudio \\d+\\.\\d+")
                    .match(Text)
                    .hasMatch())
        << Text.toStdString();
}

// "Option" on both working pages and in the tray menu opens the Option dialog
// modally over the window, with the run's language file.
TEST_F(MainWindowTest, OptionOpensModallyFromEveryPlace)
{
    auto Window = Make(true, TestData + QStringLiteral("/Deutsch.lng"));
    ShowActive(*Window);
    QStringList Seen;
    auto AnswerNextDialog = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* Dialog = QApplication::activeModalWidget();
            ASSERT_NE(Dialog, nullptr);
            Seen << Dialog->objectName() + QLatin1Char(' ') + Dialog->windowTitle();
            const auto* RateLabel = Dialog->findChild<QLabel*>(QStringLiteral("lblRate"));
            ASSERT_NE(RateLabel, nullptr);
            EXPECT_EQ(RateLabel->text(), QStringLiteral("&Abtastrate:"));
            EXPECT_EQ(Dialog->parentWidget(), Window.get());
            Dialog->close();
        });
    };
    AnswerNextDialog();
    emit Window->BatchPage()->OptionRequested();
    AnswerNextDialog();
    emit Window->HotDirPage()->OptionRequested();
    emit Window->HotDirPage()->MinimizeRequested();
    AnswerNextDialog();
    Window->Tray().Menu()->actions().at(1)->trigger();
    EXPECT_EQ(Seen, QStringList(3, QStringLiteral("frmOption Optionen")));
    // The window stays behind its icon; the dialog did not end the program.
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(Window->Tray().IconShown());
}

TEST_F(MainWindowTest, WithoutNotificationAreaMinimizeIsOrdinary)
{
    auto Window = Make(false);
    ShowActive(*Window);
    emit Window->HotDirPage()->MinimizeRequested();
    QApplication::processEvents();
    EXPECT_TRUE(Window->isMinimized());
    EXPECT_TRUE(Window->isVisible());
    EXPECT_FALSE(Window->Tray().IconShown());
}

TEST_F(MainWindowTest, NotificationIconStandsInForTheHiddenWindow)
{
    auto Window = Make(true);
    ShowActive(*Window);
    emit Window->HotDirPage()->MinimizeRequested();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(Window->Tray().IconShown());

    QMenu* Menu = Window->Tray().Menu();
    EXPECT_EQ(Menu->objectName(), QStringLiteral("pmTray"));
    QStringList Captions;
    for (QAction* Action : Menu->actions())
        Captions << Action->text();
    EXPECT_EQ(Captions, (QStringList{QStringLiteral("&Show"), QStringLiteral("&Option"), QStringLiteral("&About..."),
                                     QString(), QStringLiteral("&Close")}));
    EXPECT_EQ(Menu->defaultAction(), Menu->actions().constFirst());

    Menu->actions().at(2)->trigger();
    EXPECT_EQ(Window->findChildren<app::TfrmAbout*>().size(), 1);
    Menu->defaultAction()->trigger();
    EXPECT_TRUE(Window->isVisible());
    EXPECT_FALSE(Window->isMinimized());
    EXPECT_FALSE(Window->Tray().IconShown());

    // The window system's minimise takes the same road.
    Window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window->isVisible(); }));
    EXPECT_TRUE(Window->Tray().IconShown());

    QSignalSpy Closed(Window.get(), &Tfrmsondrix::Closed);
    Menu->actions().last()->trigger();
    EXPECT_EQ(Closed.count(), 1);
    EXPECT_FALSE(Window->Tray().IconShown());
}

TEST_F(MainWindowTest, ClosingStopsWorkAndSaysSo)
{
    auto Window = Make();
    ShowActive(*Window);
    QSignalSpy Closed(Window.get(), &Tfrmsondrix::Closed);
    QTest::keyClick(Window.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Closed.count() == 1; }));
    EXPECT_FALSE(Window->isVisible());
    EXPECT_FALSE(Window->BatchPage()->Converting());
    EXPECT_FALSE(Window->HotDirPage()->Running());
}

// Closing while the list converts asks first; on yes the file in progress is
// stopped and nothing of it is left in the output folder.
TEST_F(MainWindowTest, ClosingDuringARunAsksFirstAndLeavesNothingOfTheFile)
{
    autest::TTempDir Dir;
    const QString Long = QString::fromStdString(Dir.File("long.wma"));
    const QString Out = QString::fromStdString(Dir.File("out"));
    ASSERT_EQ(autest::RunCommand("ffmpeg -v error -f lavfi -i sine=duration=300 -ac 2 -c:a wmav2 '" +
                                 Long.toStdString() + "'"),
              0);
    QDir().mkpath(Out);
    auto Window = Make();
    ShowActive(*Window);
    app::TBatchPage& Page = *Window->BatchPage();
    Page.AddDroppedFiles({Long});
    // Convert waits for the file's row.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page.Run().Convert()->isEnabled(); }));
    Dialogs.FolderAnswers.push_back(Out);
    Page.Run().Convert()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(Out).entryList(QDir::Files | QDir::Hidden).size() == 1; }));

    QSignalSpy Closed(Window.get(), &Tfrmsondrix::Closed);
    Dialogs.MessageAnswers.push_back(QMessageBox::No);
    EXPECT_FALSE(Window->close());
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, Tfrmsondrix::MsgStopAndQuit);
    EXPECT_TRUE(Page.Converting());

    Dialogs.MessageAnswers.push_back(QMessageBox::Yes);
    EXPECT_TRUE(Window->close());
    EXPECT_EQ(Closed.count(), 1);
    EXPECT_FALSE(Page.Converting());
    EXPECT_TRUE(QDir(Out).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// Files dropped where the list shows join it; elsewhere the drop is refused,
// and the list the user cannot see stays as it was.
TEST_F(MainWindowTest, OnlyTheBatchPageTakesDroppedLocalFiles)
{
    autest::TTempDir Dir;
    const QString Wma = QString::fromStdString(Dir.File("a.wma"));
    ASSERT_EQ(autest::RunCommand("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a wmav2 '" + Wma.toStdString() + "'"),
              0);
    auto Window = Make();
    ShowActive(*Window);
    auto Drag = [&](QWidget* Page, const QList<QUrl>& Urls) {
        QMimeData Data;
        Data.setUrls(Urls);
        QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Page, &Enter);
        QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Page, &Drop);
        return Enter.isAccepted();
    };
    const QAbstractItemModel& List = *Window->BatchPage()->FileList().model();
    Window->actHotDirExecute();
    EXPECT_FALSE(Drag(Window->HotDirPage(), {QUrl::fromLocalFile(Wma)}));
    EXPECT_FALSE(Drag(Window->ModePage(), {QUrl::fromLocalFile(Wma)}));
    QCoreApplication::processEvents();
    EXPECT_EQ(List.rowCount(), 0);

    Window->actReturntoBatchModeExecute();
    EXPECT_FALSE(Drag(Window->BatchPage(), {QUrl(QStringLiteral("https://example.org/a.wma"))}));
    EXPECT_FALSE(Drag(Window->BatchPage(), {}));
    // Dropped on the list itself, the files reach the page.
    EXPECT_TRUE(Drag(Window->BatchPage()->FileList().viewport(), {QUrl::fromLocalFile(Wma)}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return List.rowCount() == 1; }));
}

} // namespace
