// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tray.h"

#include "app/engine/settings/AppTitle.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace app {

TTray::TTray(QWidget* Window, bool Available)
    : FWindow(Window), FAvailable(Available), FMenu(new QMenu(Window)),
      FIcon(new QSystemTrayIcon(Window->windowIcon(), this))
{
    FMenu->setObjectName(QStringLiteral("pmTray"));
    QAction* Show = FMenu->addAction(QStringLiteral("&Show"), this, &TTray::Restore);
    Show->setObjectName(QStringLiteral("mniShow"));
    FMenu->setDefaultAction(Show);
    FMenu->addAction(QStringLiteral("&Option"), this, &TTray::OptionRequested)
        ->setObjectName(QStringLiteral("mniOption"));
    FMenu->addAction(QStringLiteral("&About..."), this, &TTray::AboutRequested)
        ->setObjectName(QStringLiteral("mniAbout"));
    FMenu->addSeparator();
    FMenu->addAction(QStringLiteral("&Close"), this, &TTray::CloseRequested)->setObjectName(QStringLiteral("mniExit"));

    FIcon->setToolTip(QString::fromUtf8(ApplicationTitle));
    FIcon->setContextMenu(FMenu);
    connect(FIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason Reason) {
        if (Reason == QSystemTrayIcon::Trigger)
            Restore();
    });
}

bool TTray::IconShown() const
{
    return FIcon->isVisible();
}

void TTray::Minimize()
{
    if (!FAvailable) {
        FWindow->showMinimized();
        return;
    }
    FIcon->setIcon(FWindow->windowIcon());
    FWindow->hide();
    FIcon->show();
}

void TTray::Restore()
{
    RemoveIcon();
    FWindow->showNormal();
    FWindow->raise();
    FWindow->activateWindow();
}

void TTray::RemoveIcon()
{
    FIcon->hide();
}

} // namespace app
