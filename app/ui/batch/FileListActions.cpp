// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListActions.h"

#include "BatchStatusBar.h"
#include "app/engine/batch/BatchDriver.h"
#include "app/ui/desktop/Dialogs.h"
#include "FileAdder.h"
#include "FileListView.h"
#include "PreviewControl.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/batch/FolderScan.h"
#include "app/engine/batch/ListFile.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>

namespace app {
namespace {

constexpr int StrAddFolder = 11;
constexpr int StrNoListFile = 26;
constexpr int PanelStatus = 0;
const QString WmaExtension = QStringLiteral(".wma");
const QString WmaFilter = QStringLiteral("WMA FILE(*.wma)");
const QString TextFilter = QStringLiteral("TEXT FILE(*.txt)");

bool IsWma(const QString& Path)
{
    return FileExtension(Path) == WmaExtension;
}

// The ".wma" files of Folder, hidden ones too, not of its subfolders.
QStringList ScanFolder(const QString& Folder)
{
    QList<TParallelBatch::TItem> Found;
    TFolderScan({WmaExtension}, false, true).Scan(Folder, Found);
    QStringList Files;
    for (const TParallelBatch::TItem& File : Found)
        Files << File.Input;
    return Files;
}

// The hourglass for as long as the object lives.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace

TFileListActions::TFileListActions(TFileListModel& Files, const TBatchDriver& Batch, TDialogs& Dialogs, TShell& Shell,
                                   TFileListView& View, TPreviewControl& Preview, TBatchStatusBar& Status,
                                   QAction* Convert, QWidget* Window)
    : QObject(Window), FFiles(Files), FBatch(Batch), FDialogs(Dialogs), FShell(Shell), FView(View), FPreview(Preview),
      FStatus(Status), FConvert(Convert), FWindow(Window), FAdder(new TFileAdder(Files, Window)),
      FAdd(NewAction("&Add", "actAdd", &TFileListActions::OnAdd)),
      FAddFolder(NewAction("Add &Folder", "actAddFolder", &TFileListActions::OnAddFolder)),
      FRemove(NewAction("&Remove", "actRemove", &TFileListActions::OnRemove)),
      FClear(NewAction("&Clear", "actClear", &TFileListActions::OnClear)),
      FSelectAll(NewAction("Select All", "actSelectAll", &TFileListActions::OnSelectAll)),
      FRemoveFailed(NewAction("R&emove Failed Items", "actRemoveFailedItems", &TFileListActions::OnRemoveFailed)),
      FRemoveSucceeded(
          NewAction("Re&move Succeeded Items", "actRemoveSucceededItems", &TFileListActions::OnRemoveSucceeded)),
      FOpenFolder(NewAction("Open Folder", "actOpenFolder", &TFileListActions::OnOpenFolder)),
      FImportList(NewAction("I&mport List", "actImportList", &TFileListActions::OnImportList)),
      FExportList(NewAction("&Export List", "actExportList", &TFileListActions::OnExportList)),
      FListFileMenu(new QMenu(Window)), FFilesMenu(new QMenu(&View))
{
    // Del and Ctrl+A act on the list while it has the focus.
    FRemove->setShortcut(QKeySequence::Delete);
    FSelectAll->setShortcut(QKeySequence::SelectAll);
    for (QAction* Keyed : {FRemove, FSelectAll}) {
        Keyed->setShortcutContext(Qt::WidgetShortcut);
        FView.addAction(Keyed);
    }
    FListFileMenu->setObjectName(QStringLiteral("poplistfile"));
    FListFileMenu->addAction(FImportList);
    FListFileMenu->addAction(FExportList);
    BuildFilesMenu();

    connect(&FView, &TFileListView::ExampleClicked, this, &TFileListActions::OnExample);
    connect(&FView, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
        OnFilesPopup();
        FFilesMenu->popup(FView.viewport()->mapToGlobal(At));
    });
    connect(FView.header(), &QHeaderView::sectionClicked, this, &TFileListActions::OnColumnClick);
}

TFileListActions::~TFileListActions() = default;

QAction* TFileListActions::NewAction(const char* Text, const char* Name, void (TFileListActions::*Handler)())
{
    auto* Action = new QAction(QString::fromUtf8(Text), this);
    Action->setObjectName(QString::fromUtf8(Name));
    connect(Action, &QAction::triggered, this, Handler);
    return Action;
}

void TFileListActions::BuildFilesMenu()
{
    FFilesMenu->setObjectName(QStringLiteral("pmFiles"));
    // The menu's items trigger the page's actions; those that need a selection
    // or rows are enabled on their own when the menu opens, so that the buttons
    // keep their state.
    auto Item = [this](QAction* Source, const QString& Keys = QString()) {
        auto* Entry = FFilesMenu->addAction(Source->text() + (Keys.isEmpty() ? QString() : QLatin1Char('\t') + Keys));
        Entry->setObjectName(Source->objectName().replace(0, 3, QStringLiteral("mni")));
        connect(Entry, &QAction::triggered, Source, &QAction::trigger);
        FMenuItems.emplace_back(Entry, Source);
        return Entry;
    };
    QAction* Play = Item(FPreview.Play());
    FFilesMenu->setDefaultAction(Play);
    FFilesMenu->addSeparator();
    QAction* OpenFolder = Item(FOpenFolder);
    FFilesMenu->addSeparator();
    Item(FAdd);
    Item(FAddFolder);
    FFilesMenu->addSeparator();
    QAction* SelectAll = Item(FSelectAll, FSelectAll->shortcut().toString(QKeySequence::NativeText));
    QAction* Remove = Item(FRemove, FRemove->shortcut().toString(QKeySequence::NativeText));
    QAction* Clear = Item(FClear);
    FFilesMenu->addSeparator();
    Item(FRemoveFailed);
    Item(FRemoveSucceeded);
    FNeedSelection = {Play, OpenFolder, Remove};
    FNeedRows = {Clear, SelectAll};
}

void TFileListActions::OnFilesPopup()
{
    const bool Selected = FView.selectionModel()->hasSelection();
    const bool HasRows = FFiles.Count() > 0;
    for (const auto& [Entry, Source] : FMenuItems) {
        if (FNeedSelection.contains(Entry))
            Entry->setEnabled(Selected);
        else if (FNeedRows.contains(Entry))
            Entry->setEnabled(HasRows);
        else
            Entry->setEnabled(Source->isEnabled());
    }
}

QStringList TFileListActions::WmaFiles(const QStringList& Paths)
{
    QStringList Files;
    for (const QString& Path : Paths)
        if (IsWma(Path))
            Files << Path;
    return Files;
}

void TFileListActions::UpdateListActions()
{
    const bool HasRows = FFiles.Count() > 0;
    for (QAction* Action : {FRemoveSucceeded, FRemoveFailed, FExportList, FConvert, FRemove, FClear})
        Action->setEnabled(HasRows);
    FView.SetEmptyPanelVisible(!HasRows);
}

void TFileListActions::OnAdd()
{
    FView.SetEmptyPanelVisible(false);
    const QStringList Chosen = FDialogs.OpenFiles(FWindow, WmaFilter, true);
    if (Chosen.isEmpty()) {
        FView.SetEmptyPanelVisible(FFiles.Count() == 0);
        return;
    }
    FAdder->AddFiles(WmaFiles(Chosen));
    UpdateListActions();
}

void TFileListActions::OnAddFolder()
{
    FView.SetEmptyPanelVisible(false);
    const QString Folder = FDialogs.BrowseForFolder(FWindow, LangStrings()[StrAddFolder], QString());
    if (!Folder.isEmpty()) {
        FFiles.Clear();
        FAdder->AddFiles(ScanFolder(Folder));
    }
    UpdateListActions();
}

void TFileListActions::AddDroppedFiles(const QStringList& Paths)
{
    // The driver walks the rows while it converts; they must not move under it.
    if (FBatch.Running())
        return;
    QStringList Files;
    for (const QString& Path : Paths)
        if (QFileInfo(Path).isFile() && IsWma(Path))
            Files << Path;
    if (Files.isEmpty())
        return;
    TWaitCursor Wait;
    FAdder->AddFiles(Files);
    UpdateListActions();
}

void TFileListActions::OnImportList()
{
    const QStringList Chosen = FDialogs.OpenFiles(FWindow, TextFilter, false);
    if (Chosen.isEmpty())
        return;
    QFile List(Chosen.constFirst());
    if (!List.exists()) {
        FDialogs.Message(FWindow, QMessageBox::Warning, LangStrings()[StrNoListFile], QMessageBox::Ok);
        return;
    }
    // The hourglass while the list is read and probed, not over the dialogs.
    TWaitCursor Wait;
    QStringList Lines;
    ReadListFile(Chosen.constFirst(), Lines);
    QStringList Files;
    for (const QString& Line : Lines)
        if (QFileInfo(Line).isFile() && IsWma(Line))
            Files << Line;
    FFiles.Clear();
    // A list file may name a path twice on purpose; both rows stay.
    FAdder->AddFiles(Files, true);
    UpdateListActions();
}

void TFileListActions::OnExportList()
{
    QStringList Paths;
    for (int Row = 0; Row < FFiles.Count(); ++Row)
        Paths << FFiles.Row(Row).Path;
    const QString Name = FDialogs.SaveFile(FWindow, TextFilter, QStringLiteral("txt"));
    if (Name.isEmpty())
        return;
    QString Error;
    if (!WriteListFile(Name, Paths, Error))
        FDialogs.Message(FWindow, QMessageBox::Critical,
                         QStringLiteral("Cannot create file \"%1\". %2").arg(Name, Error),
                         QMessageBox::Ok);
}

void TFileListActions::OnExample()
{
    FAdder->AddFiles({ExeFolderFile(QStringLiteral("Example.wma"))});
    UpdateListActions();
}

void TFileListActions::OnRemove()
{
    const QList<int> Rows = FView.SelectedRows();
    if (Rows.isEmpty())
        return;
    // Exactly the selected rows go, last first, also when the selection has gaps.
    for (auto Row = Rows.crbegin(); Row != Rows.crend(); ++Row) {
        if (FPreview.Plays(FFiles.Row(*Row).Path))
            FPreview.StopForRemoval();
        FFiles.RemoveRow(*Row);
    }
    if (FFiles.Count() == 0)
        FStatus.SetPanelText(PanelStatus, QString());
    UpdateListActions();
}

void TFileListActions::OnClear()
{
    if (FFiles.Count() == 0)
        return;
    FPreview.StopForRemoval();
    FFiles.ClearHeaderImages();
    FFiles.Clear();
    FStatus.SetPanelText(PanelStatus, QString());
    UpdateListActions();
}

void TFileListActions::OnSelectAll()
{
    FView.selectAll();
}

void TFileListActions::RemoveInState(TFileListModel::TRowState State)
{
    for (int Row = FFiles.Count() - 1; Row >= 0; --Row) {
        if (FFiles.Row(Row).State != State)
            continue;
        FPreview.StopForRemoval();
        FFiles.RemoveRow(Row);
    }
    UpdateListActions();
}

void TFileListActions::OnRemoveFailed()
{
    RemoveInState(TFileListModel::rsFailed);
}

void TFileListActions::OnRemoveSucceeded()
{
    RemoveInState(TFileListModel::rsConverted);
}

void TFileListActions::OnOpenFolder()
{
    const QList<int> Rows = FView.SelectedRows();
    if (Rows.isEmpty())
        return;
    FShell.ShowItem(QFileInfo(FFiles.Row(Rows.front()).Path).path());
}

void TFileListActions::OnColumnClick(int Column)
{
    FFiles.SetHeaderImage(Column, FSortAscending ? TFileListModel::imgSortDescending
                                                            : TFileListModel::imgSortAscending);
    FSortAscending = !FSortAscending;
    FFiles.Sort(Column, FSortAscending);
}

} // namespace app
