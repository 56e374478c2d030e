// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLoader.h"

#include "FolderScan.h"
#include "ListFile.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/chain/FileProbe.h"

#include <QFileInfo>

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
    FKeepRepeats = KeepRepeats;
    FCancelled = false;
    FProbed = false;
    FDone = 0;
    FTotal = -1;
    FWorker = std::thread(&TFileLoader::Probe, this, std::move(Find));
    FPace.start();
    emit Started();
    return true;
}

void TFileLoader::Probe(const TFind& Find)
{
    const QStringList Paths = Find();
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FTotal = static_cast<int>(Paths.size());
    }
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
    int Total = 0;
    {
        std::lock_guard<std::mutex> Guard(FLock);
        Rows.swap(FRows);
        Done = FDone;
        Total = FTotal;
    }
    FFiles.AddRows(std::move(Rows), FKeepRepeats);
    if (Total >= 0)
        emit Progress(Done, Total);
    if (!Ended)
        return;
    FWorker.join();
    FPace.stop();
    emit Finished();
}

} // namespace app
