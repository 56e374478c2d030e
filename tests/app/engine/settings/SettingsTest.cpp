// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <array>
#include <gtest/gtest.h>

using namespace app;

namespace {

// Every test starts without a settings file.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(TBaseSettings::FilePath()); }
    void TearDown() override { QFile::remove(TBaseSettings::FilePath()); }

    static QString FileText()
    {
        QFile File(TBaseSettings::FilePath());
        return File.open(QIODevice::ReadOnly) ? QString::fromUtf8(File.readAll()) : QString();
    }
};

} // namespace

TEST_F(SettingsTest, AFirstRunHasTheInitialValuesAndSavesEveryKey)
{
    {
        TcdSettings Settings;
        EXPECT_EQ(Settings.LogDir(), "");
        EXPECT_EQ(Settings.Indir(), "");
        EXPECT_EQ(Settings.OutDir(), "");
        EXPECT_FALSE(Settings.SubDir());
        EXPECT_EQ(Settings.SavePath(),
                  AddTrailingBackslash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) +
                      "Trevalin free WMA to Wav Converter");
        EXPECT_EQ(Settings.MBit(), "16");
        EXPECT_EQ(Settings.MChannel(), 0);
        EXPECT_EQ(Settings.MRate(), "44100");
        EXPECT_EQ(Settings.MEncoding(), 0);
        EXPECT_EQ(Settings.Parallel(), 0);
        EXPECT_FALSE(Settings.CopyTags());
        EXPECT_TRUE(Settings.Applocation().endsWith("engine_tests"));
        Settings.SetSubDir(true);
        Settings.setObjectName("named");
    }
    QSettings File(TBaseSettings::FilePath(), QSettings::IniFormat);
    File.beginGroup("Setting");
    EXPECT_EQ(File.childKeys().size(), 17) << File.childKeys().join(",").toStdString();
    for (const char* Key : {"LogDir", "Indir", "OutDir", "SubDir", "SavePath", "MBit", "MChannel", "MRate", "MEncoding",
                            "Applocation", "IfExists", "ListColumnWidths", "Parallel", "KeepTime", "HotAfter",
                            "HotMoveDir", "CopyTags"})
        EXPECT_TRUE(File.contains(Key)) << Key;
    const QString Text = FileText();
    EXPECT_TRUE(Text.contains("SubDir=1\n")) << Text.toStdString();
    EXPECT_TRUE(Text.contains("MChannel=0\n")) << Text.toStdString();
    EXPECT_TRUE(Text.contains("KeepTime=0\n")) << Text.toStdString();
    EXPECT_TRUE(Text.contains("HotAfter=0\n")) << Text.toStdString();
    EXPECT_TRUE(Text.contains("[Setting]")) << Text.toStdString();
    for (const char* Never : {"Name", "Tag", "RegistryKey", "AutoLoad", "objectName", "named"})
        EXPECT_FALSE(Text.contains(QString(Never) + "=")) << Never;
}

TEST_F(SettingsTest, StoredValuesReplaceTheInitialOnesAndMissingOnesStay)
{
    {
        QSettings File(TBaseSettings::FilePath(), QSettings::IniFormat);
        File.setValue("Setting/MRate", "22050");
        File.setValue("Setting/MChannel", 2);
        File.setValue("Setting/SubDir", 1);
        File.setValue("Setting/Applocation", "/opt/old/kelvaro");
    }
    TcdSettings Settings;
    Settings.SetAutoLoad(false);
    EXPECT_EQ(Settings.MRate(), "22050");
    EXPECT_EQ(Settings.MChannel(), 2);
    EXPECT_TRUE(Settings.SubDir());
    EXPECT_EQ(Settings.Applocation(), "/opt/old/kelvaro");
    EXPECT_EQ(Settings.MBit(), "16");
}

TEST_F(SettingsTest, WithoutAutoLoadNothingIsWrittenAndAssignCopiesEverything)
{
    {
        TcdSettings Settings;
        Settings.SetAutoLoad(false);
        Settings.SetMBit("24");
    }
    EXPECT_FALSE(QFile::exists(TBaseSettings::FilePath()));

    TcdSettings Source;
    Source.SetAutoLoad(false);
    Source.SetOutDir("/out");
    Source.SetMEncoding(1);
    Source.SetSubDir(true);
    TcdSettings Copy;
    Copy.SetAutoLoad(false);
    Copy.Assign(Source);
    EXPECT_EQ(Copy.OutDir(), "/out");
    EXPECT_EQ(Copy.MEncoding(), 1);
    EXPECT_TRUE(Copy.SubDir());
}

