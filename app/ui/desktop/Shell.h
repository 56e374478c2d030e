// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {

// What the window asks of the desktop: the file manager. Tests replace it so
// that nothing opens on the desktop. User-interface thread only; nothing here
// reports failure to the caller.
class TShell {
public:
    virtual ~TShell() = default;

    // The file manager shows the folder of Path with Path selected; where no file
    // manager answers that call, the folder of Path opens.
    virtual void ShowItem(const QString& Path) = 0;
    // Opens Folder in the file manager.
    virtual void OpenFolder(const QString& Folder) = 0;
};

class TDialogs;

// The freedesktop file manager interface, with the desktop's default
// applications as the fallback, and where nothing answers at all, a message
// that names the folder (Dialogs must outlive the shell).
class TDesktopShell final : public TShell {
public:
    // Language string StrNoFileManager, this text where the file has none.
    static constexpr int StrNoFileManager = 36;
    static constexpr const char* MsgNoFileManager = "No file manager could be opened. The folder is:";

    explicit TDesktopShell(TDialogs& Dialogs) : FDialogs(Dialogs) {}
    void ShowItem(const QString& Path) override;
    void OpenFolder(const QString& Folder) override;

private:
    TDialogs& FDialogs;
};

} // namespace app
