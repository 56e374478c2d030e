// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunProgress.h"

#include <algorithm>
#include <cmath>

namespace app {

void TRunProgress::Start(const std::vector<int>& LengthSeconds)
{
    double Known = 0;
    int KnownCount = 0;
    for (int Length : LengthSeconds) {
        if (Length > 0) {
            Known += Length;
            ++KnownCount;
        }
    }
    const double Average = KnownCount > 0 ? Known / KnownCount : 1.0;
    FWeights.clear();
    for (int Length : LengthSeconds)
        FWeights.push_back(Length > 0 ? Length : Average);
    FTotal = Known + Average * static_cast<double>(LengthSeconds.size() - static_cast<size_t>(KnownCount));
    FFinished = 0;
    FFinishedCount = 0;
    FRow = -1;
    FFilePercent = 0;
}

void TRunProgress::StartFile(int Row)
{
    FRow = Row >= 0 && Row < static_cast<int>(FWeights.size()) ? Row : -1;
    FFilePercent = 0;
}

void TRunProgress::SetFilePercent(int Percent)
{
    FFilePercent = std::clamp(Percent, 0, 100);
}

void TRunProgress::FinishFile()
{
    if (FRow < 0)
        return;
    FFinished += FWeights[static_cast<size_t>(FRow)];
    ++FFinishedCount;
    FRow = -1;
    FFilePercent = 0;
}

double TRunProgress::Done() const
{
    if (FTotal <= 0)
        return 0;
    const double Current = FRow < 0 ? 0 : FWeights[static_cast<size_t>(FRow)] * FFilePercent / 100.0;
    return std::clamp((FFinished + Current) / FTotal, 0.0, 1.0);
}

TRunSnapshot TRunProgress::Snapshot(qint64 ElapsedMs) const
{
    TRunSnapshot Shot;
    Shot.Row = FRow;
    Shot.Files = static_cast<int>(FWeights.size());
    Shot.File = std::min(FFinishedCount + 1, Shot.Files);
    Shot.FilePercent = FFilePercent;
    const double Share = Done();
    // Rounded down, so that 100 means finished rather than nearly.
    Shot.Percent = FFinishedCount == Shot.Files ? 100 : std::min(static_cast<int>(Share * 100), 99);
    Shot.ElapsedMs = std::max<qint64>(ElapsedMs, 0);
    if (Share > 0)
        Shot.RemainingMs = std::llround(static_cast<double>(Shot.ElapsedMs) * (1 - Share) / Share);
    return Shot;
}

} // namespace app
