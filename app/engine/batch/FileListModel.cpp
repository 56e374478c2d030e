// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListModel.h"

#include "app/engine/chain/FileProbe.h"
#include "app/engine/settings/Language.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <algorithm>

namespace app {
namespace {

const char* const ColumnCaptions[] = {"Name",   "Information",     "Size",
                                      "Full file name", "Length", "Sample Rate(Hz)",
                                      "Bit Per Sample(Bit)", "Channels", "BitRate(kbps)"};

QString LengthText(int Seconds)
{
    Seconds = std::max(Seconds, 0);
    return QStringLiteral("%1:%2").arg(Seconds / 60).arg(Seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ChannelsText(int Channels)
{
    return Channels == 1 ? QStringLiteral("Mono") : Channels == 2 ? QStringLiteral("Stereo") : QString();
}

QString Key(const QString& Path) { return Path.toLower(); }

// Language strings of what the window shows: the nine headers from
// StrFirstColumn on, the row states and the Information column's prefix.
constexpr int StrConverting = 44, StrFirstColumn = 46, StrSucceeded = 55, StrFailed = 56, StrSkipped = 57,
              StrSaveTo = 58;

// "37%", or "..." while the size of the file is not known.
QString PercentText(const TFileListModel::TRow& Row)
{
    return Row.Percent < 0 ? QStringLiteral("...") : QStringLiteral("%1%").arg(Row.Percent);
}

} // namespace

QString TFileListModel::TRow::Caption() const
{
    return QFileInfo(Path).fileName();
}

void TFileListModel::AddFile(const QString& Path)
{
    TRow Row;
    Row.Path = Path;
    std::vector<TRow> Rows;
    Rows.push_back(std::move(Row));
    AddRows(std::move(Rows));
}

int TFileListModel::AddRows(std::vector<TRow> Rows, bool KeepRepeats)
{
    if (!KeepRepeats)
        DropRepeats();
    std::vector<TRow> Fresh;
    QSet<QString> Taken;
    for (TRow& Row : Rows) {
        const QString RowKey = Key(Row.Path);
        if (!KeepRepeats && (FPathCounts.contains(RowKey) || Taken.contains(RowKey)))
            continue;
        Taken.insert(RowKey);
        Fresh.push_back(std::move(Row));
    }
    if (Fresh.empty())
        return 0;
    const int Added = static_cast<int>(Fresh.size());
    beginInsertRows(QModelIndex(), Count(), Count() + Added - 1);
    for (TRow& Row : Fresh) {
        ++FPathCounts[Key(Row.Path)];
        FRows.push_back(std::move(Row));
    }
    endInsertRows();
    return Added;
}

void TFileListModel::DropRepeats()
{
    if (FPathCounts.size() == Count())
        return;
    QSet<QString> Seen;
    for (int Index = 0; Index < Count();) {
        const QString RowKey = Key(Row(Index).Path);
        if (Seen.contains(RowKey)) {
            RemoveRow(Index);
        } else {
            Seen.insert(RowKey);
            ++Index;
        }
    }
}

void TFileListModel::Clear()
{
    beginResetModel();
    FRows.clear();
    FPathCounts.clear();
    endResetModel();
}

void TFileListModel::SetState(int Index, TRowState State, const QString& Message)
{
    TRow& Row = FRows.at(static_cast<size_t>(Index));
    Row.State = State;
    Row.StateMessage = State == rsPending ? QString() : Message;
    Row.Percent = 0;
    emit dataChanged(index(Index, colName), index(Index, colInformation));
}

void TFileListModel::SetProgress(int Index, int Percent)
{
    TRow& Row = FRows.at(static_cast<size_t>(Index));
    if (Row.State != rsConverting || Row.Percent == Percent)
        return;
    Row.Percent = Percent;
    emit dataChanged(index(Index, colName), index(Index, colInformation));
}

void TFileListModel::SetOutput(int Index, const QString& Output)
{
    FRows.at(static_cast<size_t>(Index)).Output = Output;
    emit dataChanged(index(Index, colInformation), index(Index, colInformation));
}

void TFileListModel::RemoveRow(int Index)
{
    beginRemoveRows(QModelIndex(), Index, Index);
    const auto Held = FPathCounts.find(Key(Row(Index).Path));
    if (--*Held == 0)
        FPathCounts.erase(Held);
    FRows.erase(FRows.begin() + Index);
    endRemoveRows();
}

QVariant TFileListModel::SortValue(const TRow& Row, int Column)
{
    switch (Column) {
    case colName:
    case colInformation:
    case colPath:
        return ColumnText(Row, Column);
    case colSize:
        return Row.SizeBytes;
    default:
        break;
    }
    if (!Row.Valid)
        return -1;
    switch (Column) {
    case colLength:
        return Row.Duration;
    case colSampleRate:
        return Row.SampleRate;
    case colBitsPerSample:
        return Row.BitsPerSample;
    case colChannels:
        return Row.Channels;
    case colBitrate:
        return Row.BitrateKbps.value_or(-1);
    default:
        return {};
    }
}

void TFileListModel::Sort(int Column, bool Ascending)
{
    QCollator Collator{QLocale()};
    Collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QVariant> Values(FRows.size());
    for (size_t I = 0; I < FRows.size(); ++I)
        Values[I] = SortValue(FRows[I], Column);
    const auto Compare = [&](const QVariant& A, const QVariant& B) {
        if (A.typeId() == QMetaType::QString)
            return Collator.compare(A.toString(), B.toString());
        const qint64 Left = A.toLongLong();
        const qint64 Right = B.toLongLong();
        return Left < Right ? -1 : (Right < Left ? 1 : 0);
    };

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> Source(FRows.size());
    for (size_t I = 0; I < Source.size(); ++I)
        Source[I] = static_cast<int>(I);
    std::stable_sort(Source.begin(), Source.end(), [&](int A, int B) {
        const int Result = Compare(Values[static_cast<size_t>(A)], Values[static_cast<size_t>(B)]);
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

int TFileListModel::ImageIndex(const TRow& Row)
{
    switch (Row.State) {
    case rsConverted:
        return imgSucceeded;
    case rsFailed:
        return imgFailed;
    case rsSkipped:
        return imgSkipped;
    case rsConverting:
        return imgConverting;
    default:
        return imgPending;
    }
}

QVariant TFileListModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= Count())
        return {};
    const TRow& R = Row(Index.row());
    if (Role == Qt::DisplayRole)
        return ColumnText(R, Index.column());
    if (Role == SortRole)
        return SortValue(R, Index.column());
    if (Index.column() != colName)
        return {};
    if (Role == ImageIndexRole)
        return ImageIndex(R);
    if (Role == Qt::ToolTipRole || Role == Qt::AccessibleDescriptionRole) {
        if (R.State == rsConverted)
            return LangText(StrSucceeded, "Succeeded");
        if (R.State == rsFailed)
            return LangText(StrFailed, "Failed: ") + R.StateMessage;
        if (R.State == rsSkipped)
            return LangText(StrSkipped, "Skipped: ") + R.StateMessage;
        if (R.State == rsConverting)
            return LangText(StrConverting, "Converting: ") + PercentText(R);
    }
    return {};
}

QString TFileListModel::ColumnCaption(int Column)
{
    return Column < 0 || Column >= VisibleColumns ? QString() : QString::fromLatin1(ColumnCaptions[Column]);
}

QString TFileListModel::ColumnText(const TRow& Row, int Column)
{
    switch (Column) {
    case colName:
        return Row.Caption();
    case colInformation:
        if (Row.State == rsPending)
            return QString();
        return LangText(StrSaveTo, "Save to: ") + QFileInfo(Row.Output).fileName() +
               (Row.State == rsConverting ? QStringLiteral(" (") + PercentText(Row) + QLatin1Char(')') : QString());
    case colSize:
        return Row.SizeBytes < 0 ? QString() : FormatSizeKB(Row.SizeBytes);
    case colPath:
        return Row.Path;
    default:
        break;
    }
    if (!Row.Valid)
        return {};
    switch (Column) {
    case colLength:
        return LengthText(Row.Duration);
    case colSampleRate:
        return QString::number(Row.SampleRate);
    case colBitsPerSample:
        return QString::number(Row.BitsPerSample);
    case colChannels:
        return ChannelsText(Row.Channels);
    case colBitrate:
        return Row.BitrateKbps ? QString::number(*Row.BitrateKbps) : QString();
    default:
        return {};
    }
}

QVariant TFileListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= VisibleColumns)
        return {};
    if (Role == ImageIndexRole)
        return FHeaderImages.at(static_cast<size_t>(Section));
    if (Role != Qt::DisplayRole)
        return {};
    return LangText(StrFirstColumn + Section, ColumnCaptions[Section]);
}

} // namespace app
