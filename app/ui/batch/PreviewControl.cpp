// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewControl.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/engine/settings/Language.h"

#include <QAction>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QProgressBar>
#include <algorithm>
#include <cmath>
#include <utility>

namespace app {
namespace {

constexpr int PanelPreview = 1;
// What a screen reader says of the bar while a file plays: "1:05 of 3:20".
constexpr const char* PositionOf = "%1 of %2";
constexpr int StrPositionOf = 62;

// The pause button's two captions and the status of the sound come from the
// language file's strings, as they change.
constexpr int StrPause = 29, StrResume = 30, StrPlaying = 33, StrPaused = 34;

} // namespace

TPreviewControl::TPreviewControl(TPreviewPlayer& Player, TPreviewPlayer::TRowPath RowPath,
                                 QItemSelectionModel& Selection, TBatchStatusBar& Status, QWidget* Parent)
    : QWidget(Parent), FPlayer(Player), FSelection(Selection), FStatus(Status),
      FPlay(new QAction(QStringLiteral("&Play"), this)), FPause(new QAction(LangText(StrPause, "Pa&use"), this)),
      FStop(new QAction(QStringLiteral("&Stop"), this)), FBar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("pnlPlay"));
    FPlay->setObjectName(QStringLiteral("actStart"));
    FPause->setObjectName(QStringLiteral("actPause"));
    FStop->setObjectName(QStringLiteral("actStop"));
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

    FPlayer.SetRows(std::move(RowPath), [&Selection] { return static_cast<int>(Selection.selectedRows().size()); });
    connect(FPlay, &QAction::triggered, this, &TPreviewControl::OnPlay);
    connect(FPause, &QAction::triggered, this, &TPreviewControl::OnPause);
    connect(FStop, &QAction::triggered, &FPlayer, &TPreviewPlayer::Stop);
    connect(&FPlayer, &TPreviewPlayer::StateChanged, this, &TPreviewControl::ShowState);
    connect(&FPlayer, &TPreviewPlayer::PositionChanged, this, &TPreviewControl::ShowPosition);
    ShowState();
}

// The player outlives the strip; its hand-over must not ask a gone selection.
TPreviewControl::~TPreviewControl()
{
    FPlayer.SetRows({}, {});
}

void TPreviewControl::EnableControls(bool Enabled)
{
    FEnabled = Enabled;
    FPlay->setEnabled(Enabled);
    ShowState();
}

void TPreviewControl::OnPlay()
{
    const QModelIndexList Rows = FSelection.selectedRows();
    if (Rows.isEmpty())
        return;
    // The last selected row is the one that ends up playing.
    int Last = Rows.front().row();
    for (const QModelIndex& Row : Rows)
        Last = std::max(Last, Row.row());
    FPlayer.PlayRow(Last);
}

void TPreviewControl::OnPause()
{
    if (!FSelection.hasSelection() || FSelection.model()->rowCount() == 0)
        return;
    if (FPlayer.State() == TPreviewPlayer::psPaused)
        FPlayer.Resume();
    else
        FPlayer.Pause();
}

void TPreviewControl::ShowState()
{
    const TPreviewPlayer::TState State = FPlayer.State();
    const bool Active = State != TPreviewPlayer::psIdle;
    FPause->setEnabled(FEnabled && Active);
    FStop->setEnabled(FEnabled && Active);
    switch (State) {
    case TPreviewPlayer::psPlaying:
        FPause->setText(LangText(StrPause, "Pa&use"));
        FStatus.SetPanelText(PanelPreview, LangText(StrPlaying, "Playing:") + FPlayer.Name());
        break;
    case TPreviewPlayer::psPaused:
        FPause->setText(LangText(StrResume, "Res&ume"));
        FStatus.SetPanelText(PanelPreview, LangText(StrPaused, "Pause:") + FPlayer.Name());
        break;
    case TPreviewPlayer::psIdle:
        // Empty after a file that ended or was stopped; why it could not play
        // otherwise.
        FStatus.SetPanelText(PanelPreview, FPlayer.ErrorText());
        break;
    }
    ShowPosition(FBar->value());
}

void TPreviewControl::ShowPosition(int Percent)
{
    FBar->setValue(Percent);
    // The bar shows no text; a screen reader says where playback is.
    FBar->setAccessibleDescription(
        FPlayer.State() == TPreviewPlayer::psIdle
            ? QString()
            : LangText(StrPositionOf, PositionOf)
                  .arg(PlayClock(FPlayer.PositionSeconds()), PlayClock(FPlayer.DurationSeconds())));
}

void TPreviewControl::Seek(int X)
{
    if (FPlayer.State() == TPreviewPlayer::psIdle || FBar->width() <= 0)
        return;
    const double Target = static_cast<double>(X) * FBar->maximum() / FBar->width();
    // The default rounding mode takes halves to the even neighbour.
    FPlayer.SeekTo(static_cast<int>(std::nearbyint(Target)));
}

bool TPreviewControl::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FBar && Event->type() == QEvent::MouseButtonPress)
        Seek(static_cast<QMouseEvent*>(Event)->position().toPoint().x());
    return QWidget::eventFilter(Watched, Event);
}

} // namespace app
