// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchDriver.h"

#include "BatchLog.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/chain/ConversionChain.h"
#include "app/engine/chain/DecoderSet.h"
#include "FileListModel.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "audio/core/AuException.h"

#include <QFileInfo>

namespace app {
namespace {

constexpr const char* StatusConverting = "Converter...";

QString Lang(int Index) { return LangStrings()[static_cast<size_t>(Index)]; }

} // namespace

TBatchDriver::TBatchDriver(TFileListModel& Files, TcdSettings& Settings, TConversionChain& Chain,
                           TDecoderSet& Decoders, QObject* Parent)
    : QObject(Parent), FFiles(Files), FSettings(Settings), FChain(Chain), FDecoders(Decoders)
{
    SetUpWriter(FWavOut);
    // The writer's events arrive on this thread through the synchronisation queue.
    FWavOut.SetOnDone([this](au::TAuComponent*) { OnWavOutDone(); });
    FWavOut.SetOnProgress([this](au::TAuComponent*) { OnWavOutProgress(); });
    FTimer.setInterval(TimerInterval);
    connect(&FTimer, &QTimer::timeout, this, &TBatchDriver::TimerStep);
}

TBatchDriver::~TBatchDriver()
{
    FWavOut.SetOnDone(nullptr);
    FWavOut.SetOnProgress(nullptr);
    FWavOut.Stop(false);
}

QString TBatchDriver::OutputPathFor(int Row) const
{
    return AddTrailingBackslash(FOutputFolder) + FileBaseName(FFiles.Row(Row).SubItems[TFileListModel::SubPath]) +
           QStringLiteral(".wav");
}

bool TBatchDriver::StartRun(const QString& OutputFolder)
{
    FOutputFolder = OutputFolder;
    FStopRequested = false;
    emit ConvertButtonShown(false);
    emit StatusText(0, Lang(StrStarting));
    emit LogLine(QStringLiteral("Task Begin"));
    emit ControlsEnabled(false);
    for (int Row = 0; Row < FFiles.Count(); ++Row) {
        FFiles.SetSubItem(Row, TFileListModel::SubInformation, QString());
        FFiles.SetSubItem(Row, TFileListModel::SubStatus, QString());
        FFiles.SetImageIndex(Row, TFileListModel::imgPending);
        if (!QFileInfo(FFiles.Row(Row).SubItems[TFileListModel::SubPath]).isFile()) {
            emit MissingFile(Lang(StrMissingFile));
            emit ConvertButtonShown(true);
            emit ControlsEnabled(true);
            return false;
        }
    }
    if (FPreview != nullptr && FPreview->Status() == au::osRunning)
        FPreview->Stop(true);
    FSettings.SetSavePath(FOutputFolder);
    FTimer.start();
    return true;
}

void TBatchDriver::RequestStop()
{
    FStopRequested = true;
    emit LogLine(Lang(StrStopped));
}

void TBatchDriver::TimerStep()
{
    if (FItemBusy || !FTimer.isActive())
        return;
    for (int Row = 0; Row < FFiles.Count(); ++Row) {
        if (!FFiles.Row(Row).SubItems[TFileListModel::SubStatus].isEmpty())
            continue;
        StartRow(Row, OutputPathFor(Row));
        return;
    }
    FinishRun(FFiles.Count() > 0 ? OutputPathFor(FFiles.Count() - 1) : QString());
}

void TBatchDriver::StartRow(int Row, const QString& OutputPath)
{
    const QString Input = FFiles.Row(Row).SubItems[TFileListModel::SubPath];
    emit LogLine(LoadLine(Input));
    QString Error;
    try {
        FChain.PrepareChain(Input, OutputPath, FDecoders.ForFile(Input), FWavOut, FSettings);
    } catch (const std::exception& E) {
        Error = QString::fromUtf8(E.what());
    }
    FFiles.SetSubItem(Row, TFileListModel::SubStatus, QString::fromLatin1(StatusConverting));
    FFiles.SetSubItem(Row, TFileListModel::SubOutput, OutputPath);
    FFiles.SetSubItem(Row, TFileListModel::SubInformation,
                      QStringLiteral("Save to: ") + QFileInfo(OutputPath).fileName());
    emit StatusText(0, QStringLiteral("Converting: ") + FFiles.Row(Row).Caption);
    FCurrentItem = Row;
    FItemBusy = true;
    // A chain that could not even start ends its row at once, as a failure,
    // instead of leaving the row to be taken again and again.
    if (!Error.isEmpty())
        FinishRow(Error);
}

void TBatchDriver::OnWavOutDone()
{
    FinishRow(QString::fromStdString(FWavOut.ExceptionMessage()));
}

void TBatchDriver::FinishRow(const QString& Error)
{
    FItemBusy = false;
    const int Row = FCurrentItem;
    const bool Succeeded = Error.isEmpty();
    // The row's result reads as text too: its error stays with it.
    if (!Succeeded)
        FFiles.SetErrorText(Row, Error);
    FFiles.SetImageIndex(Row, Succeeded ? TFileListModel::imgSucceeded : TFileListModel::imgFailed);
    for (const QString& Line : ResultLines(FFiles.Row(Row).SubItems[TFileListModel::SubOutput], Error))
        emit LogLine(Line);
    emit ProgressHidden();
    emit StatusText(4, QString());
    if (FStopRequested) {
        FWavOut.Stop(true);
        FTimer.stop();
        emit ConvertButtonShown(true);
        emit ControlsEnabled(true);
        emit RunStopped();
    }
    emit ItemFinished(Row, Succeeded);
}

void TBatchDriver::OnWavOutProgress()
{
    const int Percent = FWavOut.Progress();
    emit ProgressChanged(Percent);
    emit StatusText(4, QString::asprintf("%d%%", Percent));
}

void TBatchDriver::FinishRun(const QString& LastOutput)
{
    emit ControlsEnabled(true);
    emit StatusText(0, QString());
    emit LogLine(QStringLiteral("Task End"));
    emit LogLine(QString());
    if (!FStopRequested)
        emit ConvertButtonShown(true);
    FTimer.stop();
    emit RunFinished(Lang(StrOpenOutput), LastOutput);
}

} // namespace app
