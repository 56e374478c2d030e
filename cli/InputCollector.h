// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FolderScan.h"
#include "app/engine/batch/BatchRunner.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace cli {

// The files a command line names, each with the folder below the output folder
// its WAV file goes to: a file as it is, a folder by its files of the kinds the
// decoders read, in name order, and with Recursive the files of its
// sub-folders after its own, each landing at the same relative place. A file
// met again (the same file, however named) is kept only where it came first:
// converted twice, it would only be written twice, or twice under two names.
// Paths that name nothing readable are reported on standard error and kept as
// refusals.
class TInputCollector {
public:
    TInputCollector(const QStringList& Extensions, bool Recursive);

    // A path that named nothing readable, and why.
    struct TRefusal {
        QString Input;
        QString Reason;
    };

    void Add(const QString& Input);
    const QList<app::TBatchRunner::TItem>& Items() const { return FItems; }
    const QList<TRefusal>& Refusals() const { return FRefusals; }

private:
    void Refuse(const QString& Input, const QString& Reason);
    void DropRepeats(qsizetype From);

    app::TFolderScan FScan;
    QList<app::TBatchRunner::TItem> FItems;
    QList<TRefusal> FRefusals;
    QSet<QString> FTaken; // canonical paths of the items
};

} // namespace cli
