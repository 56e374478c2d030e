// SPDX-License-Identifier: GPL-3.0-or-later
// Add Folder's folder dialog, answered as a person would.
#include "support/TestUtil.h"

#include "app/ui/desktop/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

TEST(FolderDialog, TheSubFolderBoxShowsTheLastChoiceAndTakesTheNewOne)
{
    autest::TTempDir Dir;
    const QString Folder = QDir(QString::fromStdString(Dir.Path())).canonicalPath();
    bool ShownChecked = false;
    QTimer Answer;
    QObject::connect(&Answer, &QTimer::timeout, [&] {
        auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (Dialog == nullptr)
            return;
        Answer.stop();
        auto* Box = Dialog->findChild<QCheckBox*>(QStringLiteral("chkAddSubFolders"));
        if (Box == nullptr || !Box->isVisible())
            return Dialog->reject();
        ShownChecked = Box->isChecked();
        Box->setChecked(false);
        static_cast<QDialog*>(Dialog)->accept(); // as the dialog's own button does
    });
    Answer.start(10);
    bool SubFolders = true;
    EXPECT_EQ(app::TQtDialogs().BrowseForFolderTree(nullptr, QStringLiteral("Add"), Folder, SubFolders), Folder);
    EXPECT_TRUE(ShownChecked);
    EXPECT_FALSE(SubFolders);
}
