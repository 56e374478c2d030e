// SPDX-License-Identifier: GPL-3.0-or-later
// The real window's list filling up: N copies of a short WMA handed to it as
// on its command line, timed until the last row is probed and listed, and the
// longest time the user-interface thread did not answer meanwhile (a 5 ms
// timer's longest gap). Runs offscreen unless QT_QPA_PLATFORM says otherwise;
// under scripts/private-desktop.sh the accessibility bus is on.
//
//   list_load_bench [--files N] [--runs R]
#include "ui/FakeDesktop.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/engine/system/SynchronizePump.h"
#include "app/ui/batch/BatchPage.h"
#include "app/ui/batch/FileListActions.h"
#include "app/ui/batch/FileListView.h"
#include "app/ui/window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    int Files = 10000, Runs = 3;
    for (int I = 1; I + 1 < argc; I += 2) {
        const std::string Name = argv[I];
        if (Name == "--files")
            Files = std::stoi(argv[I + 1]);
        else if (Name == "--runs")
            Runs = std::stoi(argv[I + 1]);
    }
    QTemporaryDir Config, Work;
    qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    app::InstallSynchronizePump();

    const QString Source = Work.filePath(QStringLiteral("source.wma"));
    if (QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1",
                           "-ac", "2", "-c:a", "wmav2", "-b:a", "64k", "-f", "asf", Source}) != 0)
        return 1;
    QStringList Paths;
    for (int I = 0; I < Files; ++I) {
        Paths << Work.filePath(QStringLiteral("%1.wma").arg(I, 5, 10, QLatin1Char('0')));
        if (!QFile::link(Source, Paths.back()))
            return 1;
    }

    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1,
                             app::ExeFolderFile(QStringLiteral("English.lng")), QStringLiteral("Strings"));
    app::TcdSettings Settings;
    Settings.SetAutoLoad(false);
    uitest::TFakeDialogs Dialogs;
    uitest::TFakeShell Shell;
    app::Tfrmsondrix Window(Settings, app::ExeFolderFile(QStringLiteral("English.lng")), Dialogs, Shell, false);
    Window.show();
    const QAbstractItemModel& List = *Window.BatchPage()->FileList().model();
    QAction& Add = *Window.BatchPage()->ListActions().Add();

    std::printf("%d files, %d probe threads, platform %s\n", Files, QThread::idealThreadCount(),
                qPrintable(QGuiApplication::platformName()));
    for (int Run = 0; Run < Runs; ++Run) {
        Window.BatchPage()->ListActions().Clear()->trigger();
        QElapsedTimer Clock, Tick;
        qint64 Longest = 0;
        QTimer Beat;
        QObject::connect(&Beat, &QTimer::timeout, [&] {
            Longest = std::max(Longest, Tick.restart());
        });
        Beat.start(5);
        Clock.start();
        Tick.start();
        Window.OpenFiles(Paths);
        while (List.rowCount() < Files || !Add.isEnabled())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const qint64 Elapsed = Clock.elapsed();
        Beat.stop();
        const bool Probed = List.index(Files - 1, 4).data().toString() == QLatin1String("0:01");
        std::printf("run %d: %lld ms until every row is listed and probed%s; the longest the window did not "
                    "answer: %lld ms\n",
                    Run + 1, static_cast<long long>(Elapsed), Probed ? "" : " (the last row is NOT probed)",
                    static_cast<long long>(Longest));
    }
    return 0;
}
