// SPDX-License-Identifier: GPL-3.0-or-later
// The Option dialog: what it shows for the stored output format, what OK and
// Cancel leave in the settings, and how it reads to a keyboard and a screen
// reader.
#include "app/ui/option/OptionDialog.h"
#include "app/engine/settings/CdSettings.h"
#include "support/TestUtil.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

class OptionDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings.SetAutoLoad(false);
        Settings.SetMRate("44100");
        Settings.SetMBit("16");
        Settings.SetMChannel(0);
        Settings.SetMEncoding(0);
    }

    QComboBox* List(app::TfrmOption& Dialog, const char* Name)
    {
        auto* Found = Dialog.findChild<QComboBox*>(Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }

    // Runs the dialog modally, as the window does, and lets Act work on it
    // while it is shown; the dialog's result.
    int Exec(app::TfrmOption& Dialog, const std::function<void()>& Act)
    {
        QTimer::singleShot(0, &Dialog, [&] {
            Act();
            if (Dialog.isVisible()) { // the act left it open: a failure, but no hang
                ADD_FAILURE() << "the dialog is still open";
                Dialog.done(-1);
            }
        });
        return Dialog.exec();
    }

    QPushButton* Button(app::TfrmOption& Dialog, const char* Name) { return Dialog.findChild<QPushButton*>(Name); }

    void ExpectSettings(const char* Rate, const char* Bits, int Channels, int Encoding)
    {
        EXPECT_EQ(Settings.MRate(), Rate);
        EXPECT_EQ(Settings.MBit(), Bits);
        EXPECT_EQ(Settings.MChannel(), Channels);
        EXPECT_EQ(Settings.MEncoding(), Encoding);
    }

    app::TcdSettings Settings;
};

TEST_F(OptionDialog, ShowsTheStoredFormatAndARateOutsideTheListAs44100)
{
    Settings.SetMRate("22050");
    Settings.SetMBit("24");
    Settings.SetMChannel(2);
    Settings.SetMEncoding(0);
    Settings.SetIfExists(1);
    Settings.SetParallel(4);
    {
        app::TfrmOption Dialog(Settings, QString());
        Dialog.show();
        EXPECT_EQ(List(Dialog, "cbbRate")->currentText(), "22050");
        EXPECT_EQ(List(Dialog, "cbbbit")->currentText(), "24");
        EXPECT_EQ(List(Dialog, "cbbchannels")->currentText(), "Stereo");
        EXPECT_EQ(List(Dialog, "cbbencoding")->currentText(), "RAW PCM");
        EXPECT_EQ(List(Dialog, "cbbifexists")->currentText(), "Skip");
        EXPECT_EQ(List(Dialog, "cbbparallel")->currentText(), "4");
    }
    // A count the list does not offer shows as automatic.
    Settings.SetParallel(3);
    // IMA ADPCM codes 16-bit samples only: a stored 24 shows as 16.
    Settings.SetMEncoding(1);

    // A rate no list item holds shows 44100, which OK then stores; a bit depth
    // the list lacks keeps the designed 16.
    Settings.SetMRate("96000");
    Settings.SetMBit("12");
    app::TfrmOption Dialog(Settings, QString());
    const int Result = Exec(Dialog, [&] {
        EXPECT_EQ(List(Dialog, "cbbRate")->currentText(), "44100");
        EXPECT_EQ(List(Dialog, "cbbbit")->currentText(), "16");
        EXPECT_EQ(List(Dialog, "cbbparallel")->currentText(), "Automatic");
        Button(Dialog, "btnOK")->click();
    });
    EXPECT_EQ(Result, QDialog::Accepted);
    ExpectSettings("44100", "16", 2, 1);
    EXPECT_EQ(Settings.Parallel(), 0);
}

TEST_F(OptionDialog, OkStoresAllSixChoicesAndAdpcmOffersOnly16Bits)
{
    const auto Offered = [](QComboBox* Bits) {
        QStringList Enabled;
        for (int Index = 0; Index < Bits->count(); ++Index)
            if (qobject_cast<QStandardItemModel*>(Bits->model())->item(Index)->isEnabled())
                Enabled << Bits->itemText(Index);
        return Enabled;
    };
    app::TfrmOption Dialog(Settings, QString());
    const int Result = Exec(Dialog, [&] {
        QComboBox* Bits = List(Dialog, "cbbbit");
        List(Dialog, "cbbRate")->setCurrentText("8000");
        Bits->setCurrentText("32");
        List(Dialog, "cbbencoding")->setCurrentText("DVI IMA ADPCM");
        EXPECT_EQ(Bits->currentText(), "16");
        EXPECT_EQ(Offered(Bits), QStringList{"16"});
        List(Dialog, "cbbencoding")->setCurrentText("RAW PCM");
        EXPECT_EQ(Offered(Bits), (QStringList{"8", "16", "24", "32"}));
        Bits->setCurrentText("32");
        List(Dialog, "cbbchannels")->setCurrentText("Mono");
        List(Dialog, "cbbifexists")->setCurrentText("Rename");
        List(Dialog, "cbbparallel")->setCurrentText("8");
        auto* KeepTime = Dialog.findChild<QCheckBox*>("chkkeeptime");
        EXPECT_FALSE(KeepTime->isChecked());
        KeepTime->click();
        Button(Dialog, "btnOK")->click();
    });
    EXPECT_EQ(Result, QDialog::Accepted);
    ExpectSettings("8000", "32", 1, 0);
    EXPECT_EQ(Settings.IfExists(), 2);
    EXPECT_EQ(Settings.Parallel(), 8);
    EXPECT_TRUE(Settings.KeepTime());
}

