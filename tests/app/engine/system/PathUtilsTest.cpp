// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engine/system/PathUtils.h"

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
