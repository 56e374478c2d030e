// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileListModel.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <array>

class QLabel;

namespace app {

// The list view `lvFiles`: the batch list's nine columns, read-only, rows
// selected whole and many at a time, the selection still shown when the view
// loses focus. While the list is empty the panel `pnlempty` lies over it with
// the "Example" link.
//
// Columns fit their content: the numbers and the information are as wide as
// their widest text and caption, Name and "Full file name" share the width
// left, Name first up to its longest name. A column the user drags keeps its
// width, and ColumnWidthsChanged tells it for the settings. In a long list the
// content measured is FitRows rows about those in sight, and a list filling up
// fits a few times a second rather than at every batch of rows, so that the
// cost of fitting does not grow with the list.
// User-interface thread only.
class TFileListView final : public QTreeView {
    Q_OBJECT

public:
    static constexpr int FitRows = 100;
    static constexpr int RefitInterval = 250; // ms

    explicit TFileListView(QAbstractItemModel* Model, QWidget* Parent = nullptr);

    void SetEmptyPanelVisible(bool Visible);
    QWidget* EmptyPanel() const { return FEmptyPanel; }
    // The selected rows, first to last.
    QList<int> SelectedRows() const;
    // The widths the user gave the columns, as the settings keep them:
    // pixels in column order, separated by commas, 0 for a fitted column.
    QString ColumnWidths() const;
    void SetColumnWidths(const QString& Widths);

signals:
    void ExampleClicked();
    void ColumnWidthsChanged(const QString& Widths);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Lays the panel over the viewport, wherever the list sits in its parent.
    void PlaceEmptyPanel();
    // Sets the widths of the columns the user has not sized.
    void FitColumns();
    // The narrowest a column may be: its caption whole.
    int CaptionWidth(int Column) const;
    void OnSectionResized(int Column, int NewSize);
    void FitSoon();


    QWidget* FEmptyPanel;
    // Fits once after a burst of changes (a folder's rows arrive one by one).
    QTimer FFit;
    QElapsedTimer FLastFit;
    bool FFitting = false;
    std::array<int, TFileListModel::VisibleColumns> FUserWidths{}; // 0: fitted
};

} // namespace app
