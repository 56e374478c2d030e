// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace app {
namespace {

// Widths of panels 2 to 4 in average characters; panels 0 and 1 share the
// rest, two to one.
constexpr int PanelChars[TBatchStatusBar::PanelCount] = {0, 0, 22, 2, 5};

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
        Label->setFixedWidth(Char * PanelChars[Panel] + 8);
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

void TBatchStatusBar::ShowProgress(int Percent)
{
    FProgress->setValue(Percent);
    FProgress->show();
}

void TBatchStatusBar::HideProgress()
{
    FProgress->hide();
}

} // namespace app
