// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchPage.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/engine/settings/CdSettings.h"
#include "FileAdder.h"
#include "FileListActions.h"
#include "FileListIcons.h"
#include "FileListView.h"
#include "LogPanel.h"
#include "PreviewControl.h"
#include "RunControl.h"
#include "app/engine/batch/ListRun.h"
#include "app/engine/batch/FileLoader.h"
#include "app/engine/player/PreviewPlayer.h"
#include "RunNotifier.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <utility>

namespace app {
namespace {

QStringList LocalFiles(const QMimeData* Data)
{
    QStringList Paths;
    if (Data == nullptr)
        return Paths;
    const QList<QUrl> Urls = Data->urls();
    for (const QUrl& Url : Urls)
        if (Url.isLocalFile())
            Paths << Url.toLocalFile();
    return Paths;
}

} // namespace

TBatchPage::TBatchPage(TFileListModel& Files, TFileLoader& Loader, TListRun& Batch, TcdSettings& Settings,
                       TPreviewPlayer& Player, TDialogs& Dialogs, TShell& Shell,
                       QWidget* Parent)
    : QWidget(Parent), FLoader(Loader), FBatch(Batch), FPlayer(Player), FStatus(new TBatchStatusBar(this)),
      FLog(new TLogPanel(this)), FView(new TFileListView(new TFileListIcons(&Files, this), this))
{
    setObjectName(QStringLiteral("tsConvert"));
    setAcceptDrops(true);
    FPreview = new TPreviewControl(
        Player, [&Files](int Row) { return Files.Row(Row).Path; }, *FView->selectionModel(), *FStatus, this);
    new TRunNotifier(Batch, this);
    FRun = new TRunControl(Batch, Settings, Dialogs, Shell, *FStatus, *FLog, this);
    FListActions = new TFileListActions(Files, Loader, Batch, Dialogs, Shell, *FView, Player, FPreview->Play(), *FStatus,
                                        FRun->Convert(), this);
    new TFileAdder(Loader, this); // shows every load's progress over the page, which owns it

    FOption = new QPushButton(QStringLiteral("&Option"), this);
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
    FView->SetColumnWidths(Settings.ListColumnWidths());
    connect(FView, &TFileListView::ColumnWidthsChanged, &Settings, &TcdSettings::SetListColumnWidths);
    // The file converting stays in sight; the list is the user's to scroll only between runs.
    connect(&Batch, &TListRun::RunProgress, FView, [this](const TRunSnapshot& Progress) {
        if (Progress.Row >= 0)
            FView->scrollTo(FView->model()->index(Progress.Row, 0));
    });
    connect(&Batch, &TListRun::ControlsEnabled, this, [this](bool Enabled) {
        EnableBatchControls(Enabled);
        if (Enabled)
            AddWaitingFiles();
    });
    connect(&Loader, &TFileLoader::Started, this, [this] { EnableAdding(false); });
    connect(&Loader, &TFileLoader::Finished, this, [this] {
        EnableAdding(true);
        AddWaitingFiles();
    });
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

void TBatchPage::EnableAdding(bool Enabled)
{
    for (QAction* Action : {FListActions->Add(), FListActions->AddFolder(), FRun->Convert()})
        Action->setEnabled(Enabled);
    FListFile->setEnabled(Enabled);
    if (Enabled)
        FListActions->UpdateListActions();
}

void TBatchPage::AddDroppedFiles(const QStringList& Paths)
{
    FListActions->AddDroppedFiles(Paths);
}

void TBatchPage::OpenFiles(const QStringList& Paths)
{
    FWaitingFiles += Paths;
    AddWaitingFiles();
}

void TBatchPage::AddWaitingFiles()
{
    if (FWaitingFiles.isEmpty() || FLoader.Busy() || FBatch.Running())
        return;
    FLoader.AddFiles(std::exchange(FWaitingFiles, {}));
}

void TBatchPage::dragEnterEvent(QDragEnterEvent* Event)
{
    if (!LocalFiles(Event->mimeData()).isEmpty())
        Event->acceptProposedAction();
}

void TBatchPage::dropEvent(QDropEvent* Event)
{
    const QStringList Paths = LocalFiles(Event->mimeData());
    if (Paths.isEmpty())
        return;
    Event->acceptProposedAction();
    AddDroppedFiles(Paths);
}

bool TBatchPage::Converting() const
{
    return FBatch.Running();
}

void TBatchPage::StopForClose()
{
    // Files handed over for later would start a load in the closing window.
    FWaitingFiles.clear();
    FLoader.Cancel();
    FBatch.StopNow();
    FPlayer.StopAndWait();
}

} // namespace app
