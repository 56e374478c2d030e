// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewControl.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/engine/batch/BatchDriver.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/chain/DecoderSet.h"
#include "audio/playback/DXAudioOut.h"
#include "app/engine/settings/Language.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace app {
namespace {

constexpr int PanelPreview = 1;
constexpr int StrCannotPlay = 17;

// The pause button's two captions and the status of the sound come from the
// language file's strings, as they change.
constexpr int StrPause = 29, StrResume = 30, StrPlaying = 33, StrPaused = 34;

QString PauseCaption()
{
    return LangText(StrPause, "Pa&use");
}

} // namespace

TPreviewControl::TPreviewControl(const TFileListModel& Files, const TBatchDriver& Batch, const TDecoderSet& Decoders,
                                 au::TDXAudioOut& Preview, QItemSelectionModel& Selection, TBatchStatusBar& Status,
                                 QWidget* Parent)
    : QWidget(Parent), FFiles(Files), FBatch(Batch), FDecoders(Decoders), FOutput(Preview), FSelection(Selection),
      FStatus(Status),
      FPlay(new QAction(QStringLiteral("&Play"), this)), FPause(new QAction(PauseCaption(), this)),
      FStop(new QAction(QStringLiteral("&Stop"), this)), FBar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("pnlPlay"));
    FPlay->setObjectName(QStringLiteral("actStart"));
    FPause->setObjectName(QStringLiteral("actPause"));
    FStop->setObjectName(QStringLiteral("actStop"));
    FPause->setEnabled(false);
    FStop->setEnabled(false);
    FBar->setObjectName(QStringLiteral("pbPlay"));
    FBar->setRange(0, 100);
    FBar->setValue(0);
    FBar->setTextVisible(false);
    FBar->setAccessibleName(QStringLiteral("Position"));
    FBar->installEventFilter(this);

    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(new TActionButton(FPlay, QStringLiteral("btnstart"), this));
    Layout->addWidget(new TActionButton(FPause, QStringLiteral("btnPause"), this));
    Layout->addWidget(new TActionButton(FStop, QStringLiteral("btnstop"), this));
    Layout->addWidget(FBar, 1);

    connect(FPlay, &QAction::triggered, this, &TPreviewControl::OnPlay);
    connect(FPause, &QAction::triggered, this, &TPreviewControl::OnPause);
    connect(FStop, &QAction::triggered, this, &TPreviewControl::OnStop);

    au::TDXAudioOut& Output = FOutput;
    Output.SetDeviceNumber(0);
    Output.SetFramesInBuffer(24576);
    Output.SetPollingInterval(100);
    Output.SetPrefetchData(true);
    // The output may outlive this strip (the window owns it); a late event of
    // it must then find nobody.
    QPointer<TPreviewControl> Self(this);
    Output.SetOnDone([Self](au::TAuComponent*) {
        if (Self)
            Self->OnDone();
    });
    Output.SetOnProgress([Self](au::TAuComponent*) {
        if (Self)
            Self->OnProgress();
    });
}

TPreviewControl::~TPreviewControl() = default;

bool TPreviewControl::Playing() const
{
    return FOutput.Status() == au::osRunning;
}

bool TPreviewControl::Plays(const QString& Path) const
{
    if (!Playing())
        return false;
    const TDecoderSet& Decoders = FDecoders;
    const QStringList Kinds = Decoders.Extensions();
    return std::any_of(Kinds.begin(), Kinds.end(), [&](const QString& Kind) {
        return QString::fromStdString(Decoders.ForExtension(Kind)->FileName()) == Path;
    });
}

void TPreviewControl::StopForRemoval()
{
    if (!Playing())
        return;
    FStopRequested = true;
    FOutput.Stop(true);
    FPause->setEnabled(false);
    FStop->setEnabled(false);
}

void TPreviewControl::StopForClose()
{
    FStopRequested = true;
    FOutput.Stop(false);
}

void TPreviewControl::OnPlay()
{
    FPause->setEnabled(true);
    FPause->setText(PauseCaption());
    FStop->setEnabled(true);
    const QModelIndexList Rows = FSelection.selectedRows();
    if (Rows.isEmpty())
        return;
    // The last selected row is the one that ends up playing.
    int Last = Rows.front().row();
    for (const QModelIndex& Row : Rows)
        Last = std::max(Last, Row.row());
    FPreviewItem = Last;
    PlayItem();
}

void TPreviewControl::PlayItem()
{
    au::TDXAudioOut& Output = FOutput;
    Output.Stop(false);
    FStopRequested = false;
    FDecoder = nullptr;
    const QString Path = FFiles.Row(FPreviewItem).Path;
    au::TAuFileIn* Decoder = FDecoders.ForFile(Path);
    if (Decoder != nullptr) {
        Output.SetInput(Decoder);
        Decoder->SetFileName(Path.toStdString());
    }
    // A file that does not decode is not started: its text stays in the panel
    // instead of a "Playing:" that nothing backs.
    if (Decoder == nullptr || !Decoder->Valid()) {
        FStatus.SetPanelText(PanelPreview, LangStrings()[StrCannotPlay]);
        return;
    }
    FDecoder = Decoder;
    FName = QFileInfo(Path).fileName();
    FStatus.SetPanelText(PanelPreview, LangText(StrPlaying, "Playing:") + FName);
    try {
        Output.Run();
    } catch (const std::exception& E) {
        FStatus.SetPanelText(PanelPreview, QString::fromUtf8(E.what()));
    }
}

void TPreviewControl::OnPause()
{
    if (!FSelection.hasSelection() || FFiles.Count() == 0)
        return;
    au::TDXAudioOut& Output = FOutput;
    const au::TOutputStatus State = Output.Status();
    // Nothing plays: there is nothing to pause or resume.
    if (State == au::osIdle)
        return;
    FPreviewPaused = true;
    if (State == au::osPaused) {
        FPause->setText(PauseCaption());
        FStatus.SetPanelText(PanelPreview, LangText(StrPlaying, "Playing:") + FName);
        Output.Resume();
    } else {
        FPause->setText(LangText(StrResume, "Res&ume"));
        FStatus.SetPanelText(PanelPreview, LangText(StrPaused, "Pause:") + FName);
        Output.Pause();
    }
}

void TPreviewControl::OnStop()
{
    FStopRequested = true;
    FOutput.Stop(true);
}

void TPreviewControl::OnDone()
{
    FStatus.SetPanelText(PanelPreview, QString());
    FBar->setValue(0);
    // A preview stopped by the user, by a removal or by a conversion run ends
    // there; only a file that played to its end hands over to the next row.
    const bool Ended = !FStopRequested && !FBatch.Running();
    FStopRequested = false;
    if (!Ended || FPreviewPaused)
        return;
    ++FPreviewItem;
    if (FPreviewItem < FSelection.selectedRows().size())
        PlayItem();
}

void TPreviewControl::OnProgress()
{
    FBar->setValue(FOutput.Progress());
}

void TPreviewControl::Seek(int X)
{
    if (FOutput.Status() != au::osRunning || FDecoder == nullptr || FBar->width() <= 0)
        return;
    const double Target = static_cast<double>(X) * FBar->maximum() / FBar->width();
    // The default rounding mode takes halves to the even neighbour.
    FDecoder->SeekRelative(static_cast<int>(std::nearbyint(Target)) - FBar->value());
}

bool TPreviewControl::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FBar && Event->type() == QEvent::MouseButtonPress)
        Seek(static_cast<QMouseEvent*>(Event)->position().toPoint().x());
    return QWidget::eventFilter(Watched, Event);
}

} // namespace app
