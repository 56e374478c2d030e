// SPDX-License-Identifier: GPL-3.0-or-later
// Every page and dialog as a screen reader and a keyboard user meet it, in
// both shipped languages: names, roles, one mnemonic per key, Tab's reach.
#include "ui/FakeDesktop.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/help/AboutDialog.h"
#include "app/ui/help/DocumentViewer.h"
#include "app/ui/hotdir/HotDirPage.h"
#include "app/ui/language/QtTranslation.h"
#include "app/ui/option/OptionDialog.h"
#include "app/ui/window/MainWindow.h"
#include "app/ui/mode/ModePage.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QMessageBox>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

const std::map<QString, QAccessible::Role> Roles{
    {"QPushButton", QAccessible::Button},  {"app::TActionButton", QAccessible::Button},
    {"QCheckBox", QAccessible::CheckBox},  {"QRadioButton", QAccessible::RadioButton},
    {"QComboBox", QAccessible::ComboBox},  {"QLineEdit", QAccessible::EditableText},
    {"QProgressBar", QAccessible::ProgressBar}};

QString Mnemonic(const QString& Caption)
{
    return QRegularExpression(QStringLiteral("&([^&])")).match(Caption).captured(1).toLower();
}

QString Spoken(QWidget* Control)
{
    return QAccessible::queryAccessibleInterface(Control)->text(QAccessible::Name);
}

// A drop-down list shows its items as its one child, the current one selected
// there and read as its value. (That a change is announced needs a platform
// that listens: the AT-SPI test hears it.)
void CheckList(QComboBox* List, const std::string& What)
{
    QAccessibleInterface* Combo = QAccessible::queryAccessibleInterface(List);
    ASSERT_EQ(Combo->childCount(), 1) << What;
    QAccessibleInterface* Items = Combo->child(0);
    ASSERT_NE(Items, nullptr) << What;
    EXPECT_EQ(Items->role(), QAccessible::List) << What;
    QStringList Names, Selected, Expected;
    for (int Index = 0; Index < Items->childCount(); ++Index) {
        QAccessibleInterface* Item = Items->child(Index);
        Names << Item->text(QAccessible::Name);
        if (Item->state().selected)
            Selected << Item->text(QAccessible::Name);
    }
    for (int Index = 0; Index < List->count(); ++Index)
        Expected << List->itemText(Index);
    EXPECT_EQ(Names, Expected) << What;
    EXPECT_EQ(Selected, QStringList{List->currentText()}) << What;
    EXPECT_EQ(Combo->text(QAccessible::Value), List->currentText()) << What;
}

// Buttons are named by their captions unless they carry a name of their own,
// edits and lists by their labels, whose mnemonics they take; no key and no
// button name twice.
void CheckNames(QWidget* Root)
{
    const std::string Where = Root->objectName().toStdString() + ": ";
    QStringList Keys, ButtonNames, Labelled;
    for (auto* Label : Root->findChildren<QLabel*>())
        if (Label->buddy() != nullptr && Label->isVisibleTo(Root)) {
            Keys << Mnemonic(Label->text());
            Labelled << Label->buddy()->objectName();
            EXPECT_EQ(Spoken(Label->buddy()), QString(Label->text()).remove('&')) << Where;
        }
    for (QWidget* Control : Root->findChildren<QWidget*>()) {
        const auto Role = Roles.find(QString::fromLatin1(Control->metaObject()->className()));
        if (Role == Roles.end() || !Control->isVisibleTo(Root))
            continue;
        const std::string What = Where + Control->objectName().toStdString();
        auto* Menu = qobject_cast<QPushButton*>(Control);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Control)->role(),
                  Menu != nullptr && Menu->menu() != nullptr ? QAccessible::ButtonMenu : Role->second)
            << What;
        EXPECT_FALSE(Spoken(Control).isEmpty()) << What;
        if (Role->second == QAccessible::ComboBox || Role->second == QAccessible::EditableText) {
            EXPECT_TRUE(Labelled.contains(Control->objectName())) << What << " has no label";
        }
        if (auto* List = qobject_cast<QComboBox*>(Control))
            CheckList(List, What);
        if (auto* Button = qobject_cast<QAbstractButton*>(Control)) {
            Keys << Mnemonic(Button->text());
            ButtonNames << Spoken(Button);
            EXPECT_EQ(Spoken(Button), Button->accessibleName().isEmpty() ? Button->text().remove('&')
                                                                          : Button->accessibleName())
                << What;
        }
    }
    EXPECT_FALSE(Keys.contains(QString())) << Where << "a control without mnemonic";
    EXPECT_EQ(Keys.removeDuplicates(), 0) << Where << Keys.join(' ').toStdString();
    EXPECT_EQ(ButtonNames.removeDuplicates(), 0) << Where << ButtonNames.join('|').toStdString();
}

// Tab round the window from its first control until the focus comes back (a
// text with links keeps it while Tab walks them): every control of Root that
// Tab may stop at was on the way.
void CheckTabReach(QWidget* Root)
{
    for (QWidget* Next = Root->nextInFocusChain(); Next != Root; Next = Next->nextInFocusChain())
        if (Root->isAncestorOf(Next) && (Next->focusPolicy() & Qt::TabFocus) && Next->isVisible()) {
            Next->setFocus(Qt::TabFocusReason);
            break;
        }
    QWidget* Start = QApplication::focusWidget();
    ASSERT_NE(Start, nullptr);
    std::set<QWidget*> Reached{Start};
    for (int Step = 0; Step < 300 && (Reached.size() == 1 || QApplication::focusWidget() != Start); ++Step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Reached.insert(QApplication::focusWidget());
    }
    for (QWidget* Control : Root->findChildren<QWidget*>()) {
        const auto* Choice = qobject_cast<QRadioButton*>(Control);
        // Tab enters a group of choices at the checked one; arrows move on.
        if ((Control->focusPolicy() & Qt::TabFocus) && Control->isVisible() && Control->isEnabled() &&
            (Choice == nullptr || Choice->isChecked())) {
            EXPECT_TRUE(Reached.count(Control)) << Root->objectName().toStdString() << ": "
                                                << Control->objectName().toStdString() << " is out of Tab's reach";
        }
    }
}

