// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLoader.h"

#include "app/engine/chain/FileProbe.h"

namespace app {

TFileLoader::TFileLoader(TFileListModel& Files, QObject* Parent) : QObject(Parent), FFiles(Files)
{
    FPace.setInterval(FlushInterval);
    connect(&FPace, &QTimer::timeout, this, &TFileLoader::Flush);
}

TFileLoader::~TFileLoader()
{
    FCancelled = true;
    if (FWorker.joinable())
        FWorker.join();
}

bool TFileLoader::Start(const QStringList& Paths, bool KeepRepeats)
{
    if (Paths.isEmpty() || Busy())
        return false;
    FTotal = static_cast<int>(Paths.size());
    FKeepRepeats = KeepRepeats;
    FCancelled = false;
    FProbed = false;
    FDone = 0;
    FWorker = std::thread(&TFileLoader::Probe, this, Paths);
    FPace.start();
    return true;
}

void TFileLoader::Probe(const QStringList& Paths)
{
    for (const QString& Path : Paths) {
        if (FCancelled)
            break;
        TProbeResult Result = ProbeFile(Path);
        std::lock_guard<std::mutex> Guard(FLock);
        // A cancel while the file was probed keeps it out, as the count shown said.
        if (FCancelled)
            break;
        FRows.push_back(std::move(Result.Row));
        ++FDone;
    }
    FProbed = true;
    // The last rows come in at once instead of at the next tick.
    QMetaObject::invokeMethod(this, &TFileLoader::Flush, Qt::QueuedConnection);
}

void TFileLoader::Flush()
{
    if (!Busy())
        return;
    const bool Ended = FProbed;
    std::vector<TFileListModel::TRow> Rows;
    int Done = 0;
    {
        std::lock_guard<std::mutex> Guard(FLock);
        Rows.swap(FRows);
        Done = FDone;
    }
    FFiles.AddRows(std::move(Rows), FKeepRepeats);
    emit Progress(Done, FTotal);
    if (!Ended)
        return;
    FWorker.join();
    FPace.stop();
    emit Finished();
}

} // namespace app
