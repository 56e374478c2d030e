// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "app/ui/desktop/Dialogs.h"
#include "MainWindow.h"
#include "SingleInstance.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/SignalWatcher.h"
#include "app/ui/language/QtTranslation.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <exception>
#include <optional>

namespace app {

int RunProgram(TDialogs& Dialogs, TShell& Shell, const QStringList& Files)
{
    std::optional<TcdSettings> Settings;
    try {
        Settings.emplace();
        const QString LanguageFile = LanguageFilePath(QStringLiteral("Software\\Trevalin\\Kelvaro\\Language"));
        LoadLanguageStrings(LangStrings(), LangStringCount - 1, LanguageFile, QStringLiteral("Strings"));
        InstallQtTranslation(LanguageFile);
        TSingleInstance Instance(QString::fromUtf8(ApplicationTitle));
        if (Instance.AlreadyRunning()) {
            // The running copy owns the settings file; this one must not write
            // back what it read a moment ago.
            Settings->SetAutoLoad(false);
            if (!Instance.HandOver(Files))
                qWarning("kelvaro: the window that runs did not answer; its list is as it was");
            return 0;
        }
        // At once, so that a second start a moment later finds someone to
        // talk to; what it sends waits for the event loop, and the window.
        Instance.Listen();
        // Dialogs opened from the tray while the window hides must not end the
        // program when they close; only the main window does.
        QApplication::setQuitOnLastWindowClosed(false);
        Tfrmsondrix Window(*Settings, LanguageFile, Dialogs, Shell, QSystemTrayIcon::isSystemTrayAvailable());
        QObject::connect(&Window, &Tfrmsondrix::Closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        QObject::connect(&Instance, &TSingleInstance::Requested, &Window, &Tfrmsondrix::OpenFiles);
        const TSignalWatcher Signals([&Window](int) { Window.CloseWithoutAsking(); });
        Window.show();
        if (!Files.isEmpty())
            Window.OpenFiles(Files);
        return QApplication::exec();
    } catch (const std::exception& Error) {
        Dialogs.Message(nullptr, QMessageBox::Critical, QString::fromUtf8(Error.what()));
        return 1;
    }
}

} // namespace app
