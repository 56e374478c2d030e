// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro: the converter's desktop window.
#include "app/ui/desktop/Dialogs.h"
#include "Program.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/system/SignalWatcher.h"
#include "app/engine/system/SynchronizePump.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

// The name of the installed .desktop file and icon, without extension.
constexpr const char* DesktopFileName = "org.trevalin.Kelvaro";

const char* const HelpText =
    "Usage: kelvaro [--help | --version]\n"
    "\n"
    "Starts the window of %s: convert a list of WMA files\n"
    "to WAV, or watch a folder and convert every WMA file copied into it. Only one\n"
    "window runs at a time; a second start ends at once.\n"
    "\n"
    "The window takes no files or options; kelvaro-cli converts from the command\n"
    "line (kelvaro-cli --help). Qt's own options (-platform, -display, -style) apply.\n";

// --help and --version answer before any window system is needed.
bool AnswersInformation(int argc, char* argv[], int& Status)
{
    for (int I = 1; I < argc; ++I) {
        if (std::strcmp(argv[I], "--help") == 0 || std::strcmp(argv[I], "-h") == 0) {
            std::printf(HelpText, app::ApplicationTitle);
            Status = 0;
            return true;
        }
        if (std::strcmp(argv[I], "--version") == 0) {
            std::printf("kelvaro %s\n", KELVARO_VERSION);
            Status = 0;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    int Status = 0;
    if (AnswersInformation(argc, argv, Status))
        return Status;
    app::BlockTerminationSignals();
    QApplication App(argc, argv);
    // What is left after Qt took its own options is not for the window.
    if (QApplication::arguments().size() > 1) {
        std::fprintf(stderr, "kelvaro: takes no arguments: '%s' (see kelvaro --help)\n",
                     QApplication::arguments().at(1).toLocal8Bit().constData());
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("kelvaro"));
    QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileName));
    app::InstallSynchronizePump();
    app::TQtDialogs Dialogs;
    app::TDesktopShell Shell;
    return app::RunProgram(Dialogs, Shell);
}
