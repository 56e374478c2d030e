// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace app {

// The batch list: one row a file, holding what probing found and where its
// conversion stands as values. The view's nine columns, their images and the
// Name cell's result text (tool tip and accessible description: "Succeeded",
// or "Failed: " and the error) are made from those values in data() only.
// A path is listed once: rows whose path, compared without case, the list
// holds already are refused, except by an imported list, which keeps its
// repeats until the next addition. User-interface thread only.
class TFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { colName, colInformation, colSize, colPath, colLength, colSampleRate, colBitsPerSample,
                   colChannels, colBitrate };
    static constexpr int VisibleColumns = 9;
    // Header images: the sort column's arrow, or none.
    enum TImage { imgNone = -1, imgPending = 0, imgFailed = 1, imgSucceeded = 2, imgSortDescending = 3,
                  imgSortAscending = 4, imgSkipped = 5, imgConverting = 6 };
    // A row's place in the batch run.
    enum TRowState { rsPending, rsConverting, rsConverted, rsFailed, rsSkipped };
    // The image index of a row (column 0) or of a column header, for the view
    // that turns it into a picture.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    // What a column sorts by: the name, information and path as text, the
    // others as numbers (size in bytes, length in seconds, -1 for no value).
    static constexpr int SortRole = Qt::UserRole + 2;

    struct TRow {
        QString Path;
        qint64 SizeBytes = -1; // -1: never looked at
        // False when the file was not probed or no decoder reads it; the format
        // values are then 0 and ProbeError says why (empty when not probed).
        bool Valid = false;
        QString ProbeError;
        int Duration = 0; // whole seconds
        int SampleRate = 0;
        int BitsPerSample = 0;
        int Channels = 0;
        std::optional<int> BitrateKbps;
        TRowState State = rsPending;
        // Of a row converting; -1 while its size is not known.
        int Percent = 0;
        // Why the row's last conversion failed or was skipped.
        QString StateMessage;
        QString Output;

        QString Caption() const;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Appends a row for Path, nothing probed, unless the list holds Path.
    void AddFile(const QString& Path);
    // Appends the rows whose paths neither the list nor an earlier one of Rows
    // holds, in one insertion, and drops the later of any repeats the list held;
    // returns how many it appended. With KeepRepeats it appends every row.
    int AddRows(std::vector<TRow> Rows, bool KeepRepeats = false);
    void Clear();
    int Count() const { return static_cast<int>(FRows.size()); }
    const TRow& Row(int Index) const { return FRows.at(static_cast<size_t>(Index)); }
    // Pending forgets the message of the last conversion; converting starts at 0 %.
    void SetState(int Index, TRowState State, const QString& Message = QString());
    // How far the row converting has come.
    void SetProgress(int Index, int Percent);
    void SetOutput(int Index, const QString& Output);
    void RemoveRow(int Index);
    // Reorders the rows by Column's SortRole value: text in the user's locale
    // without case, numbers as numbers. Equal rows keep their order, and rows
    // keep their selection (persistent indexes follow them).
    void Sort(int Column, bool Ascending);
    // Every header image to imgNone, then Column's to Image.
    void SetHeaderImage(int Column, int Image);
    void ClearHeaderImages();

    // The English header text of visible column Column (0 to 8), as scripts
    // read it; empty for any other. The header shows the window's language.
    static QString ColumnCaption(int Column);
    // What Row shows in visible column Column (0 to 8).
    static QString ColumnText(const TRow& Row, int Column);
    static int ImageIndex(const TRow& Row);

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

private:
    static QVariant SortValue(const TRow& Row, int Column);
    // Deletes every row whose path an earlier row has.
    void DropRepeats();

    std::vector<TRow> FRows;
    // How many rows hold each path, in lower case.
    QHash<QString, int> FPathCounts;
    std::array<int, VisibleColumns> FHeaderImages{imgNone, imgNone, imgNone, imgNone, imgNone,
                                                   imgNone, imgNone, imgNone, imgNone};
};

} // namespace app
