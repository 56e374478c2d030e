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

namespace {

// Answers the next folder dialog: notes whether the sub-folder box showed
// checked, sets it to Check and accepts the folder the dialog opened at.
class TFolderAnswer {
public:
    explicit TFolderAnswer(bool Check)
    {
        QObject::connect(&FPoll, &QTimer::timeout, [this, Check] {
            auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (Dialog == nullptr)
                return;
            FPoll.stop();
            auto* Box = Dialog->findChild<QCheckBox*>(QStringLiteral("chkAddSubFolders"));
            if (Box == nullptr) {
                Dialog->reject();
                return;
            }
            BoxShown = Box->isVisible();
            ShownChecked = Box->isChecked();
            Box->setChecked(Check);
            static_cast<QDialog*>(Dialog)->accept(); // as the dialog's own button does
        });
        FPoll.start(10);
    }

    bool BoxShown = false;
    bool ShownChecked = false;

private:
    QTimer FPoll;
};

TEST(FolderDialog, TheSubFolderBoxShowsTheLastChoiceAndTakesTheNewOne)
{
    autest::TTempDir Dir;
    const QString Folder = QDir(QString::fromStdString(Dir.Path())).canonicalPath();
    app::TQtDialogs Dialogs;
    bool SubFolders = true;
    {
        TFolderAnswer Answer(false);
        EXPECT_EQ(Dialogs.BrowseForFolderTree(nullptr, QStringLiteral("Add"), Folder, SubFolders), Folder);
        EXPECT_TRUE(Answer.BoxShown);
        EXPECT_TRUE(Answer.ShownChecked);
        EXPECT_FALSE(SubFolders);
    }
    TFolderAnswer Answer(true);
    EXPECT_EQ(Dialogs.BrowseForFolderTree(nullptr, QStringLiteral("Add"), Folder, SubFolders), Folder);
    EXPECT_FALSE(Answer.ShownChecked);
    EXPECT_TRUE(SubFolders);
}

} // namespace