TEST_F(SettingsTest, AnEmptyKeyMeansNoPersistence)
{
    TcdSettings Settings;
    Settings.SetRegistryKey("");
    Settings.SetMRate("8000");
    Settings.Save();
    EXPECT_FALSE(QFile::exists(TBaseSettings::FilePath()));
    Settings.SetAutoLoad(false);
}

namespace {

class LanguageTest : public SettingsTest {
protected:
    void TearDown() override
    {
        for (const QString& File : Created)
            QFile::remove(File);
        SettingsTest::TearDown();
    }

    QString MakeLanguageFile(const QString& Name, const QByteArray& Text)
    {
        const QString Path = ExeFolderFile(Name);
        QFile File(Path);
        EXPECT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Text);
        Created << Path;
        return Path;
    }

    static void SetLanguage(const QString& Value)
    {
        QSettings File(TBaseSettings::FilePath(), QSettings::IniFormat);
        File.setValue("Language", Value);
    }

    QStringList Created;
};

} // namespace

TEST_F(LanguageTest, TheSettingsPickTheFileBesideTheProgram)
{
    const QString English = ExeFolderFile("English.lng");
    EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), English);
    const QString Deutsch = MakeLanguageFile("KelvaroTestDeutsch.lng", "[Strings]\n16=Halt\n");
    SetLanguage("KelvaroTestDeutsch");
    EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), Deutsch);
    const QString Upper = MakeLanguageFile("KelvaroTestUpper.LNG", "[Strings]\n");
    SetLanguage("KelvaroTestUpper.LNG");
    EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), Upper);
    SetLanguage("KelvaroTestMissing");
    EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), English);
}

// Without a setting the locale's language chooses, as the C library's message
// catalogues would: LC_ALL, then LC_MESSAGES, then LANG; a setting wins.
TEST_F(LanguageTest, WithoutASettingTheLocaleChooses)
{
    const QString English = ExeFolderFile("English.lng"), Deutsch = ExeFolderFile("Deutsch.lng");
    const char* const Variables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    const QByteArray Saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    const std::pair<std::array<const char*, 3>, QString> Cases[] = {
        {{"", "", "de_DE.UTF-8"}, Deutsch},           {{"", "de_AT@euro", "en_GB.UTF-8"}, Deutsch},
        {{"C.UTF-8", "de_DE", "de_DE"}, English},     {{"", "", "fr_FR.UTF-8"}, English},
        {{"", "", "deu"}, English},                   {{"", "", ""}, English}};
    for (const auto& [Values, Expected] : Cases) {
        for (int I = 0; I < 3; ++I)
            qputenv(Variables[I], Values[I]);
        EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), Expected) << Values[2];
    }
    SetLanguage("English");
    EXPECT_EQ(LanguageFilePath("Software\\Trevalin\\Kelvaro\\Language"), English);
    for (int I = 0; I < 3; ++I)
        qputenv(Variables[I], Saved[I]);
}

TEST_F(LanguageTest, StringsKeepTheirLineBreaksAndAMissingFileLeavesThemEmpty)
{
    const QString File = MakeLanguageFile(
        "KelvaroTestStrings.lng",
        "[Font]\nSize=9\n[Strings]\n11=Add a folder\n15=  All done.||Open the folder?\n20=\n26=\"quoted = kept\"\n");
    TLangStrings Table;
    LoadLanguageStrings(Table, LangStringCount - 1, File, "Strings");
    EXPECT_EQ(Table[11], "Add a folder");
    EXPECT_EQ(Table[15], "All done.\r\nOpen the folder?");
    EXPECT_EQ(Table[20], "");
    EXPECT_EQ(Table[26], "quoted = kept");
    EXPECT_EQ(Table[12], "");

    TLangStrings Empty;
    LoadLanguageStrings(Empty, LangStringCount - 1, ExeFolderFile("KelvaroTestNoSuchFile.lng"), "Strings");
    for (const QString& Entry : Empty)
        EXPECT_TRUE(Entry.isEmpty());
}

TEST(EnglishLanguage, TheShippedFileCarriesEveryMessageOfTheProgram)
{
    TLangStrings Table;
    LoadLanguageStrings(Table, LangStringCount - 1, ExeFolderFile("English.lng"), "Strings");
    for (int Index = 11; Index <= 26; ++Index)
        EXPECT_FALSE(Table[static_cast<size_t>(Index)].isEmpty()) << Index;
}
