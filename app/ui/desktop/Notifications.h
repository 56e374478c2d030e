// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>
#include <utility>

namespace app {

// Desktop notifications through the freedesktop Notifications service on the
// session bus. Sending never waits and never fails loudly: where no service
// runs (or no bus), nothing shows. Without a bus given, the session bus is
// reached with the first notification: most runs never send one, and a
// connection holds a thread of Qt's for the rest of the program.
// User-interface thread.
class TNotifications {
public:
    TNotifications() = default;
    explicit TNotifications(QDBusConnection Bus) : FBus(std::move(Bus)) {}

    // Summary is the notification's title, Body its text.
    void Notify(const QString& Summary, const QString& Body);

private:
    std::optional<QDBusConnection> FBus;
};

} // namespace app