void Walk(QWidget* Window)
{
    Window->show();
    QApplication::setActiveWindow(Window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window));
    CheckNames(Window);
    CheckTabReach(Window);
}

class AccessibilityWalk : public ::testing::TestWithParam<const char*> {
protected:
    app::TcdSettings Settings;
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
};

TEST_P(AccessibilityWalk, EveryPageAndDialog)
{
    const QString Name = QString::fromLatin1(GetParam());
    const QString File = Name == "English.lng" ? app::ExeFolderFile(Name) : KELVARO_UI_TEST_DATA "/" + Name;
    // The strings as the program loads them, for the captions that change.
    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1, File, QStringLiteral("Strings"));
    app::Tfrmsondrix Window(Settings, File, Dialogs, Shell, false);
    for (QWidget* Page : std::initializer_list<QWidget*>{Window.ModePage(), Window.BatchPage(), Window.HotDirPage()}) {
        Window.ShowPage(Page);
        // The log shows in a run; it must not trap Tab then.
        if (auto* ShowLog = Page->findChild<QPushButton*>(QStringLiteral("btnOpenLog")))
            ShowLog->click();
        Walk(&Window);
    }
    app::TfrmOption Option(Settings, File, &Window);
    Walk(&Option);
    Option.close();
    Window.OpenAbout();
    Window.OpenReadme();
    Walk(Window.findChild<app::TfrmAbout*>());
    Walk(Window.findChild<app::TDocumentViewer*>());

    // Return presses the focused button, outside dialogs as well.
    delete Window.findChild<app::TfrmAbout*>();
    delete Window.findChild<app::TDocumentViewer*>();
    Window.ShowPage(Window.ModePage());
    Walk(&Window);
    Window.findChild<QPushButton*>(QStringLiteral("btnmodeabout"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Window.findChild<app::TfrmAbout*>() != nullptr; }));
    app::LangStrings() = {};
}

// What the window and its dialogs say, in a fixed order: each widget's title,
// accessible name and description, tool tip and list items; the menus' items.
QStringList ShownTexts(const char* Language)
{
    const QString File = app::ExeFolderFile(QString::fromLatin1(Language));
    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1, File, QStringLiteral("Strings"));
    app::TcdSettings Settings;
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
    app::Tfrmsondrix Window(Settings, File, Dialogs, Shell, false);
    Window.show();
    Window.OpenAbout();
    Window.OpenReadme();
    new app::TfrmOption(Settings, File, &Window);
    QStringList Texts;
    for (QWidget* Control : Window.findChildren<QWidget*>()) {
        if (Control->window()->inherits("QComboBoxPrivateContainer")) // made on demand; the items count below
            continue;
        QAccessibleInterface* Said = QAccessible::queryAccessibleInterface(Control);
        Texts << Control->windowTitle() << Said->text(QAccessible::Name) << Said->text(QAccessible::Description)
              << Control->toolTip();
        if (auto* List = qobject_cast<QComboBox*>(Control))
            for (int Item = 0; Item < List->count(); ++Item)
                Texts << List->itemText(Item);
    }
    for (auto* Menu : Window.findChildren<QMenu*>())
        for (auto* Action : Menu->actions())
            Texts << Action->text();
    return Texts;
}

TEST(GermanWindow, NoTextIsLeftInEnglish)
{
    const QStringList English = ShownTexts("English.lng"), German = ShownTexts("Deutsch.lng");
    app::LangStrings() = {};
    ASSERT_EQ(English.size(), German.size());
    // Names, units, numbers, versions and the words German took over read alike.
    const QStringList Alike{"Name", "Position", "Pause", "&Pause", "Mono", "Stereo", "(Bit)", "OK", "&OK", "RAW PCM",
                            "DVI IMA ADPCM", "README", QString::fromUtf8(app::ApplicationTitle)};
    const QRegularExpression NoWords(QStringLiteral("^[^A-Za-z]*$|\\d+\\.\\d+"));
    for (qsizetype I = 0; I < English.size(); ++I) {
        if (!Alike.contains(English[I]) && !English[I].contains(NoWords)) {
            EXPECT_NE(English[I], German[I]) << English[I].toStdString();
        }
    }

    // Qt's own buttons follow the language file, where Qt's translations are.
    EXPECT_FALSE(app::InstallQtTranslation(app::ExeFolderFile(QStringLiteral("English.lng"))));
    EXPECT_FALSE(app::InstallQtTranslation(QStringLiteral("Deutsch.lng"), QStringLiteral("/nonexistent")));
    ASSERT_TRUE(app::InstallQtTranslation(QStringLiteral("Deutsch.lng")));
    EXPECT_EQ(QMessageBox(QMessageBox::Question, {}, {}, QMessageBox::Yes).button(QMessageBox::Yes)->text(), "&Ja");
    qDeleteAll(qApp->findChildren<QTranslator*>());
}

INSTANTIATE_TEST_SUITE_P(Languages, AccessibilityWalk, ::testing::Values("English.lng", "Deutsch.lng"));

} // namespace
