// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

namespace app {

struct TComponents;
class TDialogs;
class TShell;

// The batch page (`tsConvert`): the file list, the conversion run, the log and
// preview playback. User-interface thread only.
class TBatchPage : public QWidget {
    Q_OBJECT

public:
    TBatchPage(TComponents& Components, TDialogs& Dialogs, TShell& Shell, QWidget* Parent = nullptr);
    ~TBatchPage() override;

    // Files dropped on the window: the ".wma" files among them are appended.
    void AddDroppedFiles(const QStringList& Paths);
    // Whether a conversion run is active.
    bool Converting() const;
    // Before the window closes: ends a running conversion and the preview and
    // waits for both, so the file being written ends with a true header.
    void StopForClose();

signals:
    void OptionRequested();
    void HotDirModeRequested();
    void HelpRequested();

private:
    TComponents& FComponents;
    TDialogs& FDialogs;
    TShell& FShell;
};

} // namespace app
