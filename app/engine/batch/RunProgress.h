// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <vector>

namespace app {

// Where a batch run stands as a whole, for the status bar and the window title.
struct TRunSnapshot {
    int Row = -1;          // the list row converting, -1 between files
    int File = 0;          // its place in the run, 1 to Files
    int Files = 0;
    int FilePercent = 0;   // of the current file
    int Percent = 0;       // of the whole run, 100 only when every file is done
    qint64 ElapsedMs = 0;
    qint64 RemainingMs = -1; // -1 until something is done to measure by
};

// The share of a batch run done, weighted by the files' lengths: a file of ten
// minutes moves the run ten times as far as one of a minute. A file whose
// length is not known weighs as much as the known ones on average, and when no
// length is known every file weighs the same, so the run counts by files.
// Time left is the time so far scaled by the share still to do. Not thread-safe;
// the batch driver owns it on the user-interface thread.
class TRunProgress {
public:
    // A run over rows of these lengths in seconds (0 or less: not known); the
    // rows convert in list order, each once.
    void Start(const std::vector<int>& LengthSeconds);
    void StartFile(int Row);
    void SetFilePercent(int Percent);
    // The current file is done, whatever its result: its whole weight counts.
    void FinishFile();

    // The share done, from 0 to 1.
    double Done() const;
    TRunSnapshot Snapshot(qint64 ElapsedMs) const;

private:
    std::vector<double> FWeights;
    double FTotal = 0;
    double FFinished = 0;
    int FFinishedCount = 0;
    int FRow = -1;
    int FFilePercent = 0;
};

} // namespace app

Q_DECLARE_METATYPE(app::TRunSnapshot)
