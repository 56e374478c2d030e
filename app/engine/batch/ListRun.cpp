// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListRun.h"

#include "FileListModel.h"
#include "RunClaim.h"
#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"

#include <QFileInfo>

namespace app {
namespace {

QString Lang(int Index) { return LangStrings()[static_cast<size_t>(Index)]; }

} // namespace

TListRun::TListRun(TFileListModel& Files, TcdSettings& Settings, TRunClaim& Claim, QObject* Parent)
    : QObject(Parent), FFiles(Files), FSettings(Settings), FClaim(Claim)
{
    connect(&FRunner, &TBatchRunner::LogLine, this, &TListRun::LogLine);
    connect(&FRunner, &TBatchRunner::ItemStarted, this, &TListRun::OnItemStarted);
    connect(&FRunner, &TBatchRunner::ItemProgress, this, [this](int Row, int Percent) {
        FPercents.insert(Row, Percent);
        QueueProgress();
    });
    connect(&FRunner, &TBatchRunner::ItemFinished, this, &TListRun::OnItemFinished);
    connect(&FRunner, &TBatchRunner::RunProgress, this, [this](const TRunSnapshot& Progress) {
        FSnapshot = Progress;
        QueueProgress();
    });
    FShowTimer.setSingleShot(true);
    connect(&FShowTimer, &QTimer::timeout, this, &TListRun::ShowProgress);
    connect(&FRunner, &TBatchRunner::Finished, this, &TListRun::OnRunnerFinished);
}

TListRun::~TListRun()
{
    FClaim.Release(this);
}

bool TListRun::StartRun(const QString& OutputFolder)
{
    if (FRunner.Running())
        return false;
    // The hot directory converts on the same processors.
    if (!FClaim.Claim(this)) {
        emit StartRefused(LangText(StrChainInUse, MsgChainInUse));
        return false;
    }
    FOutputFolder = OutputFolder;
    emit ConvertButtonShown(false);
    emit StatusText(0, Lang(StrStarting));
    emit ControlsEnabled(false);
    QList<TBatchRunner::TItem> Items;
    std::vector<int> Lengths;
    for (int Row = 0; Row < FFiles.Count(); ++Row) {
        FFiles.SetState(Row, TFileListModel::rsPending);
        const TFileListModel::TRow& File = FFiles.Row(Row);
        if (!QFileInfo(File.Path).isFile()) {
            FClaim.Release(this);
            emit StartRefused(Lang(StrMissingFile));
            emit ConvertButtonShown(true);
            emit ControlsEnabled(true);
            return false;
        }
        Items.append({File.Path, QString()});
        Lengths.push_back(File.Valid ? File.Duration : 0);
    }
    if (FPreview != nullptr && FPreview->State() == TPreviewPlayer::psPlaying)
        FPreview->Stop();
    FSettings.SetSavePath(FOutputFolder);
    FRunner.SetOptions(FSettings, FOutputFolder);
    FShown.invalidate();
    FRunner.Start(Items, Lengths);
    return true;
}

bool TListRun::CanStart() const
{
    return !FClaim.ClaimedByOther(this);
}

void TListRun::RequestStop()
{
    if (!FRunner.Running())
        return;
    emit LogLine(Lang(StrStopped));
    FRunner.RequestStop();
}

void TListRun::StopNow()
{
    FRunner.StopNow();
}

void TListRun::OnItemStarted(int Row)
{
    FFiles.SetOutput(Row, FRunner.Output(Row));
    FFiles.SetState(Row, TFileListModel::rsConverting);
    emit StatusText(0, LangText(StrConverting, MsgConverting) + FFiles.Row(Row).Caption());
}

void TListRun::QueueProgress()
{
    if (FShowTimer.isActive())
        return;
    const qint64 Since = FShown.isValid() ? FShown.elapsed() : ProgressIntervalMs;
    if (Since >= ProgressIntervalMs)
        ShowProgress();
    else
        FShowTimer.start(static_cast<int>(ProgressIntervalMs - Since));
}

void TListRun::ShowProgress()
{
    FShown.start();
    for (auto It = FPercents.cbegin(); It != FPercents.cend(); ++It)
        FFiles.SetProgress(It.key(), It.value());
    FPercents.clear();
    if (FSnapshot) {
        const TRunSnapshot Progress = *FSnapshot;
        FSnapshot.reset();
        emit RunProgress(Progress);
    }
}

void TListRun::OnItemFinished(int Row, TConversionResult Result)
{
    FPercents.remove(Row);
    const QString Message = FRunner.Message(Row);
    FFiles.SetOutput(Row, FRunner.Output(Row));
    // The row's result reads as text too: its reason stays with it, in the
    // window's language where there is a text for it (the log keeps English).
    const bool Kept = Result == crSkipped && Message == QLatin1String(TFileConversion::MsgSkipped);
    FFiles.SetState(Row, Result == crConverted  ? TFileListModel::rsConverted
                         : Result == crSkipped ? TFileListModel::rsSkipped
                                               : TFileListModel::rsFailed,
                    Kept ? LangText(StrKept, TFileConversion::MsgSkipped) : Message);
    emit ItemFinished(Row, Result);
}

void TListRun::OnRunnerFinished(bool Stopped)
{
    // The last state shows before the run's progress is taken down, and
    // nothing of it after.
    FShowTimer.stop();
    ShowProgress();
    FClaim.Release(this);
    emit StatusText(0, QString());
    emit ControlsEnabled(true);
    emit ConvertButtonShown(true);
    if (Stopped) {
        emit RunStopped();
        return;
    }
    const int Rows = FFiles.Count();
    const QString LastOutput = Rows > 0 ? FFiles.Row(Rows - 1).Output : QString();
    emit RunFinished(FRunner.ResultCount(crConverted) == Rows ? Lang(StrOpenOutput) : SummaryMessage(), LastOutput);
}

QString TListRun::SummaryMessage() const
{
    QString Text = LangText(StrRunSummary, MsgRunSummary)
                       .arg(FRunner.ResultCount(crConverted))
                       .arg(FFiles.Count())
                       .arg(FRunner.ResultCount(crFailed) + FRunner.ResultCount(crStopped))
                       .arg(FRunner.ResultCount(crSkipped));
    // In list order, whatever order the rows ended in.
    QStringList Failed;
    for (int Row = 0; Row < FFiles.Count(); ++Row)
        if (FFiles.Row(Row).State == TFileListModel::rsFailed)
            Failed << FFiles.Row(Row).Caption();
    if (!Failed.isEmpty()) {
        QStringList Names = Failed.mid(0, SummaryNames);
        if (Failed.size() > SummaryNames)
            Names << LangText(StrMoreNames, MsgMoreNames).arg(Failed.size() - SummaryNames);
        Text += QLatin1Char('\n') + LangText(StrFailedNames, MsgFailedNames).arg(Names.join(QStringLiteral(", ")));
    }
    return Text + QStringLiteral("\n\n") + LangText(StrOpenFolder, MsgOpenFolder);
}

} // namespace app
