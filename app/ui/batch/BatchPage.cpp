// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchPage.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/ui/window/Components.h"
#include "FileAdder.h"
#include "FileListActions.h"
#include "FileListIcons.h"
#include "FileListView.h"
#include "LogPanel.h"
#include "PreviewControl.h"
#include "RunControl.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace app {

TBatchPage::TBatchPage(TComponents& Components, TDialogs& Dialogs, TShell& Shell, QWidget* Parent)
    : QWidget(Parent), FComponents(Components), FStatus(new TBatchStatusBar(this)), FLog(new TLogPanel(this)),
      FView(new TFileListView(new TFileListIcons(&Components.Files, this), this))
{
    setObjectName(QStringLiteral("tsConvert"));
    FPreview = new TPreviewControl(
        Components.Player, [&Files = Components.Files](int Row) { return Files.Row(Row).Path; },
        *FView->selectionModel(), *FStatus, this);
    FRun = new TRunControl(Components.Batch, Components.Settings, Dialogs, Shell, *FStatus, *FLog, this);
    FListActions = new TFileListActions(Components.Files, Components.Batch, Dialogs, Shell, *FView, *FPreview, *FStatus,
                                        FRun->Convert(), this);

    FOption = new QPushButton(QStringLiteral("Option"), this);
    FOption->setObjectName(QStringLiteral("btnOption"));
    FHotDir = new QPushButton(QStringLiteral("Hot Directories &Mode"), this);
    FHotDir->setObjectName(QStringLiteral("btnHotdirectory"));
    FListFile = new QPushButton(QStringLiteral("&List"), this);
    FListFile->setObjectName(QStringLiteral("btnsbrecentfile"));
    FListFile->setMenu(FListActions->ListFileMenu());

    auto* Splitter = new QSplitter(Qt::Vertical, this);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(FView);
    Splitter->addWidget(FLog);
    Splitter->setStretchFactor(0, 3);
    Splitter->setStretchFactor(1, 1);

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(6, 6, 6, 0);
    Layout->addLayout(BuildButtonBar());
    Layout->addWidget(FPreview);
    Layout->addWidget(Splitter, 1);
    Layout->addLayout(BuildBottomBar());
    Layout->addWidget(FStatus);

    connect(FOption, &QPushButton::clicked, this, &TBatchPage::OptionRequested);
    connect(FHotDir, &QPushButton::clicked, this, &TBatchPage::HotDirModeRequested);
    connect(FView, &QAbstractItemView::doubleClicked, FPreview->Play(), &QAction::trigger);
    connect(&Components.Batch, &TBatchDriver::ControlsEnabled, this, &TBatchPage::EnableBatchControls);
    FListActions->UpdateListActions();
    SetTabOrder();
}

void TBatchPage::SetTabOrder()
{
    // Top to bottom, left to right, as the page reads.
    const char* const Order[] = {"btnadd",    "btnadddir",  "btnRemove",  "btnClear",        "btnsbrecentfile",
                                 "btnstart",  "btnPause",   "btnstop",    "lvFiles",         "lblexample",
                                 "mmolog",    "btnOpenLog", "btnOption",  "btnHotdirectory", "btnConvert",
                                 "btnStopConvert", "btnhelp"};
    QWidget* Previous = nullptr;
    for (const char* Name : Order) {
        QWidget* Next = findChild<QWidget*>(QLatin1String(Name));
        if (Previous != nullptr)
            setTabOrder(Previous, Next);
        Previous = Next;
    }
}

TBatchPage::~TBatchPage() = default;

QLayout* TBatchPage::BuildButtonBar()
{
    auto* Bar = new QHBoxLayout;
    Bar->addWidget(new TActionButton(FListActions->Add(), QStringLiteral("btnadd"), this));
    Bar->addWidget(new TActionButton(FListActions->AddFolder(), QStringLiteral("btnadddir"), this));
    Bar->addWidget(new TActionButton(FListActions->Remove(), QStringLiteral("btnRemove"), this));
    Bar->addWidget(new TActionButton(FListActions->Clear(), QStringLiteral("btnClear"), this));
    Bar->addWidget(FListFile);
    Bar->addStretch();
    return Bar;
}

QLayout* TBatchPage::BuildBottomBar()
{
    auto* Help = new QPushButton(QStringLiteral("&Help"), this);
    Help->setObjectName(QStringLiteral("btnhelp"));
    connect(Help, &QPushButton::clicked, this, &TBatchPage::HelpRequested);
    auto* Bar = new QHBoxLayout;
    Bar->addWidget(FLog->Toggle());
    Bar->addWidget(FOption);
    Bar->addWidget(FHotDir);
    Bar->addStretch();
    Bar->addWidget(FRun->ConvertButton());
    Bar->addWidget(FRun->StopConvertButton());
    Bar->addWidget(Help);
    return Bar;
}

void TBatchPage::EnableBatchControls(bool Enabled)
{
    FPreview->EnableControls(Enabled);
    for (QAction* Action : {FListActions->Add(), FListActions->AddFolder(), FListActions->Remove(),
                            FListActions->Clear()})
        Action->setEnabled(Enabled);
    FOption->setEnabled(Enabled);
    FRun->Convert()->setEnabled(Enabled);
    FView->setEnabled(Enabled);
    FHotDir->setEnabled(Enabled);
    FListFile->setEnabled(Enabled);
    if (Enabled)
        FListActions->UpdateListActions();
}

void TBatchPage::AddDroppedFiles(const QStringList& Paths)
{
    FListActions->AddDroppedFiles(Paths);
}

bool TBatchPage::Converting() const
{
    return FComponents.Batch.Running();
}

void TBatchPage::StopForClose()
{
    FListActions->Adder().Cancel();
    FComponents.Batch.StopNow();
    FPreview->StopForClose();
}

} // namespace app
