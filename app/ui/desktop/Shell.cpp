// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shell.h"

#include "Dialogs.h"
#include "app/engine/settings/Language.h"

#include <QApplication>
#include <QDir>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace app {

void TDesktopShell::ShowItem(const QString& Path)
{
    const QUrl Item = QUrl::fromLocalFile(QFileInfo(Path).absoluteFilePath());
    QDBusMessage Call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    Call << QStringList{Item.toString()} << QString();
    // A short wait: with no file manager on the bus the call fails at once; one
    // that hangs must not freeze the window for the default 25 seconds.
    const QDBusMessage Reply = QDBusConnection::sessionBus().call(Call, QDBus::Block, 3000);
    if (Reply.type() != QDBusMessage::ReplyMessage)
        OpenFolder(QFileInfo(Path).absolutePath());
}

void TDesktopShell::OpenFolder(const QString& Folder)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(Folder)))
        return;
    // The user can still go there by hand, or copy the path from the box.
    FDialogs.Message(QApplication::activeWindow(), QMessageBox::Information,
                     LangText(StrNoFileManager, MsgNoFileManager) + QLatin1Char('\n') +
                         QDir::toNativeSeparators(QFileInfo(Folder).absoluteFilePath()));
}

} // namespace app