TEST_F(OptionDialog, CancelAndTheEscapeKeyChangeNothing)
{
    Settings.SetMRate("96000"); // shown as 44100, yet kept as it is
    const auto ChangeEverything = [&](app::TfrmOption& Dialog) {
        List(Dialog, "cbbRate")->setCurrentText("11025");
        List(Dialog, "cbbbit")->setCurrentText("8");
        List(Dialog, "cbbchannels")->setCurrentIndex(1);
        List(Dialog, "cbbencoding")->setCurrentIndex(1);
    };
    {
        app::TfrmOption Dialog(Settings, QString());
        EXPECT_EQ(Exec(Dialog,
                       [&] {
                           ChangeEverything(Dialog);
                           Button(Dialog, "btnCancel")->click();
                       }),
                  QDialog::Rejected);
    }
    app::TfrmOption Dialog(Settings, QString());
    EXPECT_EQ(Exec(Dialog,
                   [&] {
                       ChangeEverything(Dialog);
                       QTest::keyClick(List(Dialog, "cbbRate"), Qt::Key_Escape);
                   }),
              QDialog::Rejected);
    ExpectSettings("96000", "16", 0, 0);
}

TEST_F(OptionDialog, ReadsAsDesignedToTheKeyboardAndAScreenReader)
{
    app::TfrmOption Dialog(Settings, QString());
    EXPECT_EQ(Dialog.objectName(), "frmOption");
    EXPECT_EQ(Dialog.windowTitle(), "Option");
    const QStringList Rates{"8000", "11025", "16000", "22050", "32000", "44100", "48000"};
    const struct {
        const char* Name;
        QStringList Items;
        const char* Label;
    } Lists[] = {{"cbbRate", Rates, "Sample Rate:"},
                 {"cbbbit", {"8", "16", "24", "32"}, "Wav Bit:"},
                 {"cbbchannels", {"Default", "Mono", "Stereo"}, "Channels:"},
                 {"cbbencoding", {"RAW PCM", "DVI IMA ADPCM"}, "Encoding:"},
                 {"cbbifexists", {"Overwrite", "Skip", "Rename"}, "If the WAV file exists:"},
                 {"cbbparallel", {"Automatic", "1", "2", "4", "8", "16"}, "Parallel conversions:"}};
    for (const auto& Expected : Lists) {
        QComboBox* Combo = List(Dialog, Expected.Name);
        ASSERT_NE(Combo, nullptr);
        QStringList Items;
        for (int At = 0; At < Combo->count(); ++At)
            Items << Combo->itemText(At);
        EXPECT_EQ(Items, Expected.Items) << Expected.Name;
        EXPECT_FALSE(Combo->isEditable()) << Expected.Name;
        // Lists are named by their label, which comes as the list's
        // labelled-by relation as well; the current item is the value.
        QStringList Labels;
        for (const auto& [Other, Relation] :
             QAccessible::queryAccessibleInterface(Combo)->relations(QAccessible::Label))
            Labels << Other->text(QAccessible::Name);
        EXPECT_EQ(Labels, QStringList{Expected.Label}) << Expected.Name;
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Combo)->text(QAccessible::Name), Expected.Label);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Combo)->text(QAccessible::Value), Combo->currentText());
    }
    QStringList Texts;
    for (const QLabel* Label : Dialog.findChildren<QLabel*>())
        Texts << Label->text();
    EXPECT_TRUE(Texts.contains("(HZ)") && Texts.contains("(Bit)")) << Texts.join('|').toStdString();
    EXPECT_EQ(Button(Dialog, "btnOK")->text(), "&OK");
    EXPECT_TRUE(Button(Dialog, "btnOK")->isDefault());
    EXPECT_EQ(Button(Dialog, "btnCancel")->text(), "C&ancel");

    // Return in a list is the default button's OK.
    Settings.SetMRate("96000");
    EXPECT_EQ(Exec(Dialog, [&] { QTest::keyClick(List(Dialog, "cbbbit"), Qt::Key_Return); }), QDialog::Accepted);
    EXPECT_EQ(Settings.MRate(), "44100");
}

// The dialog takes its texts and lists from the language file's own section;
// a rate the replaced list lacks still shows 44100.
TEST_F(OptionDialog, TakesItsSectionOfTheLanguageFile)
{
    autest::TTempDir Dir;
    const std::string Language = Dir.File("Deutsch.lng");
    const std::string Text = "[frmsondrix]\r\nbtnOK.Caption=Falsch\r\n"
                             "[frmOption]\r\nbtnOK.Caption=Gut\r\nlblRate.Caption=Abtastrate:\r\n"
                             "cbbRate.Items=8000||44100\r\n";
    autest::WriteBytes(Language, std::vector<uint8_t>(Text.begin(), Text.end()));
    Settings.SetMRate("48000");
    app::TfrmOption Dialog(Settings, QString::fromStdString(Language));
    EXPECT_EQ(Button(Dialog, "btnOK")->text(), "Gut");
    EXPECT_EQ(Dialog.findChild<QLabel*>("lblRate")->text(), "Abtastrate:");
    EXPECT_EQ(Exec(Dialog,
                   [&] {
                       EXPECT_EQ(List(Dialog, "cbbRate")->count(), 2);
                       EXPECT_EQ(List(Dialog, "cbbRate")->currentText(), "44100");
                       Button(Dialog, "btnOK")->click();
                   }),
              QDialog::Accepted);
    EXPECT_EQ(Settings.MRate(), "44100");
}

} // namespace
