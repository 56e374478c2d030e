// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonResults.h"

#include "Console.h"
#include "app/engine/batch/BatchRunner.h"
#include "app/engine/chain/FileProbe.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace cli {
namespace {

const char* const ResultNames[] = {"converted", "failed", "skipped", "stopped"};
const char* const MsgNotStarted = "The run was stopped before this file started.";

// Tenths of a second are what a person or a script can use.
double Seconds(qint64 Milliseconds)
{
    return std::round(static_cast<double>(Milliseconds) / 100) / 10;
}

void PrintJson(const QJsonObject& Object)
{
    PrintLine(stdout, QString::fromUtf8(QJsonDocument(Object).toJson(QJsonDocument::Compact)));
}

} // namespace

TJsonResults::TJsonResults()
{
    FRun.start();
}

void TJsonResults::Refused(const QString& Input, const QString& Reason)
{
    Give(Input, QString(), app::crFailed, Reason, 0);
}

TJsonResults::TItem& TJsonResults::Item(int Index)
{
    if (FItems.size() <= static_cast<size_t>(Index))
        FItems.resize(static_cast<size_t>(Index) + 1);
    return FItems[static_cast<size_t>(Index)];
}

void TJsonResults::Started(int Index)
{
    Item(Index).Start = FRun.elapsed();
}

void TJsonResults::Finished(const app::TBatchRunner& Batch, int Index, const QString& Input)
{
    TItem& Ended = Item(Index);
    Ended.Done = true;
    const app::TConversionResult Result = Batch.Result(Index);
    const bool Written = Result == app::crConverted || Result == app::crSkipped;
    // A file that ends without starting (skipped at once) took no time.
    const qint64 Now = FRun.elapsed();
    Give(Input, Written ? Batch.Output(Index) : QString(), Result, Batch.Message(Index),
         Seconds(Ended.Start < 0 ? 0 : Now - Ended.Start));
}

void TJsonResults::NotStarted(const QStringList& Inputs)
{
    for (qsizetype Index = 0; Index < Inputs.size(); ++Index)
        if (!Item(static_cast<int>(Index)).Done)
            Give(Inputs[Index], QString(), app::crStopped, QString::fromLatin1(MsgNotStarted), 0);
}

void TJsonResults::Give(const QString& Input, const QString& Output, app::TConversionResult Result,
                        const QString& Message, double Elapsed)
{
    ++FCounts[static_cast<size_t>(Result)];
    const app::TProbeResult Probe = app::ProbeFile(Input);
    const QFileInfo Wav(Output);
    PrintJson({
        {QStringLiteral("input"), Input},
        {QStringLiteral("output"), Output.isEmpty() ? QJsonValue() : QJsonValue(Output)},
        {QStringLiteral("result"), QString::fromLatin1(ResultNames[Result])},
        {QStringLiteral("message"), Message},
        {QStringLiteral("duration_seconds"), Probe.Row.Valid ? QJsonValue(Probe.Seconds) : QJsonValue()},
        {QStringLiteral("size_bytes"), !Output.isEmpty() && Wav.isFile() ? QJsonValue(Wav.size()) : QJsonValue()},
        {QStringLiteral("elapsed_seconds"), Elapsed},
    });
}

void TJsonResults::Summary()
{
    QJsonObject Counts{{QStringLiteral("elapsed_seconds"), Seconds(FRun.elapsed())}};
    int Files = 0;
    for (size_t Result = 0; Result < FCounts.size(); ++Result) {
        Counts.insert(QString::fromLatin1(ResultNames[Result]), FCounts[Result]);
        Files += FCounts[Result];
    }
    Counts.insert(QStringLiteral("files"), Files);
    PrintJson({{QStringLiteral("summary"), Counts}});
}

} // namespace cli
