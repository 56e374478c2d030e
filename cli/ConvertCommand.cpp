// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertCommand.h"

#include "BatchProgress.h"
#include "Console.h"
#include "InputCollector.h"
#include "JsonResults.h"
#include "app/engine/system/SignalWatcher.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/batch/BatchRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <optional>

namespace cli {

int RunConvert(const TConvertOptions& Options)
{
    app::TcdSettings Settings;
    // Options of one run must not become the window's settings.
    Settings.SetAutoLoad(false);
    if (Options.Rate)
        Settings.SetMRate(*Options.Rate);
    if (Options.Bits)
        Settings.SetMBit(*Options.Bits);
    if (Options.Channels)
        Settings.SetMChannel(*Options.Channels);
    if (Options.Encoding)
        Settings.SetMEncoding(*Options.Encoding);
    if (Options.CopyTags)
        Settings.SetCopyTags(true);
    const QString OutputFolder = Options.OutputFolder.isEmpty() ? Settings.SavePath() : Options.OutputFolder;
    if (!QDir().mkpath(OutputFolder)) {
        Complain(OutputFolder + QStringLiteral(": the output folder cannot be created"));
        return 1;
    }

    std::optional<TJsonResults> Json;
    if (Options.Json)
        Json.emplace();
    TInputCollector Collector(app::TDecoderSet().Extensions(), Options.Recursive);
    for (const QString& Input : Options.Inputs)
        Collector.Add(Input);
    const QList<app::TBatchRunner::TItem>& Items = Collector.Items();
    int Failures = static_cast<int>(Collector.Refusals().size());
    if (Json)
        for (const TInputCollector::TRefusal& Refusal : Collector.Refusals())
            Json->Refused(Refusal.Input, Refusal.Reason);
    if (Items.isEmpty()) {
        if (Json)
            Json->Summary();
        return Failures > 0 ? 1 : 0;
    }

    app::TBatchRunner Batch;
    Batch.SetOutput(QDir(OutputFolder).absolutePath(), app::TOutputFormat::FromSettings(Settings), Options.IfExists);
    Batch.SetJobs(app::ParallelJobs(Options.Jobs));
    Batch.SetKeepTime(Options.KeepTime);
    Batch.SetCopyTags(Settings.CopyTags());
    QStringList Inputs;
    for (const app::TBatchRunner::TItem& Item : Items)
        Inputs << Item.Input;
    TBatchProgress Progress(Batch, Inputs, Options.ProgressJson);
    int Signal = 0;
    app::TSignalWatcher Signals([&](int Number) {
        if (Signal == 0)
            Signal = Number;
        Batch.Stop();
    });

    // With JSON results the log makes way on standard output.
    if (!Options.Quiet)
        QObject::connect(&Batch, &app::TBatchRunner::LogLine, [&](const QString& Line) {
            Progress.Clear();
            PrintLine(Json ? stderr : stdout, Line);
        });
    if (Json)
        QObject::connect(&Batch, &app::TBatchRunner::ItemStarted, [&](int Index) { Json->Started(Index); });
    int Converted = 0;
    QObject::connect(&Batch, &app::TBatchRunner::ItemFinished, [&](int Index, app::TConversionResult Result) {
        if (Result == app::crConverted)
            ++Converted;
        else if (Result != app::crSkipped)
            ++Failures;
        if (Options.Quiet && Result == app::crFailed) {
            Progress.Clear();
            Complain(Items[Index].Input + QStringLiteral(": ") + Batch.Message(Index));
        }
        if (Json)
            Json->Finished(Batch, Index, Items[Index].Input);
    });
    // A signal after the last file ended interrupted nothing.
    bool Interrupted = false;
    QObject::connect(&Batch, &app::TBatchRunner::Finished, [&](bool Stopped) {
        Interrupted = Stopped;
        QCoreApplication::exit();
    });
    // Inside the event loop, so that a run that ends at once still ends it.
    QTimer::singleShot(0, &Batch, [&] {
        Batch.Start(Items);
        Progress.Start();
    });
    QCoreApplication::exec();
    Progress.Stop();
    if (Json) {
        Json->NotStarted(Inputs);
        Json->Summary();
    }
    if (Interrupted) {
        Complain(QStringLiteral("interrupted: %1 of %2 files were converted").arg(Converted).arg(Batch.Count()));
        return 128 + Signal;
    }
    return Failures > 0 ? 1 : 0;
}

} // namespace cli
