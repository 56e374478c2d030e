// SPDX-License-Identifier: GPL-3.0-or-later
// The notification at the end of a long batch run, against a stand-in
// notification server on a private session bus, and with no server at all.
#include "app/engine/batch/BatchDriver.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/chain/ConversionChain.h"
#include "app/engine/settings/CdSettings.h"
#include "app/ui/batch/RunNotifier.h"

#include <QDBusConnection>
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
    uint Notify(const QString& AppName, uint ReplacesId, const QString& Icon, const QString& Summary,
                const QString& Body, const QStringList& Actions, const QVariantMap& Hints, int Timeout)
    {
        Q_UNUSED(ReplacesId);
        Q_UNUSED(Actions);
        Q_UNUSED(Timeout);
        Received << QStringList{AppName, Icon, Summary, Body, Hints.value(QStringLiteral("desktop-entry")).toString()}
                        .join(QLatin1Char('|'));
        return static_cast<uint>(Received.size());
    }
};

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (!Daemon.waitForStarted())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(QTest::qWaitFor([&] { return Daemon.canReadLine(); }, 10000));
        Address = QString::fromUtf8(Daemon.readLine().trimmed());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("notification client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notification server"));
        Daemon.kill();
        Daemon.waitForFinished();
    }

    QDBusConnection Connect(const QString& Name) const { return QDBusConnection::connectToBus(Address, Name); }

    // A run of two converted files, one failed, one stopped and one skipped.
    void Run()
    {
        emit Batch.ConvertButtonShown(false);
        for (app::TConversionResult Result : {app::crConverted, app::crFailed, app::crConverted, app::crSkipped,
                                              app::crStopped})
            emit Batch.ItemFinished(0, Result);
        emit Batch.RunFinished(QString(), QString());
    }

    QProcess Daemon;
    QString Address;
    app::TcdSettings Settings;
    app::TConversionChain Chain;
    app::TFileListModel Files;
    app::TBatchDriver Batch{Files, Settings, Chain};
    QWidget Window;
};

TEST_F(NotificationTest, LongRunEndingBehindAnotherWindowNotifiesWithTheCounts)
{
    QDBusConnection ServerBus = Connect(QStringLiteral("notification server"));
    ASSERT_TRUE(ServerBus.isConnected());
    TStandInServer Server;
    ASSERT_TRUE(ServerBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &Server,
                                         QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(ServerBus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    // The same run, once as a short one, which tells nothing: its call would
    // come first on the one connection, so the long one's shows it did not.
    const QDBusConnection Client = Connect(QStringLiteral("notification client"));
    const app::TRunNotifier Short(Batch, &Window, Client, 60000);
    const app::TRunNotifier Long(Batch, &Window, Client, 0);
    Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Server.Received.isEmpty(); }, 10000));
    EXPECT_EQ(Server.Received, QStringList{QStringLiteral(
                                   "kelvaro|org.trevalin.Kelvaro|Conversion finished|2 converted, 2 failed, 1 "
                                   "skipped.|org.trevalin.Kelvaro")});
}

TEST_F(NotificationTest, NoServerMeansNothingAndNoWait)
{
    const app::TRunNotifier Notifier(Batch, &Window, Connect(QStringLiteral("notification client")), 0);
    Run();
    // The bus is still there and answers: the call neither blocked nor broke it.
    QDBusConnection Bus = Connect(QStringLiteral("notification client"));
    EXPECT_TRUE(Bus.isConnected());
    EXPECT_FALSE(Bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")));
}

} // namespace

#include "NotificationTest.moc"
