// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace app {

class TDialogs;
class THotDirectory;
class TShell;
class TcdSettings;

// The hot directory page (`tsHotDirectory`): the three folders, the start and
// stop of watching, and what the mode has done. User-interface thread only.
class THotDirPage : public QWidget {
    Q_OBJECT

public:
    // Fills the fields from the settings, which the page keeps up to date.
    THotDirPage(THotDirectory& HotDir, TcdSettings& Settings, TDialogs& Dialogs, TShell& Shell,
                QWidget* Parent = nullptr);
    ~THotDirPage() override;

    // Whether the folder is being watched or files are still converting.
    bool Running() const;
    // Before the window closes: stops watching and converting; the file being
    // converted leaves nothing under its name and its log group ends.
    void StopForClose();

signals:
    void OptionRequested();
    // The fields are stored and saved; the window shows the batch page.
    void ReturnRequested();
    void MinimizeRequested();
    void HelpRequested();

private:
    // One row of the folder group: label, edit box, browse and open buttons.
    QLineEdit* AddFolderRow(QGridLayout* Grid, int Row, const char* Name, const QString& Caption, QPushButton* Browse,
                            QPushButton* Open);
    void LoadHotDirFields();
    // Takes the fields into the settings and saves them.
    void StoreHotDirFields();
    void SetHotDirRunning(bool Running);
    // The move folder's row is for the choice to move only.
    void AfterChanged();
    void ShowDayLogTail();

    void btnsbtrunClick();
    void btnsbtendClick();
    void btnminClick();
    void btnsbtreturnClick();
    void actSelectIndirExecute();
    void actSelectOutdirExecute();
    void actSelectLogdirExecute();
    void actSelectMovedirExecute();
    void btnviewlogClick();

    THotDirectory& FHotDir;
    TcdSettings& FSettings;
    TDialogs& FDialogs;
    TShell& FShell;
    QLineEdit* FInDir;
    QLineEdit* FOutDir;
    QLineEdit* FLogDir;
    QCheckBox* FSubDir;
    QComboBox* FAfter;
    QLineEdit* FMoveDir;
    QPushButton* FSelectMoveDir;
    QPushButton* FSelectInDir;
    QPushButton* FSelectOutDir;
    QPushButton* FSelectLogDir;
    QPushButton* FOption;
    QPushButton* FReturn;
    QPushButton* FRun;
    QPushButton* FEnd;
    QPushButton* FMinimize;
    QPlainTextEdit* FActivity;
};

} // namespace app
