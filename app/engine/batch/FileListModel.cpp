// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListModel.h"

#include "app/engine/chain/FileProbe.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace app {
namespace {

const char* const ColumnCaptions[] = {"Name",   "Information",     "Size",
                                      "Full file name", "Length", "Sample Rate(Hz)",
                                      "Bit Per Sample(Bit)", "Channels", "BitRate(kbps)"};

// "m:ss" as (minutes, seconds); what does not parse counts as 0.
std::pair<int, int> LengthValue(const QString& Text)
{
    const qsizetype Colon = Text.indexOf(QLatin1Char(':'));
    return {Text.left(Colon).toInt(), Colon < 0 ? 0 : Text.mid(Colon + 1).toInt()};
}

template <typename T> int Order(const T& A, const T& B)
{
    return A < B ? -1 : (B < A ? 1 : 0);
}

} // namespace

void TFileListModel::AddFile(const QString& Path)
{
    const int At = Count();
    beginInsertRows(QModelIndex(), At, At);
    TRow Row;
    Row.Caption = QFileInfo(Path).fileName();
    Row.SubItems[SubPath] = Path;
    FRows.push_back(std::move(Row));
    endInsertRows();
}

void TFileListModel::Clear()
{
    beginResetModel();
    FRows.clear();
    endResetModel();
}

void TFileListModel::SetSubItem(int Index, int SubItem, const QString& Text)
{
    FRows.at(static_cast<size_t>(Index)).SubItems.at(static_cast<size_t>(SubItem)) = Text;
    if (SubItem + 1 < VisibleColumns)
        emit dataChanged(index(Index, SubItem + 1), index(Index, SubItem + 1));
}

void TFileListModel::SetImageIndex(int Index, int Image)
{
    TRow& Row = FRows.at(static_cast<size_t>(Index));
    Row.ImageIndex = Image;
    if (Image == imgPending)
        Row.ErrorText.clear();
    emit dataChanged(index(Index, 0), index(Index, 0));
}

void TFileListModel::SetErrorText(int Index, const QString& Text)
{
    FRows.at(static_cast<size_t>(Index)).ErrorText = Text;
    emit dataChanged(index(Index, 0), index(Index, 0));
}

void TFileListModel::AddRows(std::vector<TRow> Rows)
{
    if (Rows.empty())
        return;
    beginInsertRows(QModelIndex(), Count(), Count() + static_cast<int>(Rows.size()) - 1);
    std::move(Rows.begin(), Rows.end(), std::back_inserter(FRows));
    endInsertRows();
}

void TFileListModel::RemoveRow(int Index)
{
    beginRemoveRows(QModelIndex(), Index, Index);
    FRows.erase(FRows.begin() + Index);
    endRemoveRows();
}

void TFileListModel::RemoveDuplicates()
{
    // Walking forward with the paths seen so far deletes the same rows as
    // comparing each row, from the last, with every row before it.
    QSet<QString> Seen;
    for (int Index = 0; Index < Count();) {
        const QString Key = Row(Index).SubItems[SubPath].toLower();
        if (Seen.contains(Key)) {
            RemoveRow(Index);
        } else {
            Seen.insert(Key);
            ++Index;
        }
    }
}

int TFileListModel::Compare(const TRow& A, const TRow& B, int Column)
{
    switch (Column) {
    case 0:
        return Order(A.Caption, B.Caption);
    case 1:
        return Order(A.SubItems[SubInformation], B.SubItems[SubInformation]);
    case 2:
        return Order(DigitsValue(A.SubItems[SubSize]), DigitsValue(B.SubItems[SubSize]));
    case 3:
        return Order(A.SubItems[SubPath], B.SubItems[SubPath]);
    case 4:
        return Order(LengthValue(A.SubItems[SubLength]), LengthValue(B.SubItems[SubLength]));
    default:
        return 0;
    }
}

void TFileListModel::Sort(int Column, bool Ascending)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> Source(FRows.size());
    for (size_t I = 0; I < Source.size(); ++I)
        Source[I] = static_cast<int>(I);
    std::stable_sort(Source.begin(), Source.end(), [&](int A, int B) {
        const int Result = Compare(FRows[static_cast<size_t>(A)], FRows[static_cast<size_t>(B)], Column);
        return Ascending ? Result < 0 : Result > 0;
    });
    std::vector<TRow> Sorted;
    Sorted.reserve(FRows.size());
    std::vector<int> NewPlace(FRows.size());
    for (size_t At = 0; At < Source.size(); ++At) {
        Sorted.push_back(std::move(FRows[static_cast<size_t>(Source[At])]));
        NewPlace[static_cast<size_t>(Source[At])] = static_cast<int>(At);
    }
    FRows = std::move(Sorted);
    const QModelIndexList Before = persistentIndexList();
    QModelIndexList After;
    for (const QModelIndex& Old : Before)
        After << index(NewPlace[static_cast<size_t>(Old.row())], Old.column());
    changePersistentIndexList(Before, After);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TFileListModel::SetHeaderImage(int Column, int Image)
{
    FHeaderImages.fill(imgNone);
    FHeaderImages.at(static_cast<size_t>(Column)) = Image;
    emit headerDataChanged(Qt::Horizontal, 0, VisibleColumns - 1);
}

void TFileListModel::ClearHeaderImages()
{
    FHeaderImages.fill(imgNone);
    emit headerDataChanged(Qt::Horizontal, 0, VisibleColumns - 1);
}

int TFileListModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : Count();
}

int TFileListModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : VisibleColumns;
}

QVariant TFileListModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= Count())
        return {};
    const TRow& R = Row(Index.row());
    if (Role == Qt::DisplayRole)
        return ColumnText(R, Index.column());
    if (Index.column() != 0)
        return {};
    if (Role == ImageIndexRole)
        return R.ImageIndex;
    if (Role == Qt::ToolTipRole || Role == Qt::AccessibleDescriptionRole) {
        if (R.ImageIndex == imgSucceeded)
            return QStringLiteral("Succeeded");
        if (R.ImageIndex == imgFailed)
            return QStringLiteral("Failed: ") + R.ErrorText;
        if (R.ImageIndex == imgSkipped)
            return QStringLiteral("Skipped: ") + R.ErrorText;
    }
    return {};
}

QString TFileListModel::ColumnCaption(int Column)
{
    return Column < 0 || Column >= VisibleColumns ? QString() : QString::fromLatin1(ColumnCaptions[Column]);
}

QString TFileListModel::ColumnText(const TRow& Row, int Column)
{
    return Column == 0 ? Row.Caption : Row.SubItems.at(static_cast<size_t>(Column - 1));
}

QVariant TFileListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= VisibleColumns)
        return {};
    if (Role == ImageIndexRole)
        return FHeaderImages.at(static_cast<size_t>(Section));
    if (Role != Qt::DisplayRole)
        return {};
    return ColumnCaption(Section);
}

} // namespace app
