// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/FileConversion.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace app {
class TBatchRunner;
}

namespace cli {

// The results of "convert --json" on standard output, one JSON object a line
// as each input ends:
//   {"input": as given, "output": the WAV path or null, "result": "converted" |
//    "failed" | "skipped" | "stopped", "message": why ("" when converted),
//    "duration_seconds": the input's length or null, "size_bytes": the WAV
//    file's or null, "elapsed_seconds": how long the file took}
// then {"summary": {"files", "converted", "failed", "skipped", "stopped",
// "elapsed_seconds"}}. The output and its size are given for a file converted
// or skipped (an existing WAV file kept), null otherwise. UI thread only.
class TJsonResults {
public:
    // The run's clock starts here.
    TJsonResults();

    // An input that named nothing to convert (missing, unreadable).
    void Refused(const QString& Input, const QString& Reason);
    // Item Index of Batch started converting.
    void Started(int Index);
    // Item Index of Batch, whose input is Input, ended.
    void Finished(const app::TBatchRunner& Batch, int Index, const QString& Input);
    // After a stopped run: the items of Inputs (the batch's, in its order) that
    // never ended answer as stopped.
    void NotStarted(const QStringList& Inputs);
    void Summary();

private:
    struct TItem {
        qint64 Start = -1; // ms on the run's clock
        bool Done = false;
    };
    TItem& Item(int Index);
    void Give(const QString& Input, const QString& Output, app::TConversionResult Result, const QString& Message,
              double Elapsed);

    QElapsedTimer FRun;
    std::vector<TItem> FItems;
    std::array<int, 4> FCounts{}; // by TConversionResult
};

} // namespace cli
