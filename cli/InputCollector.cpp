// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputCollector.h"

#include "Console.h"

#include <QFileInfo>

namespace cli {

TInputCollector::TInputCollector(const QStringList& Extensions, bool Recursive)
    : FScan(Extensions, Recursive, false)
{
}

void TInputCollector::Add(const QString& Input)
{
    const qsizetype Before = FItems.size();
    const QFileInfo Info(Input);
    if (Info.isDir()) {
        const int Found = FScan.Scan(Input, FItems, [this](const QString& Folder) {
            Refuse(Folder, QStringLiteral("the folder cannot be read"));
        });
        if (Found == 0 && Info.isReadable())
            Complain(Input + QStringLiteral(": no audio files of a kind this program reads"));
    } else if (Info.isFile()) {
        FItems.append({Input, QString()});
    } else {
        Refuse(Input, QStringLiteral("no such file or folder"));
    }
    DropRepeats(Before);
}

void TInputCollector::DropRepeats(qsizetype From)
{
    for (qsizetype Index = From; Index < FItems.size();) {
        const QString Canonical = QFileInfo(FItems[Index].Input).canonicalFilePath();
        if (FTaken.contains(Canonical)) {
            FItems.removeAt(Index);
        } else {
            FTaken.insert(Canonical);
            ++Index;
        }
    }
}

void TInputCollector::Refuse(const QString& Input, const QString& Reason)
{
    Complain(Input + QStringLiteral(": ") + Reason);
    FRefusals.append({Input, Reason});
}

} // namespace cli
