// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engine/system/PathUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace app;

TEST(PathUtils, TrailingSeparatorIsAddedOnlyWhereMissing)
{
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("/music/"), "/music/");
    EXPECT_EQ(AddTrailingBackslash("/music"), "/music/");
}

TEST(PathUtils, BaseNameDropsFolderAndLastExtension)
{
    EXPECT_EQ(FileBaseName("/a/b/a.b.wma"), "a.b");
    EXPECT_EQ(FileBaseName("/a/b/noext"), "noext");
    EXPECT_EQ(FileBaseName("x.WMA"), "x");
}

TEST(PathUtils, LowerTrimStripsBlanksAndControlCharacters)
{
    EXPECT_EQ(LowerTrim("  .WMA\t\r\n"), ".wma");
    EXPECT_EQ(Trim(" \t/Music/In \n"), "/Music/In");
    EXPECT_EQ(LowerTrim(""), "");
}

TEST(PathUtils, ExeFolderFileIsBesideTheProgram)
{
    EXPECT_TRUE(ExeFolderFile("English.lng").endsWith("/bin/English.lng"));
}

// An installation keeps the programs in PREFIX/lib/kelvaro and their data in
// PREFIX/share/kelvaro; a build tree keeps both in one folder, which wins.
TEST(PathUtils, ProgramDataIsBesideTheProgramElseInTheInstalledDataFolder)
{
    const QTemporaryDir Prefix;
    ASSERT_TRUE(QDir(Prefix.path()).mkpath("lib/kelvaro") && QDir(Prefix.path()).mkpath("share/kelvaro"));
    const QString Programs = Prefix.filePath("lib/kelvaro"), Data = Prefix.filePath("share/kelvaro");
    for (const QString& File : {Data + "/English.lng", Data + "/Example.wma", Programs + "/Example.wma"}) {
        QFile Made(File);
        ASSERT_TRUE(Made.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(ProgramDataFile(Programs, "English.lng"), Data + "/English.lng");
    EXPECT_EQ(ProgramDataFile(Programs, "Example.wma"), Programs + "/Example.wma");
    EXPECT_EQ(ProgramDataFile(Programs, "Missing.lng"), Programs + "/Missing.lng");
    EXPECT_EQ(ProgramDataFile("", "English.lng"), "English.lng");
}
