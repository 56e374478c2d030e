// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestUtil.h"

#include "app/engine/batch/FolderScan.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace app;
using namespace autest;

namespace {

// "relative|name" for each file found, in the order found.
QStringList Scanned(TFolderScan& Scan, const QString& Folder, QStringList* Unreadable = nullptr)
{
    QList<TBatchRunner::TItem> Found;
    Scan.Scan(Folder, Found, [Unreadable](const QString& Which) {
        if (Unreadable != nullptr)
            *Unreadable << Which;
    });
    QStringList Names;
    for (const TBatchRunner::TItem& File : Found)
        Names << File.RelativeFolder + "|" + QFileInfo(File.Input).fileName();
    return Names;
}

} // namespace

TEST(FolderScan, FilesOfTheKindsInNameOrderThenSubFoldersOnceEach)
{
    TTempDir Dir;
    const QString Top = QString::fromStdString(Dir.Path());
    QDir().mkpath(Top + "/b/deeper");
    for (const char* Name : {"b.wma", "A.WMA", ".hidden.wma", "notes.txt", "b/c.flac", "b/deeper/d.wma"})
        WriteBytes(Dir.File(Name), {1});
    // A link back to the top would walk for ever.
    ASSERT_TRUE(QFile::link(Top, Top + "/b/loop"));

    TFolderScan Window({".wma"}, false, true);
    EXPECT_EQ(Scanned(Window, Top), (QStringList{"|.hidden.wma", "|A.WMA", "|b.wma"}));

    TFolderScan Line({".wma", ".flac"}, true, false);
    EXPECT_EQ(Scanned(Line, Top), (QStringList{"|A.WMA", "|b.wma", "b/|c.flac", "b/deeper/|d.wma"}));
    // Named again, the folder's own files count again; its sub-folders, walked
    // already, add nothing.
    EXPECT_EQ(Scanned(Line, Top), (QStringList{"|A.WMA", "|b.wma"}));
}

TEST(FolderScan, AFolderThatCannotBeReadIsReported)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the super-user reads every folder";
    TTempDir Dir;
    const QString Locked = QString::fromStdString(Dir.File("locked"));
    QDir().mkpath(Locked);
    WriteBytes(Dir.File("locked/a.wma"), {1});
    QFile::setPermissions(Locked, QFileDevice::WriteOwner);
    TFolderScan Scan({".wma"}, true, false);
    QStringList Unreadable;
    EXPECT_TRUE(Scanned(Scan, QString::fromStdString(Dir.Path()), &Unreadable).isEmpty());
    EXPECT_EQ(Unreadable, QStringList{Locked});
    QFile::setPermissions(Locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
