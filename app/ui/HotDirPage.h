// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace app {

struct TComponents;
class TDialogs;
class TShell;

// The hot directory page (`tsHotDirectory`): the three folders, the start and
// stop of watching, and what the mode has done. User-interface thread only.
class THotDirPage : public QWidget {
    Q_OBJECT

public:
    THotDirPage(TComponents& Components, TDialogs& Dialogs, TShell& Shell, QWidget* Parent = nullptr);
    ~THotDirPage() override;

    // Whether the folder is being watched or files are still converting.
    bool Running() const;
    // Before the window closes: stops watching and waits for the file being
    // converted, so it ends with a true header.
    void StopForClose();

signals:
    void OptionRequested();
    // The fields are stored and saved; the window shows the batch page.
    void ReturnRequested();
    void MinimizeRequested();
    void HelpRequested();

private:
    TComponents& FComponents;
    TDialogs& FDialogs;
    TShell& FShell;
};

} // namespace app
