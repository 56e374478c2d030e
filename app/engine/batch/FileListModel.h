// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

namespace app {

// The batch list: one row a file, a caption and ten sub-items as the list view
// lays them out, and an image index (0 pending, 1 failed, 2 succeeded).
// Sub-item 2 is the input path, 8 the output path, 9 the row's status.
// The Name cell reads a row's result as text (tool tip and accessible
// description: "Succeeded", or "Failed: " and the error). User-interface thread
// only.
class TFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int SubItemCount = 10;
    static constexpr int SubInformation = 0;
    static constexpr int SubSize = 1;
    static constexpr int SubPath = 2;
    static constexpr int SubLength = 3;
    static constexpr int SubSampleRate = 4;
    static constexpr int SubBitsPerSample = 5;
    static constexpr int SubChannels = 6;
    static constexpr int SubBitrate = 7;
    static constexpr int SubOutput = 8;
    static constexpr int SubStatus = 9;
    static constexpr int VisibleColumns = 9;
    // Header images: the sort column's arrow, or none.
    enum TImage { imgNone = -1, imgPending = 0, imgFailed = 1, imgSucceeded = 2, imgSortDescending = 3,
                  imgSortAscending = 4, imgSkipped = 5 };
    // The image index of a row (column 0) or of a column header, for the view
    // that turns it into a picture.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    struct TRow {
        QString Caption;
        std::array<QString, SubItemCount> SubItems;
        int ImageIndex = imgPending;
        // Why the row's last conversion failed or was skipped; emptied when the
        // row is pending again.
        QString ErrorText;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Appends a row for Path: its file name as caption, Path as sub-item 2.
    void AddFile(const QString& Path);
    void Clear();
    int Count() const { return static_cast<int>(FRows.size()); }
    const TRow& Row(int Index) const { return FRows.at(static_cast<size_t>(Index)); }
    void SetSubItem(int Index, int SubItem, const QString& Text);
    // Pending clears the row's error text.
    void SetImageIndex(int Index, int Image);
    void SetErrorText(int Index, const QString& Text);

    // Appends Rows in one insertion.
    void AddRows(std::vector<TRow> Rows);
    void RemoveRow(int Index);
    // Deletes every row whose path, compared without case, an earlier row has.
    void RemoveDuplicates();
    // Reorders the rows by Column: the caption, the information and the path as
    // exact strings, the size by its digits, the length as minutes then seconds;
    // the other columns compare equal. Rows keep their selection (persistent
    // indexes follow them).
    void Sort(int Column, bool Ascending);
    // Every header image to imgNone, then Column's to Image.
    void SetHeaderImage(int Column, int Image);
    void ClearHeaderImages();

    // The header text of visible column Column (0 to 8); empty for any other.
    static QString ColumnCaption(int Column);
    // What Row shows in visible column Column (0 to 8): its caption, then its
    // sub-items 0 to 7.
    static QString ColumnText(const TRow& Row, int Column);

    // The nine visible columns: the caption, then sub-items 0 to 7.
    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

private:
    static int Compare(const TRow& A, const TRow& B, int Column);

    std::vector<TRow> FRows;
    std::array<int, VisibleColumns> FHeaderImages{imgNone, imgNone, imgNone, imgNone, imgNone,
                                                   imgNone, imgNone, imgNone, imgNone};
};

} // namespace app
