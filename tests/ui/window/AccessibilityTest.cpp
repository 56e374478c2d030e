// SPDX-License-Identifier: GPL-3.0-or-later
// Every page and dialog of the window as a screen reader and a keyboard user
// meet it, in both shipped languages: what each control is called and what it
// is, one mnemonic per key, and Tab reaching every control.
#include "ui/FakeDesktop.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/ui/help/AboutDialog.h"
#include "app/ui/help/DocumentViewer.h"
#include "app/ui/option/OptionDialog.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/hotdir/HotDirPage.h"
#include "app/ui/window/MainWindow.h"
#include "app/ui/window/ModePage.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {

const QString TestData = QStringLiteral(KELVARO_UI_TEST_DATA);

QString WithoutAmpersand(QString Caption)
{
    return Caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

QString Mnemonic(const QString& Caption)
{
    return QRegularExpression(QStringLiteral("&([^&])")).match(Caption).captured(1).toLower();
}

QAccessible::Role ExpectedRole(const QWidget* Control)
{
    if (qobject_cast<const QCheckBox*>(Control) != nullptr)
        return QAccessible::CheckBox;
    if (qobject_cast<const QRadioButton*>(Control) != nullptr)
        return QAccessible::RadioButton;
    if (qobject_cast<const QPushButton*>(Control) != nullptr)
        return QAccessible::Button;
    if (qobject_cast<const QComboBox*>(Control) != nullptr)
        return QAccessible::ComboBox;
    if (qobject_cast<const QLineEdit*>(Control) != nullptr)
        return QAccessible::EditableText;
    return QAccessible::ProgressBar;
}

// Names, roles and mnemonics of the controls Root shows.
void CheckNames(QWidget* Root)
{
    const std::string Where = Root->objectName().toStdString();
    QStringList Keys;
    QStringList ButtonNames;
    for (QWidget* Control : Root->findChildren<QWidget*>()) {
        if (!Control->isVisibleTo(Root))
            continue;
        const auto* Button = qobject_cast<QAbstractButton*>(Control);
        const auto* Label = qobject_cast<QLabel*>(Control);
        if (Label != nullptr && Label->buddy() != nullptr) {
            // A label's mnemonic is its buddy's, and its text the buddy's name.
            EXPECT_FALSE(Mnemonic(Label->text()).isEmpty()) << Where << ": " << Label->text().toStdString();
            Keys << Mnemonic(Label->text());
            const QString Name = QAccessible::queryAccessibleInterface(Label->buddy())->text(QAccessible::Name);
            EXPECT_EQ(Name, WithoutAmpersand(Label->text())) << Where;
            continue;
        }
        const bool Edit = qobject_cast<QLineEdit*>(Control) != nullptr || qobject_cast<QComboBox*>(Control) != nullptr;
        if (Button == nullptr && !Edit && qobject_cast<QProgressBar*>(Control) == nullptr)
            continue;
        QAccessibleInterface* Accessible = QAccessible::queryAccessibleInterface(Control);
        const std::string What = Where + ": " + Control->objectName().toStdString();
        const auto* Push = qobject_cast<QPushButton*>(Control);
        EXPECT_EQ(Accessible->role(),
                  Push != nullptr && Push->menu() != nullptr ? QAccessible::ButtonMenu : ExpectedRole(Control))
            << What;
        EXPECT_FALSE(Accessible->text(QAccessible::Name).isEmpty()) << What;
        if (Edit) {
            // Named by a label, which the loop checks from the label's side.
            const auto Labels = Root->findChildren<QLabel*>();
            EXPECT_TRUE(std::any_of(Labels.begin(), Labels.end(), [&](QLabel* L) { return L->buddy() == Control; }))
                << What << " has no label";
        }
        if (Button == nullptr)
            continue;
        EXPECT_FALSE(Mnemonic(Button->text()).isEmpty()) << What << " " << Button->text().toStdString();
        Keys << Mnemonic(Button->text());
        const QString Expected =
            Button->accessibleName().isEmpty() ? WithoutAmpersand(Button->text()) : Button->accessibleName();
        EXPECT_EQ(Accessible->text(QAccessible::Name), Expected) << What;
        ButtonNames << Expected;
    }
    EXPECT_EQ(Keys.removeDuplicates(), 0) << Where << ": " << Keys.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ButtonNames.removeDuplicates(), 0) << Where << ": " << ButtonNames.join(QLatin1Char('|')).toStdString();
}

