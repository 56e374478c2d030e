// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchProgress.h"

#include "Console.h"
#include "app/engine/chain/FileProbe.h"
#include "app/engine/batch/BatchRunner.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace cli {
namespace {

constexpr int RedrawInterval = 250; // ms
// How long one redraw may spend reading durations, in ms: the conversions'
// completions wait meanwhile.
constexpr int ReadBudget = 30;

QString Clock(qint64 Seconds)
{
    const QString Minutes = QString::number(Seconds / 60 % 60);
    const QString Rest = QStringLiteral("%1").arg(Seconds % 60, 2, 10, QLatin1Char('0'));
    if (Seconds < 3600)
        return Minutes + QLatin1Char(':') + Rest;
    return QStringLiteral("%1:%2:%3").arg(Seconds / 3600).arg(Seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(Rest);
}

} // namespace

TBatchProgress::TBatchProgress(const app::TBatchRunner& Batch, const QStringList& Inputs, bool Json)
    : FBatch(Batch), FInputs(Inputs), FJson(Json)
{
    FTimer.setInterval(RedrawInterval);
    connect(&FTimer, &QTimer::timeout, this, &TBatchProgress::Redraw);
}

void TBatchProgress::Start()
{
    FClock.start();
    if (!FJson && !FBar.Terminal())
        return;
    Redraw();
    FTimer.start();
}

void TBatchProgress::Stop()
{
    if (FTimer.isActive() && FJson)
        Redraw();
    FTimer.stop();
    FBar.Clear();
}

void TBatchProgress::ReadDurations()
{
    if (FSeconds.size() == static_cast<size_t>(FInputs.size()))
        return;
    QElapsedTimer Budget;
    Budget.start();
    while (FSeconds.size() < static_cast<size_t>(FInputs.size()) && Budget.elapsed() < ReadBudget) {
        // A file that cannot be read weighs nothing in the estimate.
        const app::TProbeResult Probe = app::ProbeFile(FInputs[static_cast<qsizetype>(FSeconds.size())]);
        FSeconds.push_back(Probe.Row.Valid ? Probe.Row.Duration : 0);
        FTotalSeconds += FSeconds.back();
    }
}

double TBatchProgress::ConvertedShare() const
{
    const int Count = std::min(static_cast<int>(FInputs.size()), FBatch.Count());
    if (Count == 0)
        return 0;
    const bool ByDuration = static_cast<int>(FSeconds.size()) == Count && FTotalSeconds > 0;
    double Share = 0;
    for (int Index = 0; Index < Count; ++Index) {
        const double Weight = ByDuration ? FSeconds[static_cast<size_t>(Index)] / FTotalSeconds : 1.0 / Count;
        Share += Weight * std::max(FBatch.Percent(Index), 0) / 100.0;
    }
    return std::clamp(Share, 0.0, 1.0);
}

void TBatchProgress::Redraw()
{
    ReadDurations();
    const double Share = ConvertedShare();
    // Bars go by a share that never goes back; the estimate by the measured one.
    const double Shown = FShown.Next(Share);
    const double Elapsed = static_cast<double>(FClock.elapsed()) / 1000;
    const double Left = Share > 0 ? Elapsed * (1 - Share) / Share : -1;
    if (FJson) {
        const QJsonObject Line{
            {QStringLiteral("files_done"), FBatch.DoneCount()},
            {QStringLiteral("files"), FBatch.Count()},
            {QStringLiteral("share"), std::round(Shown * 1000) / 1000},
            {QStringLiteral("elapsed_seconds"), std::round(Elapsed * 10) / 10},
            {QStringLiteral("seconds_left"), Left >= 0 ? QJsonValue(std::round(Left * 10) / 10) : QJsonValue()},
        };
        PrintLine(stderr, QString::fromUtf8(QJsonDocument(Line).toJson(QJsonDocument::Compact)));
        return;
    }
    QString Text = QStringLiteral("%1/%2 files, %3 elapsed")
                       .arg(FBatch.DoneCount())
                       .arg(FBatch.Count())
                       .arg(Clock(static_cast<qint64>(Elapsed)));
    if (Left >= 0)
        Text += QStringLiteral(", about %1 left").arg(Clock(static_cast<qint64>(Left + 0.5)));
    FBar.Show(static_cast<int>(Shown * 100), Text);
}

} // namespace cli
