// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileAdder.h"

#include "app/engine/settings/AppTitle.h"
#include "app/engine/chain/FileProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>
#include <thread>

namespace app {
namespace {

// How often the list and the count catch up with the probes.
constexpr int FlushInterval = 50; // ms

} // namespace

TFileAdder::TFileAdder(TFileListModel& Files, QWidget* Window)
    : QObject(Window), FFiles(Files), FWindow(Window)
{
}

TFileAdder::~TFileAdder() = default;

void TFileAdder::Probe(const QStringList& Paths)
{
    for (const QString& Path : Paths) {
        if (FCancelled)
            break;
        TProbeResult Result = ProbeFile(Path);
        std::lock_guard<std::mutex> Guard(FLock);
        if (FCancelled)
            break;
        FProbed.push_back(std::move(Result.Row));
        ++FDone;
    }
    FFinished = true;
    // Wakes the waiting loop at once instead of at its next flush.
    QMetaObject::invokeMethod(this, [] {}, Qt::QueuedConnection);
}

int TFileAdder::Flush()
{
    std::vector<TFileListModel::TRow> Rows;
    int Done = 0;
    {
        std::lock_guard<std::mutex> Guard(FLock);
        Rows.swap(FProbed);
        Done = FDone;
    }
    FFiles.AddRows(std::move(Rows), FKeepRepeats);
    return Done;
}

void TFileAdder::ShowProgress(int Done, int Total)
{
    if (FProgress == nullptr) {
        FProgress = new QProgressDialog(FWindow);
        FProgress->setObjectName(QStringLiteral("dlgAddProgress"));
        FProgress->setWindowTitle(QString::fromUtf8(ApplicationTitle));
        FProgress->setWindowModality(Qt::WindowModal);
        FProgress->setMinimumDuration(0);
        FProgress->setAutoClose(false);
        FProgress->setAutoReset(false);
        FProgress->setRange(0, Total);
        FProgress->show();
    }
    FProgress->setLabelText(QStringLiteral("Adding files: %1 of %2").arg(Done).arg(Total));
    FProgress->setValue(Done);
}

void TFileAdder::AddFiles(const QStringList& Paths, bool KeepRepeats)
{
    if (Paths.isEmpty() || FBusy)
        return;
    FBusy = true;
    FKeepRepeats = KeepRepeats;
    FCancelled = false;
    FFinished = false;
    FDone = 0;
    std::thread Worker(&TFileAdder::Probe, this, Paths);

    QTimer Pace;
    Pace.start(FlushInterval);
    QElapsedTimer Clock;
    Clock.start();
    while (!FFinished) {
        // Until the progress dialog shows, clicks and keys wait for the end of
        // the addition; the dialog then takes them while the window is blocked.
        const bool Shown = FProgress != nullptr;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        (Shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
        if (Shown && FProgress->wasCanceled())
            Cancel();
        const int Done = Flush();
        if (Shown || Clock.elapsed() >= ProgressDelay)
            ShowProgress(Done, static_cast<int>(Paths.size()));
    }
    Worker.join();
    Flush();
    delete FProgress;
    FProgress = nullptr;
    FBusy = false;
}

} // namespace app
