// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace app {

// Every modal question the window asks goes through here, so that tests can
// answer in place of a person. Each call blocks until answered. Message boxes
// are captioned with the application title. User-interface thread only.
class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A message box with Icon and Buttons; the button pressed.
    virtual QMessageBox::StandardButton Message(QWidget* Owner, QMessageBox::Icon Icon, const QString& Text,
                                                QMessageBox::StandardButtons Buttons = QMessageBox::Ok) = 0;
    // A folder browser titled Title, opened at Start; empty when cancelled.
    virtual QString BrowseForFolder(QWidget* Owner, const QString& Title, const QString& Start) = 0;
    // A folder browser as BrowseForFolder with the check box "Include
    // &sub-folders", which shows SubFolders and takes the user's choice back.
    virtual QString BrowseForFolderTree(QWidget* Owner, const QString& Title, const QString& Start,
                                        bool& SubFolders) = 0;
    // An open dialog for one or many existing files (Filter in Qt's form,
    // "WMA FILE(*.wma)"); empty when cancelled.
    virtual QStringList OpenFiles(QWidget* Owner, const QString& Filter, bool Many) = 0;
    // A save dialog that asks before overwriting; DefaultSuffix without its dot
    // is added to a name without one. Empty when cancelled.
    virtual QString SaveFile(QWidget* Owner, const QString& Filter, const QString& DefaultSuffix) = 0;
};

// The desktop's own dialogs.
class TQtDialogs final : public TDialogs {
public:
    QMessageBox::StandardButton Message(QWidget* Owner, QMessageBox::Icon Icon, const QString& Text,
                                        QMessageBox::StandardButtons Buttons) override;
    QString BrowseForFolder(QWidget* Owner, const QString& Title, const QString& Start) override;
    QString BrowseForFolderTree(QWidget* Owner, const QString& Title, const QString& Start, bool& SubFolders) override;
    QStringList OpenFiles(QWidget* Owner, const QString& Filter, bool Many) override;
    QString SaveFile(QWidget* Owner, const QString& Filter, const QString& DefaultSuffix) override;
};

} // namespace app