// Tab from the focus round the window until the focus comes back (a text
// with links keeps it while Tab walks them): every control of Root that takes
// the focus by Tab was on the way.
void CheckTabReach(QWidget* Root)
{
    QWidget* Start = QApplication::focusWidget();
    ASSERT_NE(Start, nullptr) << Root->objectName().toStdString();
    std::set<QWidget*> Reached;
    for (int Step = 0; Step < 300; ++Step) {
        QWidget* Focus = QApplication::focusWidget();
        Reached.insert(Focus);
        QTest::keyClick(Focus, Qt::Key_Tab);
        if (Reached.size() > 1 && QApplication::focusWidget() == Start)
            break;
    }
    for (QWidget* Control : Root->findChildren<QWidget*>())
        if ((Control->focusPolicy() & Qt::TabFocus) != 0 && Control->isEnabled() && Control->isVisible() &&
            Control->focusProxy() == nullptr) {
            const auto* Choice = qobject_cast<QRadioButton*>(Control);
            // Tab enters a group of choices at the checked one; arrows move on.
            if (Choice != nullptr && !Choice->isChecked())
                continue;
            EXPECT_TRUE(Reached.count(Control)) << Root->objectName().toStdString() << ": "
                                                << Control->objectName().toStdString() << " is out of Tab's reach";
        }
}

// The focus on the first control of Page that Tab would reach.
void FocusFirst(QWidget* Page)
{
    for (QWidget* Next = Page->nextInFocusChain(); Next != Page; Next = Next->nextInFocusChain())
        if (Page->isAncestorOf(Next) && (Next->focusPolicy() & Qt::TabFocus) != 0 && Next->isVisible() &&
            Next->isEnabled()) {
            Next->setFocus(Qt::TabFocusReason);
            return;
        }
}

void Activate(QWidget* Window)
{
    Window->show();
    QApplication::setActiveWindow(Window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window));
}

class AccessibilityWalk : public ::testing::TestWithParam<const char*> {
protected:
    QString LanguageFile() const
    {
        const QString Name = QString::fromLatin1(GetParam());
        return Name == QLatin1String("English.lng") ? app::ExeFolderFile(Name) : TestData + QLatin1Char('/') + Name;
    }

    app::TcdSettings Settings;
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
};

TEST_P(AccessibilityWalk, EveryPageAndDialog)
{
    // The strings as the program loads them, for the captions that change.
    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1, LanguageFile(), QStringLiteral("Strings"));
    app::Tfrmsondrix Window(Settings, LanguageFile(), Dialogs, Shell, false);
    Activate(&Window);
    for (QWidget* Page : {static_cast<QWidget*>(Window.ModePage()), static_cast<QWidget*>(Window.BatchPage()),
                          static_cast<QWidget*>(Window.HotDirPage())}) {
        Window.ShowPage(Page);
        // The log shows in a run; it must not trap Tab then.
        if (auto* ShowLog = Page->findChild<QPushButton*>(QStringLiteral("btnOpenLog")))
            ShowLog->click();
        FocusFirst(Page);
        CheckNames(Page);
        CheckTabReach(Page);
    }

    app::TfrmOption Option(Settings, LanguageFile(), &Window);
    Activate(&Option);
    CheckNames(&Option);
    CheckTabReach(&Option);
    Option.close();

    Window.OpenAbout();
    Window.OpenReadme();
    for (QWidget* Dialog : {static_cast<QWidget*>(Window.findChild<app::TfrmAbout*>()),
                            static_cast<QWidget*>(Window.findChild<app::TDocumentViewer*>())}) {
        ASSERT_NE(Dialog, nullptr);
        Activate(Dialog);
        CheckNames(Dialog);
        CheckTabReach(Dialog);
        Dialog->close();
    }

    // Return presses the focused button, outside dialogs as well.
    Window.ShowPage(Window.ModePage());
    Activate(&Window);
    auto* About = Window.findChild<QPushButton*>(QStringLiteral("btnmodeabout"));
    About->setFocus();
    QTest::keyClick(About, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Window.findChild<app::TfrmAbout*>() != nullptr; }));
    app::LangStrings() = {};
}

INSTANTIATE_TEST_SUITE_P(Languages, AccessibilityWalk, ::testing::Values("English.lng", "Deutsch.lng"));

} // namespace
