// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeView>

class QLabel;

namespace app {

// The list view `lvFiles`: the batch list's nine columns, read-only, rows
// selected whole and many at a time, the selection still shown when the view
// loses focus. While the list is empty the panel `pnlempty` lies over it with
// the "Example" link. User-interface thread only.
class TFileListView final : public QTreeView {
    Q_OBJECT

public:
    explicit TFileListView(QAbstractItemModel* Model, QWidget* Parent = nullptr);

    void SetEmptyPanelVisible(bool Visible);
    QWidget* EmptyPanel() const { return FEmptyPanel; }
    // The selected rows, first to last.
    QList<int> SelectedRows() const;

signals:
    void ExampleClicked();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Lays the panel over the viewport, wherever the list sits in its parent.
    void PlaceEmptyPanel();

    QWidget* FEmptyPanel;
};

} // namespace app
