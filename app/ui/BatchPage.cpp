// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchPage.h"

#include "Components.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TBatchPage::TBatchPage(TComponents& Components, TDialogs& Dialogs, TShell& Shell, QWidget* Parent)
    : QWidget(Parent), FComponents(Components), FDialogs(Dialogs), FShell(Shell)
{
    setObjectName(QStringLiteral("tsConvert"));
    auto* Buttons = new QHBoxLayout;
    auto* Option = new QPushButton(QStringLiteral("Option"), this);
    Option->setObjectName(QStringLiteral("btnOption"));
    auto* HotDir = new QPushButton(QStringLiteral("Hot Directories &Mode"), this);
    HotDir->setObjectName(QStringLiteral("btnHotdirectory"));
    auto* Help = new QPushButton(QStringLiteral("&Help"), this);
    Help->setObjectName(QStringLiteral("btnhelp"));
    Buttons->addWidget(Option);
    Buttons->addWidget(HotDir);
    Buttons->addStretch();
    Buttons->addWidget(Help);
    auto* Layout = new QVBoxLayout(this);
    Layout->addStretch();
    Layout->addLayout(Buttons);
    connect(Option, &QPushButton::clicked, this, &TBatchPage::OptionRequested);
    connect(HotDir, &QPushButton::clicked, this, &TBatchPage::HotDirModeRequested);
    connect(Help, &QPushButton::clicked, this, &TBatchPage::HelpRequested);
}

TBatchPage::~TBatchPage() = default;

void TBatchPage::AddDroppedFiles(const QStringList&) {}

bool TBatchPage::Converting() const
{
    return FComponents.Batch.Running();
}

void TBatchPage::StopForClose()
{
    FComponents.Batch.RequestStop();
    FComponents.Batch.WavOut().Stop(false);
    FComponents.Preview.Stop(false);
}

} // namespace app
