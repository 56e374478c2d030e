// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace app {

class TDialogs;
class TShell;

// The program after its application object exists: settings, language file and
// strings, the single-instance lock, then the main window until it closes.
// Files (absolute paths) go to the batch list, of this window or of the copy
// that already runs, which then comes to the front.
// Returns the exit status: 0 when the window closed (by the user, the tray
// menu, SIGTERM or SIGINT) and when another copy already runs and took the
// files; 1 after a start-up error, shown in a message box. The settings are
// saved at the end, except by a copy that found another running.
int RunProgram(TDialogs& Dialogs, TShell& Shell, const QStringList& Files = {});

} // namespace app
