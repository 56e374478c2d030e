// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListModel.h"

#include <QFileInfo>

namespace app {
namespace {

const char* const ColumnCaptions[] = {"Name",   "Information",     "Size",
                                      "Full file name", "Length", "Sample Rate(Hz)",
                                      "Bit Per Sample(Bit)", "Channels", "BitRate(kbps)"};
constexpr int VisibleColumns = 9;

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
    FRows.at(static_cast<size_t>(Index)).ImageIndex = Image;
    emit dataChanged(index(Index, 0), index(Index, 0), {Qt::DecorationRole});
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
    if (!Index.isValid() || Index.row() >= Count() || Role != Qt::DisplayRole)
        return {};
    return ColumnText(Row(Index.row()), Index.column());
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
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 || Section >= VisibleColumns)
        return {};
    return ColumnCaption(Section);
}

} // namespace app
