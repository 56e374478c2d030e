// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderScan.h"

#include "app/engine/chain/DecoderSet.h"

#include <QDir>
#include <QFileInfo>

namespace app {

TFolderScan::TFolderScan(QStringList Extensions, bool Recursive, bool Hidden)
    : FExtensions(std::move(Extensions)), FRecursive(Recursive), FHidden(Hidden)
{
}

int TFolderScan::Scan(const QString& Folder, QList<TBatchRunner::TItem>& Found, const TUnreadable& Unreadable)
{
    return ScanBelow(Folder, QString(), Found, Unreadable);
}

int TFolderScan::ScanBelow(const QString& Folder, const QString& Relative, QList<TBatchRunner::TItem>& Found,
                           const TUnreadable& Unreadable)
{
    const QFileInfo Info(Folder);
    const QDir Dir(Folder);
    if (!Info.isReadable() || !Dir.isReadable()) {
        if (Unreadable)
            Unreadable(Folder);
        return 0;
    }
    if (!Relative.isEmpty() && FVisited.contains(Info.canonicalFilePath()))
        return 0;
    FVisited.insert(Info.canonicalFilePath());
    int Count = 0;
    const QDir::Filters Files = QDir::Files | QDir::Readable | (FHidden ? QDir::Hidden : QDir::Filters());
    for (const QFileInfo& Entry : Dir.entryInfoList(Files, QDir::Name)) {
        if (FExtensions.contains(FileExtension(Entry.fileName()))) {
            Found.append({Entry.filePath(), Relative});
            ++Count;
        }
    }
    if (FRecursive)
        for (const QFileInfo& Sub : Dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            Count += ScanBelow(Sub.filePath(), Relative + Sub.fileName() + QLatin1Char('/'), Found, Unreadable);
    return Count;
}

} // namespace app
