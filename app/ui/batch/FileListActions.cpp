// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListActions.h"

#include "BatchStatusBar.h"
#include "app/engine/batch/ListRun.h"
#include "app/ui/desktop/Dialogs.h"
#include "FileListView.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/batch/FileLoader.h"
#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>

namespace app {
namespace {

constexpr int StrAddFolder = 11;
constexpr int StrNoListFile = 26;
constexpr int StrAudioFiles = 64, StrCannotCreate = 65, StrKindFilter = 68, StrTextFilter = 69;
constexpr int PanelStatus = 0;
const QString WmaExtension = QStringLiteral(".wma");

// "WMA FILE(*.wma)" for ".wma".
QString KindFilter(const QString& Extension)
{
    return LangText(StrKindFilter, "%1 FILE(*%2)").arg(Extension.mid(1).toUpper(), Extension);
}

QString TextFilter()
{
    return LangText(StrTextFilter, "TEXT FILE(*.txt)");
}

} // namespace

TFileListActions::TFileListActions(TFileListModel& Files, TFileLoader& Loader, const TListRun& Batch,
                                   TDialogs& Dialogs, TShell& Shell, TFileListView& View, TPreviewPlayer& Player,
                                   QAction* Play, TBatchStatusBar& Status, QAction* Convert, QWidget* Window)
    : QObject(Window), FFiles(Files), FLoader(Loader), FBatch(Batch), FDialogs(Dialogs), FShell(Shell), FView(View),
      FPlayer(Player), FPlay(Play), FStatus(Status), FConvert(Convert), FWindow(Window),
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
    QAction* Play = Item(FPlay);
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

QString TFileListActions::AddFilter() const
{
    QStringList Patterns{QStringLiteral("*") + WmaExtension};
    QStringList Filters{KindFilter(WmaExtension)};
    for (const QString& Kind : FLoader.Kinds()) {
        if (Kind == WmaExtension)
            continue;
        Patterns << QStringLiteral("*") + Kind;
        Filters << KindFilter(Kind);
    }
    Filters.prepend(LangText(StrAudioFiles, "Audio files (%1)").arg(Patterns.join(QLatin1Char(' '))));
    return Filters.join(QStringLiteral(";;"));
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
    const QStringList Chosen = FDialogs.OpenFiles(FWindow, AddFilter(), true);
    if (Chosen.isEmpty() || !FLoader.AddFiles(Chosen))
        FView.SetEmptyPanelVisible(FFiles.Count() == 0);
}

void TFileListActions::OnAddFolder()
{
    FView.SetEmptyPanelVisible(false);
    const QString Folder =
        FDialogs.BrowseForFolderTree(FWindow, LangStrings()[StrAddFolder], QString(), FAddSubFolders);
    if (Folder.isEmpty() || !FLoader.AddFolder(Folder, FAddSubFolders))
        FView.SetEmptyPanelVisible(FFiles.Count() == 0);
}

void TFileListActions::AddDroppedFiles(const QStringList& Paths)
{
    // The driver walks the rows while it converts; they must not move under it.
    if (FBatch.Running())
        return;
    FLoader.AddFiles(Paths);
}

void TFileListActions::OnImportList()
{
    const QStringList Chosen = FDialogs.OpenFiles(FWindow, TextFilter(), false);
    if (Chosen.isEmpty())
        return;
    if (!FLoader.ImportList(Chosen.constFirst()))
        FDialogs.Message(FWindow, QMessageBox::Warning, LangStrings()[StrNoListFile], QMessageBox::Ok);
}

void TFileListActions::OnExportList()
{
    const QString Name = FDialogs.SaveFile(FWindow, TextFilter(), QStringLiteral("txt"));
    if (Name.isEmpty())
        return;
    QString Error;
    if (!FLoader.ExportList(Name, Error))
        FDialogs.Message(FWindow, QMessageBox::Critical,
                         LangText(StrCannotCreate, "Cannot create file \"%1\". %2").arg(Name, Error),
                         QMessageBox::Ok);
}

void TFileListActions::OnExample()
{
    FLoader.Start({ExeFolderFile(QStringLiteral("Example.wma"))});
}

void TFileListActions::OnRemove()
{
    const QList<int> Rows = FView.SelectedRows();
    if (Rows.isEmpty())
        return;
    // Exactly the selected rows go, last first, also when the selection has gaps.
    for (auto Row = Rows.crbegin(); Row != Rows.crend(); ++Row) {
        if (FPlayer.Plays(FFiles.Row(*Row).Path))
            FPlayer.Stop();
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
    FPlayer.Stop();
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
        FPlayer.Stop();
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
