// SPDX-License-Identifier: GPL-3.0-or-later
// The notification at the end of a long batch run, against a stand-in
// notification server on a private session bus, and with no server at all.
#include "app/engine/batch/ListRun.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/settings/CdSettings.h"
#include "app/ui/batch/RunNotifier.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QVariantMap>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// What a desktop's notification server offers, keeping what it was sent.
class TStandInServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList Received;

public slots:
    uint Notify(const QString& App, uint, const QString& Icon, const QString& Summary, const QString& Body,
                const QStringList&, const QVariantMap& Hints, int)
    {
        Received << QStringList{App, Icon, Summary, Body, Hints.value("desktop-entry").toString()}.join('|');
        return Received.size();
    }
};

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(Daemon.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Daemon.canReadLine(); }, 10000));
        Address = QString::fromUtf8(Daemon.readLine().trimmed());
    }
    void TearDown() override
    {
        for (const char* Name : {"notification client", "notification server"})
            QDBusConnection::disconnectFromBus(Name);
        Daemon.kill();
        Daemon.waitForFinished();
    }

    QDBusConnection Connect(const QString& Name) const { return QDBusConnection::connectToBus(Address, Name); }

    // Two files converted, one failed, one stopped and one skipped.
    void Run()
    {
        emit Batch.ConvertButtonShown(false);
        for (auto Result : {app::crConverted, app::crFailed, app::crConverted, app::crSkipped, app::crStopped})
            emit Batch.ItemFinished(0, Result);
        emit Batch.RunFinished(QString(), QString());
    }

    QProcess Daemon;
    QString Address;
    app::TcdSettings Settings;
    app::TRunClaim Claim;
    app::TFileListModel Files;
    app::TListRun Batch{Files, Settings, Claim};
    QWidget Window; // never active
};

TEST_F(NotificationTest, LongRunEndingBehindAnotherWindowNotifiesWithTheCounts)
{
    QDBusConnection ServerBus = Connect("notification server");
    TStandInServer Server;
    ASSERT_TRUE(ServerBus.registerObject("/org/freedesktop/Notifications", &Server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(ServerBus.registerService("org.freedesktop.Notifications"));
    // The same run, also as a short one, which tells nothing: its call would
    // come first on the one connection, so the long one's shows it did not.
    const QDBusConnection Client = Connect("notification client");
    const app::TRunNotifier Short(Batch, &Window, app::TNotifications(Client), 60000);
    const app::TRunNotifier Long(Batch, &Window, app::TNotifications(Client), 0);
    Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Server.Received.isEmpty(); }, 10000));
    EXPECT_EQ(Server.Received, QStringList{"kelvaro|org.trevalin.Kelvaro|Conversion finished|"
                                           "2 converted, 2 failed, 1 skipped.|org.trevalin.Kelvaro"});
}

TEST_F(NotificationTest, NoServerMeansNothingAndNoWait)
{
    const app::TRunNotifier Notifier(Batch, &Window, app::TNotifications(Connect("notification client")), 0);
    Run();
    // The bus still answers: the call neither blocked nor broke it.
    EXPECT_FALSE(Connect("notification client").interface()->isServiceRegistered("org.freedesktop.Notifications"));
}

} // namespace

#include "NotificationTest.moc"
