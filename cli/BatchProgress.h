// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ForwardShare.h"
#include "ProgressBar.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace app {
class TBatchRunner;
}

namespace cli {

// The progress line of a parallel conversion: the share of the total audio
// duration converted, the files done of all, the time taken and an estimate of
// the time left, redrawn in place a few times a second. The durations are read
// a few files per redraw, so that a long list starts converting at once; until
// all are known the share counts files alike, and the bar never goes back when
// the durations take over. Nothing at all (not even the durations are read)
// when standard error is not a terminal, unless Json asks for the same facts
// as one JSON object a line on standard error, for other programs' progress
// bars:
//   {"files_done": 3, "files": 10, "share": 0.42, "elapsed_seconds": 12.5,
//    "seconds_left": 17.3 or null before anything is converted}
// with a last line at Stop.
class TBatchProgress : public QObject {
    Q_OBJECT

public:
    // Inputs: the batch's files, in its order.
    TBatchProgress(const app::TBatchRunner& Batch, const QStringList& Inputs, bool Json);

    // Starts drawing; the time taken counts from here.
    void Start();
    // Clears the line, say for a log line; the next redraw brings it back.
    void Clear() { FBar.Clear(); }
    // Clears the line for good (JSON: gives the last line).
    void Stop();

private:
    void Redraw();
    void ReadDurations();
    double ConvertedShare() const;

    const app::TBatchRunner& FBatch;
    QStringList FInputs;
    std::vector<double> FSeconds; // of the files read so far
    double FTotalSeconds = 0;
    bool FJson;
    TForwardShare FShown;
    TProgressBar FBar;
    QTimer FTimer;
    QElapsedTimer FClock;
};

} // namespace cli
