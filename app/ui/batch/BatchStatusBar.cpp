// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchStatusBar.h"

#include "app/engine/settings/Language.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace app {
namespace {

// Widths of panels 2 and 4 in average characters; panel 3 fits its text, and
// panels 0 and 1 share the rest, two to one.
constexpr int PanelChars[TBatchStatusBar::PanelCount] = {0, 0, 22, 0, 5};
constexpr int RunPanel = 3;
constexpr int PanelMargins = 8;
// Language strings of the run panel: the files converting and done, with one
// file converting, then the time left.
constexpr int StrRunFiles = 70, StrRunFile = 71, StrRunLeft = 61;

// "m:ss", or "h:mm:ss" from an hour on.
QString ClockText(qint64 Milliseconds)
{
    const qint64 Seconds = Milliseconds / 1000;
    const QString Text = QStringLiteral("%1:%2").arg(Seconds / 60 % 60, Seconds < 3600 ? 1 : 2, 10, QLatin1Char('0'))
                             .arg(Seconds % 60, 2, 10, QLatin1Char('0'));
    return Seconds < 3600 ? Text : QStringLiteral("%1:").arg(Seconds / 3600) + Text;
}

} // namespace

TBatchStatusBar::TBatchStatusBar(QWidget* Parent)
    : QStatusBar(Parent), FProgress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("stat1"));
    setSizeGripEnabled(false);
    const int Char = fontMetrics().averageCharWidth();
    for (int Panel = 0; Panel < PanelCount; ++Panel) {
        auto* Label = new QLabel(this);
        Label->setObjectName(QStringLiteral("stat1Panel%1").arg(Panel));
        Label->setTextFormat(Qt::PlainText);
        Label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        FPanels[static_cast<size_t>(Panel)] = Label;
        if (Panel < 2) {
            Label->setMinimumWidth(Char * 20);
            addWidget(Label, 2 - Panel);
            continue;
        }
        if (Panel != RunPanel)
            Label->setFixedWidth(Char * PanelChars[Panel] + PanelMargins);
        if (Panel == 2) {
            // The progress bar fills panel 2.
            auto* Place = new QHBoxLayout(Label);
            Place->setContentsMargins(0, 1, 0, 1);
            Place->addWidget(FProgress);
        }
        addPermanentWidget(Label);
    }
    FPanels[4]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FProgress->setObjectName(QStringLiteral("FProgressBar"));
    FProgress->setAccessibleName(QStringLiteral("Conversion progress"));
    FProgress->setRange(0, 100);
    FProgress->setTextVisible(false);
    FProgress->hide();
    FPanels[RunPanel]->hide();
}

void TBatchStatusBar::SetPanelText(int Panel, const QString& Text)
{
    QLabel* Label = FPanels.at(static_cast<size_t>(Panel));
    Label->setText(Text);
    // The whole text, also where the panel cuts it off.
    Label->setToolTip(Text);
}

QString TBatchStatusBar::PanelText(int Panel) const
{
    return FPanels.at(static_cast<size_t>(Panel))->text();
}

void TBatchStatusBar::ShowRunProgress(const TRunSnapshot& Progress)
{
    QString Text = Progress.Converting == 1
                       ? LangText(StrRunFile, "Converting 1 file, %1 of %2 done").arg(Progress.Done).arg(Progress.Files)
                       : LangText(StrRunFiles, "Converting %1 files, %2 of %3 done")
                             .arg(Progress.Converting)
                             .arg(Progress.Done)
                             .arg(Progress.Files);
    if (Progress.RemainingMs >= 0)
        Text += LangText(StrRunLeft, ", %1 left").arg(ClockText(Progress.RemainingMs));
    QLabel* Panel = FPanels[RunPanel];
    SetPanelText(RunPanel, Text);
    // Grows with its text but never shrinks during the run, so the panels
    // beside it do not jitter with every second.
    Panel->setMinimumWidth(std::max(Panel->minimumWidth(),
                                    Panel->fontMetrics().horizontalAdvance(Text) + PanelMargins * 2));
    Panel->show();
    FProgress->setValue(Progress.Percent);
    FProgress->show();
    SetPanelText(4, QStringLiteral("%1%").arg(Progress.Percent));
}

void TBatchStatusBar::HideRunProgress()
{
    QLabel* Panel = FPanels[RunPanel];
    Panel->hide();
    Panel->setMinimumWidth(0);
    SetPanelText(RunPanel, QString());
    FProgress->hide();
    SetPanelText(4, QString());
}

} // namespace app
