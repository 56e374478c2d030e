// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunProgress.h"

#include <algorithm>
#include <cmath>

namespace app {

void TRunProgress::Start(const std::vector<int>& LengthSeconds)
{
    FLengths.clear();
    FEnded.clear();
    FFinishedCount = 0;
    FConverting.clear();
    Append(LengthSeconds);
}

void TRunProgress::Append(const std::vector<int>& LengthSeconds)
{
    FLengths.insert(FLengths.end(), LengthSeconds.begin(), LengthSeconds.end());
    FEnded.resize(FLengths.size(), false);
    Weigh();
}

// The average of the known lengths changes as rows join, and with it what the
// rows already done weigh.
void TRunProgress::Weigh()
{
    double Known = 0;
    int KnownCount = 0;
    for (int Length : FLengths) {
        if (Length > 0) {
            Known += Length;
            ++KnownCount;
        }
    }
    const double Average = KnownCount > 0 ? Known / KnownCount : 1.0;
    FWeights.clear();
    for (int Length : FLengths)
        FWeights.push_back(Length > 0 ? Length : Average);
    FTotal = Known + Average * static_cast<double>(FLengths.size() - static_cast<size_t>(KnownCount));
    FFinished = 0;
    for (size_t Row = 0; Row < FEnded.size(); ++Row)
        FFinished += FEnded[Row] ? FWeights[Row] : 0;
}

void TRunProgress::StartFile(int Row)
{
    if (Row < 0 || Row >= static_cast<int>(FWeights.size()))
        return;
    FConverting[Row] = 0;
}

void TRunProgress::SetFilePercent(int Row, int Percent)
{
    const auto File = FConverting.find(Row);
    if (File != FConverting.end())
        File->second = std::clamp(Percent, 0, 100);
}

void TRunProgress::FinishFile(int Row)
{
    if (FConverting.erase(Row) == 0)
        return;
    FEnded[static_cast<size_t>(Row)] = true;
    FFinished += FWeights[static_cast<size_t>(Row)];
    ++FFinishedCount;
}

double TRunProgress::Done() const
{
    if (FTotal <= 0)
        return 0;
    double Current = 0;
    for (const auto& [Row, Percent] : FConverting)
        Current += FWeights[static_cast<size_t>(Row)] * Percent / 100.0;
    return std::clamp((FFinished + Current) / FTotal, 0.0, 1.0);
}

TRunSnapshot TRunProgress::Snapshot(qint64 ElapsedMs) const
{
    TRunSnapshot Shot;
    Shot.Row = FConverting.empty() ? -1 : FConverting.rbegin()->first;
    Shot.Converting = static_cast<int>(FConverting.size());
    Shot.Done = FFinishedCount;
    Shot.Files = static_cast<int>(FWeights.size());
    const double Share = Done();
    // Rounded down, so that 100 means finished rather than nearly.
    Shot.Percent = FFinishedCount == Shot.Files ? 100 : std::min(static_cast<int>(Share * 100), 99);
    Shot.ElapsedMs = std::max<qint64>(ElapsedMs, 0);
    if (Share > 0)
        Shot.RemainingMs = std::llround(static_cast<double>(Shot.ElapsedMs) * (1 - Share) / Share);
    return Shot;
}

} // namespace app
