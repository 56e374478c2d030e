// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatchCommand.h"

#include "Console.h"
#include "app/engine/system/SignalWatcher.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/hotdir/AfterConversion.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/settings/Language.h"

#include <QCoreApplication>
#include <cstdio>

namespace cli {
namespace {

int Usage(const QString& Reason)
{
    std::fprintf(stderr, "kelvaro-cli: %s (see kelvaro-cli --help)\n", Reason.toUtf8().constData());
    return 2;
}

} // namespace

int RunWatch(const QStringList& Arguments)
{
    QString Input, Output, Log;
    bool SubDirs = false;
    bool KeepTime = false;
    bool CopyTags = false;
    int After = app::acLeave;
    QString MoveFolder;
    bool Quiet = false; // the day logs still take every line
    int Jobs = 0;       // as the settings say
    for (int At = 0; At < Arguments.size(); ++At) {
        const QString& Argument = Arguments[At];
        QString* Target = Argument == QLatin1String("--in")    ? &Input
                          : Argument == QLatin1String("--out") ? &Output
                          : Argument == QLatin1String("--log") ? &Log
                                                               : nullptr;
        if (Target != nullptr) {
            if (At + 1 >= Arguments.size())
                return Usage(QStringLiteral("option %1 needs a folder").arg(Argument));
            *Target = Arguments[++At];
        } else if (Argument == QLatin1String("--subdirs")) {
            SubDirs = true;
        } else if (Argument == QLatin1String("-j")) {
            bool Ok = false;
            Jobs = At + 1 < Arguments.size() ? Arguments[++At].toInt(&Ok) : 0;
            if (!Ok || Jobs < 1)
                return Usage(QStringLiteral("option -j needs a number of files, 1 or more"));
        } else if (Argument == QLatin1String("--keep-time")) {
            KeepTime = true;
        } else if (Argument == QLatin1String("--tags")) {
            CopyTags = true;
        } else if (Argument == QLatin1String("--after")) {
            const QString Value = At + 1 < Arguments.size() ? Arguments[++At] : QString();
            if (Value == QLatin1String("leave") || Value == QLatin1String("delete"))
                After = Value == QLatin1String("leave") ? app::acLeave : app::acDelete;
            else if (Value.startsWith(QLatin1String("move=")) && Value.size() > 5) {
                After = app::acMove;
                MoveFolder = Value.mid(5);
            } else {
                return Usage(QStringLiteral("--after takes leave, delete or move=FOLDER, not '%1'").arg(Value));
            }
        } else if (Argument == QLatin1String("-q") || Argument == QLatin1String("--quiet")) {
            Quiet = true;
        } else {
            return Usage(QStringLiteral("unknown argument %1").arg(Argument));
        }
    }
    const int Refusal = app::THotDirectory::CheckFolders(Input, Output, Log);
    if (Refusal != 0) {
        std::fprintf(stderr, "kelvaro-cli: %s\n", app::LangStrings()[static_cast<size_t>(Refusal)].toUtf8().constData());
        return 2;
    }
    const int AfterRefusal = app::TAfterConversion(After, MoveFolder, Input, Output, SubDirs).Check();
    if (AfterRefusal != 0) {
        std::fprintf(stderr, "kelvaro-cli: %s\n",
                     app::LangText(AfterRefusal, app::TAfterConversion::English(AfterRefusal)).toUtf8().constData());
        return 2;
    }

    app::TcdSettings Settings;
    Settings.SetAutoLoad(false);
    if (Jobs > 0)
        Settings.SetParallel(Jobs);
    if (KeepTime)
        Settings.SetKeepTime(true);
    if (CopyTags)
        Settings.SetCopyTags(true);
    Settings.SetHotAfter(After);
    Settings.SetHotMoveDir(MoveFolder);
    app::TRunClaim Claim;
    app::THotDirectory Hot(Settings, Claim);
    if (!Quiet) {
        QObject::connect(&Hot, &app::THotDirectory::LogLine, [](const QString& Line) { PrintLine(stdout, Line); });
        QObject::connect(&Hot, &app::THotDirectory::LogUnwritable, [](const QString& File, const QString& Error) {
            PrintLine(stdout, QString::fromLatin1(app::THotDirectory::MsgLogUnwritable).arg(File, Error));
        });
    }
    bool Ending = false;
    // The files in progress finish; nothing more starts.
    app::TSignalWatcher Signals([&](int) {
        Ending = true;
        Hot.Halt();
        if (!Hot.Busy())
            QCoreApplication::exit();
    });
    QObject::connect(&Hot, &app::THotDirectory::Idle, [&] {
        if (Ending)
            QCoreApplication::exit();
    });
    try {
        Hot.Start(Input, Output, Log, SubDirs);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "kelvaro-cli: %s: %s\n", Input.toUtf8().constData(), E.what());
        return 1;
    }
    if (!Quiet)
        std::fprintf(stderr, "Watching %s; Ctrl+C ends.\n", Input.toUtf8().constData());
    QCoreApplication::exec();
    return 0;
}

} // namespace cli
