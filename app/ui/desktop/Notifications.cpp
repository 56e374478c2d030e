// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notifications.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace app {
namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
// The server decides how long a notification stays.
constexpr int ServerTimeout = -1;

} // namespace

void TNotifications::Notify(const QString& Summary, const QString& Body)
{
    if (!FBus)
        FBus = QDBusConnection::sessionBus();
    if (!FBus->isConnected())
        return;
    QDBusMessage Call = QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/Notifications"),
                                                       Service, QStringLiteral("Notify"));
    // The icon by the name the desktop entry gives it; the desktop-entry hint
    // lets the server group the notification under the program.
    QVariantMap Hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.trevalin.Kelvaro")}};
    Call << QStringLiteral("kelvaro") << 0u << QStringLiteral("org.trevalin.Kelvaro") << Summary << Body
         << QStringList() << Hints << ServerTimeout;
    // Without a server the bus answers with an error nobody needs to read;
    // a server the bus starts on demand is never waited for.
    FBus->send(Call);
}

} // namespace app
