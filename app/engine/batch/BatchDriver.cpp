// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchDriver.h"

#include "FileListModel.h"
#include "app/engine/chain/ConversionChain.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/player/PreviewPlayer.h"

#include <QFileInfo>

namespace app {
namespace {

QString Lang(int Index) { return LangStrings()[static_cast<size_t>(Index)]; }

} // namespace

TBatchDriver::TBatchDriver(TFileListModel& Files, TcdSettings& Settings, TConversionChain& Chain, QObject* Parent)
    : QObject(Parent), FFiles(Files), FSettings(Settings), FChain(Chain), FConversion(Chain)
{
    connect(&FConversion, &TFileConversion::Progress, this, [this](int Percent) {
        emit ProgressChanged(Percent);
        emit StatusText(4, QString::asprintf("%d%%", Percent));
        FProgress.SetFilePercent(Percent);
        EmitRunProgress();
    });
    connect(&FConversion, &TFileConversion::Finished, this, &TBatchDriver::FinishRow);
    FTimer.setInterval(TimerInterval);
    connect(&FTimer, &QTimer::timeout, this, &TBatchDriver::TimerStep);
}

TBatchDriver::~TBatchDriver()
{
    FChain.Release(this);
}

bool TBatchDriver::StartRun(const QString& OutputFolder)
{
    // The hot directory pulls through the same resampler and converter.
    if (!FChain.Claim(this)) {
        emit StartRefused(LangText(StrChainInUse, MsgChainInUse));
        return false;
    }
    FOutputFolder = OutputFolder;
    FStopRequested = false;
    std::fill(std::begin(FCounts), std::end(FCounts), 0);
    FFailedNames.clear();
    FLedger.Clear();
    emit ConvertButtonShown(false);
    emit StatusText(0, Lang(StrStarting));
    emit LogLine(QStringLiteral("Task Begin"));
    emit ControlsEnabled(false);
    for (int Row = 0; Row < FFiles.Count(); ++Row) {
        FFiles.SetState(Row, TFileListModel::rsPending);
        if (!QFileInfo(FFiles.Row(Row).Path).isFile()) {
            FChain.Release(this);
            emit StartRefused(Lang(StrMissingFile));
            emit ConvertButtonShown(true);
            emit ControlsEnabled(true);
            return false;
        }
    }
    if (FPreview != nullptr && FPreview->State() == TPreviewPlayer::psPlaying)
        FPreview->Stop();
    FSettings.SetSavePath(FOutputFolder);
    std::vector<int> Lengths;
    for (int Row = 0; Row < FFiles.Count(); ++Row)
        Lengths.push_back(FFiles.Row(Row).Valid ? FFiles.Row(Row).Duration : 0);
    FProgress.Start(Lengths);
    FElapsed.start();
    FTimer.start();
    return true;
}

bool TBatchDriver::CanStart() const
{
    return !FChain.ClaimedByOther(this);
}

void TBatchDriver::RequestStop()
{
    FStopRequested = true;
    emit LogLine(Lang(StrStopped));
}

void TBatchDriver::StopNow()
{
    if (!Running())
        return;
    FStopRequested = true;
    FTimer.stop();
    if (FConversion.Busy())
        FConversion.StopNow(); // its end finishes the row and the run
    else
        EndStoppedRun();
}

void TBatchDriver::TimerStep()
{
    if (FConversion.Busy() || !FTimer.isActive())
        return;
    for (int Row = 0; Row < FFiles.Count(); ++Row) {
        if (FFiles.Row(Row).State == TFileListModel::rsPending) {
            StartRow(Row);
            return;
        }
    }
    FinishRun();
}

void TBatchDriver::StartRow(int Row)
{
    const QString Input = FFiles.Row(Row).Path;
    emit LogLine(LoadLine(Input));
    FCurrentItem = Row;
    FProgress.StartFile(Row);
    TConversionRequest Request;
    Request.Input = Input;
    Request.OutputFolder = FOutputFolder;
    Request.Format = TOutputFormat::FromSettings(FSettings);
    Request.IfExists = IfExistsChoice(FSettings.IfExists());
    Request.CopyTags = FSettings.CopyTags();
    FConversion.Start(Request);
    const QString Output = FConversion.OutputPath();
    FFiles.SetOutput(Row, Output);
    FFiles.SetState(Row, TFileListModel::rsConverting);
    emit StatusText(0, LangText(StrConverting, MsgConverting) + FFiles.Row(Row).Caption());
    EmitRunProgress();
}

void TBatchDriver::EmitRunProgress()
{
    emit RunProgress(FProgress.Snapshot(FElapsed.elapsed()));
}

void TBatchDriver::FinishRow(TConversionResult Result, const QString& Message)
{
    const int Row = FCurrentItem;
    const QString Output = FConversion.OutputPath();
    ++FCounts[Result];
    if (Result == crFailed || Result == crStopped)
        FFailedNames << FFiles.Row(Row).Caption();
    FFiles.SetOutput(Row, Output);
    // The row's result reads as text too: its reason stays with it, in the
    // window's language where there is a text for it (the log keeps English).
    const bool Kept = Result == crSkipped && Message == QLatin1String(TFileConversion::MsgSkipped);
    FFiles.SetState(Row, Result == crConverted  ? TFileListModel::rsConverted
                         : Result == crSkipped ? TFileListModel::rsSkipped
                                               : TFileListModel::rsFailed,
                    Kept ? LangText(StrKept, TFileConversion::MsgSkipped) : Message);
    for (const QString& Line : ResultLines(QFileInfo(Output).fileName(), Result, Message))
        emit LogLine(Line);
    if (Result == crConverted) {
        const QString Replaced = FLedger.Record(FFiles.Row(Row).Path, Output);
        if (!Replaced.isEmpty())
            emit LogLine(Replaced);
    }
    emit ProgressHidden();
    emit StatusText(4, QString());
    FProgress.FinishFile();
    EmitRunProgress();
    if (FStopRequested)
        EndStoppedRun();
    emit ItemFinished(Row, Result);
}

void TBatchDriver::EndStoppedRun()
{
    FTimer.stop();
    FChain.Release(this);
    emit StatusText(0, QString());
    emit ConvertButtonShown(true);
    emit ControlsEnabled(true);
    emit RunStopped();
}

void TBatchDriver::FinishRun()
{
    FTimer.stop();
    FChain.Release(this);
    emit ControlsEnabled(true);
    emit StatusText(0, QString());
    emit LogLine(QStringLiteral("Task End"));
    emit LogLine(QString());
    // Also after a stop asked for once the last file had ended: nothing was
    // left to stop, and without its button the window could not convert again.
    emit ConvertButtonShown(true);
    const int Rows = FFiles.Count();
    const QString LastOutput = Rows > 0 ? FFiles.Row(Rows - 1).Output : QString();
    emit RunFinished(FCounts[crConverted] == Rows ? Lang(StrOpenOutput) : SummaryMessage(), LastOutput);
}

QString TBatchDriver::SummaryMessage() const
{
    QString Text = LangText(StrRunSummary, MsgRunSummary)
                       .arg(FCounts[crConverted])
                       .arg(FFiles.Count())
                       .arg(FCounts[crFailed] + FCounts[crStopped])
                       .arg(FCounts[crSkipped]);
    if (!FFailedNames.isEmpty()) {
        QStringList Names = FFailedNames.mid(0, SummaryNames);
        if (FFailedNames.size() > SummaryNames)
            Names << LangText(StrMoreNames, MsgMoreNames).arg(FFailedNames.size() - SummaryNames);
        Text += QLatin1Char('\n') + LangText(StrFailedNames, MsgFailedNames).arg(Names.join(QStringLiteral(", ")));
    }
    return Text + QStringLiteral("\n\n") + LangText(StrOpenFolder, MsgOpenFolder);
}

} // namespace app
