// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro: the converter's desktop window.
#include "app/ui/desktop/Dialogs.h"
#include "Program.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/system/SignalWatcher.h"
#include "app/engine/system/SynchronizePump.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace {

// The name of the installed .desktop file and icon, without extension.
constexpr const char* DesktopFileName = "org.trevalin.Kelvaro";

const char* const HelpText =
    "Usage: kelvaro [--help | --version] [FILE...]\n"
    "\n"
    "Starts the window of %s: convert a list of audio files\n"
    "to WAV, or watch a folder and convert every audio file copied into it.\n"
    "\n"
    "FILE...  audio files to add to the batch list, as if dropped on the window.\n"
    "\n"
    "Only one window runs at a time: a second start hands its files to the window\n"
    "that runs, brings that window to the front and ends. kelvaro-cli converts from\n"
    "the command line (kelvaro-cli --help). Qt's own options (-platform, -display,\n"
    "-style) apply.\n";

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
    // What is left after Qt took its own options are files, made absolute
    // here, since a copy that runs already has another working folder.
    QStringList Files;
    bool OptionsEnd = false;
    for (const QString& Argument : QApplication::arguments().mid(1)) {
        if (!OptionsEnd && Argument == QLatin1String("--")) {
            OptionsEnd = true;
        } else if (!OptionsEnd && Argument.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "kelvaro: unknown option '%s' (see kelvaro --help)\n",
                         Argument.toLocal8Bit().constData());
            return 2;
        } else {
            Files << QFileInfo(Argument).absoluteFilePath();
        }
    }
    QApplication::setApplicationName(QStringLiteral("kelvaro"));
    QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileName));
    app::InstallSynchronizePump();
    app::TQtDialogs Dialogs;
    app::TDesktopShell Shell(Dialogs);
    return app::RunProgram(Dialogs, Shell, Files);
}
