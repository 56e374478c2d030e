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
// User-interface thread only.
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
    enum TImage { imgPending = 0, imgFailed = 1, imgSucceeded = 2 };

    struct TRow {
        QString Caption;
        std::array<QString, SubItemCount> SubItems;
        int ImageIndex = imgPending;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Appends a row for Path: its file name as caption, Path as sub-item 2.
    void AddFile(const QString& Path);
    void Clear();
    int Count() const { return static_cast<int>(FRows.size()); }
    const TRow& Row(int Index) const { return FRows.at(static_cast<size_t>(Index)); }
    void SetSubItem(int Index, int SubItem, const QString& Text);
    void SetImageIndex(int Index, int Image);

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
    std::vector<TRow> FRows;
};

} // namespace app
