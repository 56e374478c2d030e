// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <map>
#include <vector>

namespace app {

// Where a batch run stands as a whole, for the status bar and the window title.
struct TRunSnapshot {
    int Row = -1;          // the furthest row down of those converting, -1 when none converts
    int Converting = 0;    // files converting now
    int Done = 0;          // files ended
    int Files = 0;
    int Percent = 0;       // of the whole run, 100 only when every file is done
    qint64 ElapsedMs = 0;
    qint64 RemainingMs = -1; // -1 until something is done to measure by
};

// The share of a batch run done, weighted by the files' lengths: a file of ten
// minutes moves the run ten times as far as one of a minute. A file whose
// length is not known weighs as much as the known ones on average, and when no
// length is known every file weighs the same, so the run counts by files.
// Several files may convert at once, each adding its own share. Time left is
// the time so far scaled by the share still to do. Not thread-safe; the batch
// runner owns it on the user-interface thread.
class TRunProgress {
public:
    // A run over rows of these lengths in seconds (0 or less: not known); each
    // row converts once.
    void Start(const std::vector<int>& LengthSeconds);
    // More rows join the run.
    void Append(const std::vector<int>& LengthSeconds);
    void StartFile(int Row);
    void SetFilePercent(int Row, int Percent);
    // Row is done, whatever its result: its whole weight counts.
    void FinishFile(int Row);

    // The share done, from 0 to 1.
    double Done() const;
    TRunSnapshot Snapshot(qint64 ElapsedMs) const;

private:
    void Weigh();

    std::vector<int> FLengths;
    std::vector<bool> FEnded;
    std::vector<double> FWeights;
    double FTotal = 0;
    double FFinished = 0;
    int FFinishedCount = 0;
    std::map<int, int> FConverting; // row -> percent
};

} // namespace app

Q_DECLARE_METATYPE(app::TRunSnapshot)
