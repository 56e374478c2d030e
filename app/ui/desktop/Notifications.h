// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>
#include <utility>

namespace app {

// Desktop notifications through the freedesktop Notifications service on the
// session bus. Sending never waits and never fails loudly: where no service
// runs (or no bus), nothing shows. User-interface thread.
class TNotifications {
public:
    explicit TNotifications(QDBusConnection Bus = QDBusConnection::sessionBus()) : FBus(std::move(Bus)) {}

    // Summary is the notification's title, Body its text.
    void Notify(const QString& Summary, const QString& Body);

private:
    QDBusConnection FBus;
};

} // namespace app
