// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputCollector.h"

#include "Console.h"
#include "app/engine/chain/DecoderSet.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

TInputCollector::TInputCollector(const QStringList& Extensions, bool Recursive)
    : FExtensions(Extensions), FRecursive(Recursive)
{
}

void TInputCollector::Add(const QString& Input)
{
    const QFileInfo Info(Input);
    if (Info.isDir()) {
        if (AddFolder(Input, QString()) == 0 && Info.isReadable())
            Complain(Input + QStringLiteral(": no audio files of a kind this program reads"));
    } else if (Info.isFile()) {
        AddFile(Input, QString());
    } else {
        Complain(Input + QStringLiteral(": no such file or folder"));
        ++FFailures;
    }
}

int TInputCollector::AddFolder(const QString& Folder, const QString& Relative)
{
    const QFileInfo Info(Folder);
    QDir Dir(Folder);
    if (!Info.isReadable() || !Dir.isReadable()) {
        Complain(Folder + QStringLiteral(": the folder cannot be read"));
        ++FFailures;
        return 0;
    }
    // A sub-folder that leads back to a folder already walked (a link) adds
    // nothing; a folder named twice on the command line counts twice.
    if (!Relative.isEmpty() && FVisited.contains(Info.canonicalFilePath()))
        return 0;
    FVisited.insert(Info.canonicalFilePath());
    int Found = 0;
    for (const QFileInfo& Entry : Dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        if (FExtensions.contains(app::FileExtension(Entry.fileName()))) {
            AddFile(Entry.filePath(), Relative);
            ++Found;
        }
    }
    if (FRecursive)
        for (const QFileInfo& Sub : Dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            Found += AddFolder(Sub.filePath(), Relative + Sub.fileName() + QLatin1Char('/'));
    return Found;
}

void TInputCollector::AddFile(const QString& Path, const QString& Relative)
{
    FItems.append({Path, Relative});
}

} // namespace cli
