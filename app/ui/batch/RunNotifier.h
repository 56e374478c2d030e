// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/FileConversion.h"
#include "app/ui/desktop/Notifications.h"

#include <QElapsedTimer>
#include <QObject>

class QWidget;

namespace app {

class TListRun;

// Tells the desktop when a long batch run ends while the user looks elsewhere:
// a run that took at least MinimumMilliseconds and ends while Window is not the
// active window gives a notification with the counts of converted, failed and
// skipped files, sent through Notifications. Made before anything that asks the user at the
// end of a run, it notifies before that question waits. User-interface thread
// only.
class TRunNotifier final : public QObject {
    Q_OBJECT

public:
    static constexpr int LongRunMilliseconds = 5000;
    // English texts of the language file's strings StrSummary and StrCounts.
    static constexpr int StrSummary = 31, StrCounts = 32;
    static constexpr const char* MsgSummary = "Conversion finished";
    static constexpr const char* MsgCounts = "%1 converted, %2 failed, %3 skipped.";

    TRunNotifier(TListRun& Batch, QWidget* Window, TNotifications Notifications = {},
                 int MinimumMilliseconds = LongRunMilliseconds);

private:
    void OnRunFinished();

    TNotifications FNotifications;
    QWidget* FWindow;
    int FMinimumMilliseconds;
    QElapsedTimer FClock;
    int FCounts[4] = {}; // by TConversionResult
};

} // namespace app
