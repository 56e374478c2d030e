// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {

// What the window asks of the desktop: the file manager and the default viewer
// of a document. Tests replace it so that nothing opens on the desktop.
// User-interface thread only; nothing here reports failure.
class TShell {
public:
    virtual ~TShell() = default;

    // The file manager shows the folder of Path with Path selected; where no file
    // manager answers that call, the folder of Path opens.
    virtual void ShowItem(const QString& Path) = 0;
    // Opens Folder in the file manager.
    virtual void OpenFolder(const QString& Folder) = 0;
    // Opens a document (a text file, the README) in the desktop's default viewer.
    virtual void OpenDocument(const QString& Path) = 0;
};

// The freedesktop file manager interface, with the desktop's default
// applications as the fallback.
class TDesktopShell final : public TShell {
public:
    void ShowItem(const QString& Path) override;
    void OpenFolder(const QString& Folder) override;
    void OpenDocument(const QString& Path) override;
};

} // namespace app
