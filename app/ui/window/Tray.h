// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace app {

// Minimising to the notification area: the window hides and an icon stands in
// for it; a left click on the icon brings the window back, a right click opens
// `pmTray` ("&Show", "Option", "&About...", "&Close"). Where the desktop has no
// notification area the window minimises as any other, since a hidden window
// that nothing can bring back would lose the program. The icon only shows
// while the window is hidden, so a left click always shows it again. User-interface thread.
class TTray : public QObject {
    Q_OBJECT

public:
    // Available: whether the desktop shows notification icons
    // (QSystemTrayIcon::isSystemTrayAvailable() for the real window).
    TTray(QWidget* Window, bool Available);

    bool Available() const { return FAvailable; }
    // The icon is in the notification area (the window is hidden).
    bool IconShown() const;
    // A child of the window, so that the language file reaches its items.
    QMenu* Menu() const { return FMenu; }

    // Hides the window behind the icon, or minimises it where there is no
    // notification area.
    void Minimize();
    // Shows and activates the window and removes the icon.
    void Restore();
    void RemoveIcon();

signals:
    void OptionRequested();
    void AboutRequested();
    void CloseRequested();

private:
    QWidget* FWindow;
    bool FAvailable;
    QMenu* FMenu;
    QSystemTrayIcon* FIcon;
};

} // namespace app
