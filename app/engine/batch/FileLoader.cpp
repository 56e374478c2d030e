// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLoader.h"

#include "FolderScan.h"
#include "ListFile.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/chain/FileProbe.h"

#include <QFileInfo>
#include <algorithm>
#include <system_error>

namespace app {

TFileLoader::TFileLoader(TFileListModel& Files, QObject* Parent)
    : QObject(Parent), FFiles(Files), FKinds(TDecoderSet().Extensions())
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

void TFileLoader::SetProbeThreads(int Count)
{
    FProbeThreads = std::max(Count, 1);
}

bool TFileLoader::Start(const QStringList& Paths, bool KeepRepeats)
{
    if (Paths.isEmpty())
        return false;
    return Run([Paths] { return Paths; }, KeepRepeats);
}

bool TFileLoader::AddFiles(const QStringList& Paths)
{
    if (Paths.isEmpty())
        return false;
    return Run([this, Paths] { return Loadable(Paths); }, false);
}

bool TFileLoader::AddFolder(const QString& Folder, bool Recursive)
{
    return Run(
        [this, Folder, Recursive] {
            QList<TBatchRunner::TItem> Found;
            TFolderScan(FKinds, Recursive, true).Scan(Folder, Found);
            QStringList Paths;
            for (const TBatchRunner::TItem& File : Found)
                Paths << File.Input;
            return Paths;
        },
        false);
}

bool TFileLoader::ImportList(const QString& FileName)
{
    QStringList Lines;
    if (Busy() || !ReadListFile(FileName, Lines))
        return false;
    FFiles.Clear();
    // A list file may name a path twice on purpose; both rows stay.
    return Run([this, Lines] { return Loadable(Lines); }, true);
}

bool TFileLoader::ExportList(const QString& FileName, QString& Error) const
{
    QStringList Paths;
    for (int Row = 0; Row < FFiles.Count(); ++Row)
        Paths << FFiles.Row(Row).Path;
    return WriteListFile(FileName, Paths, Error);
}

QStringList TFileLoader::Loadable(const QStringList& Paths) const
{
    QStringList Files;
    for (const QString& Path : Paths)
        if (FKinds.contains(FileExtension(Path)) && QFileInfo(Path).isFile())
            Files << Path;
    return Files;
}

bool TFileLoader::Run(TFind Find, bool KeepRepeats)
{
    if (Busy())
        return false;
    FBusy = true;
    FKeepRepeats = KeepRepeats;
    FCancelled = false;
    FProbed = false;
    FNext = 0;
    FTaken = 0;
    FTotal = -1;
    FWorker = std::thread(&TFileLoader::Probe, this, std::move(Find), FProbeThreads);
    FPace.start();
    emit Started();
    return true;
}

void TFileLoader::Probe(const TFind& Find, int Threads)
{
    FPaths = Find();
    const int Total = static_cast<int>(FPaths.size());
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FRows.assign(static_cast<size_t>(Total), {});
        FReady.assign(static_cast<size_t>(Total), 0);
        FTotal = Total;
    }
    std::vector<std::thread> Others;
    try {
        for (int I = 1; I < std::min(Threads, Total); ++I)
            Others.emplace_back(&TFileLoader::ProbeFiles, this);
    } catch (const std::system_error&) {
        // The system has no thread to spare: the workers there are do it all.
    }
    ProbeFiles();
    for (std::thread& Other : Others)
        Other.join();
    FProbed = true;
    // The last rows come in at once instead of at the next tick.
    QMetaObject::invokeMethod(this, &TFileLoader::Flush, Qt::QueuedConnection);
}

void TFileLoader::ProbeFiles()
{
    // ProbeFile makes each call decoders of its own, so workers share none.
    for (int Index = FNext++; Index < FPaths.size() && !FCancelled; Index = FNext++) {
        TProbeResult Result = ProbeFile(FPaths.at(Index)); // const: shared by the workers
        std::lock_guard<std::mutex> Guard(FLock);
        FRows[static_cast<size_t>(Index)] = std::move(Result.Row);
        FReady[static_cast<size_t>(Index)] = 1;
    }
}

// A receiver may run events (a dialog's nested loop, a message box), and with
// them the next tick: that flush waits for this one to end and then runs, so
// that the rows and the end of a load are handed over once, in order.
void TFileLoader::Flush()
{
    if (FFlushing) {
        FFlushAgain = true;
        return;
    }
    FFlushing = true;
    do {
        FFlushAgain = false;
        FlushOnce();
    } while (FFlushAgain);
    FFlushing = false;
}

void TFileLoader::FlushOnce()
{
    if (!Busy())
        return;
    // Read before the rows are taken: once it is set, every row is ready.
    const bool Ended = FProbed;
    std::vector<TFileListModel::TRow> Rows;
    int Total = 0;
    {
        std::lock_guard<std::mutex> Guard(FLock);
        Total = FTotal;
        // In order: a row waits for the files before it. Cancelled, the list
        // keeps what it shows.
        while (!FCancelled && FTaken < Total && FReady[static_cast<size_t>(FTaken)] != 0)
            Rows.push_back(std::move(FRows[static_cast<size_t>(FTaken++)]));
    }
    // The load is over before any receiver runs, whatever it does.
    if (Ended) {
        FWorker.join();
        FPace.stop();
        std::lock_guard<std::mutex> Guard(FLock);
        FRows = {};
        FReady = {};
    }
    FFiles.AddRows(std::move(Rows), FKeepRepeats);
    if (Total >= 0)
        emit Progress(FTaken, Total);
    if (!Ended)
        return;
    FBusy = false;
    emit Finished();
}

} // namespace app
