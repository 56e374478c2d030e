// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListView.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

// Column widths in pixels; "Length" has none of its own. A column is never
// narrower than its caption with room for the sort arrow.
constexpr int ColumnWidths[] = {150, 150, 70, 180, 0, 100, 100, 100, 100};
constexpr int SortArrowRoom = 20;
constexpr int CaptionMargins = 16;

} // namespace

TFileListView::TFileListView(QAbstractItemModel* Model, QWidget* Parent)
    // The panel is the list's sibling, not a child of its viewport: a list's
    // accessible children are its cells only, so a screen reader would never
    // find the panel's text and link inside it.
    : QTreeView(Parent), FEmptyPanel(new QWidget(Parent != nullptr ? Parent : viewport()))
{
    setObjectName(QStringLiteral("lvFiles"));
    setAccessibleName(QStringLiteral("Files"));
    setModel(Model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int Column = 0; Column < static_cast<int>(std::size(ColumnWidths)); ++Column)
        setColumnWidth(Column,
                       std::max(ColumnWidths[Column],
                                header()->fontMetrics().horizontalAdvance(
                                    Model->headerData(Column, Qt::Horizontal).toString()) +
                                    CaptionMargins + SortArrowRoom));
    // Both ends of a long name or path say more than its start alone.
    setTextElideMode(Qt::ElideMiddle);
    // The selection stays as visible as with focus.
    QPalette Colours = palette();
    for (auto Role : {QPalette::Highlight, QPalette::HighlightedText})
        Colours.setColor(QPalette::Inactive, Role, Colours.color(QPalette::Active, Role));
    setPalette(Colours);

    FEmptyPanel->setObjectName(QStringLiteral("pnlempty"));
    FEmptyPanel->setAutoFillBackground(true);
    auto* Text = new QLabel(QStringLiteral("The list is empty. Please add some Audio file to begin ..."), FEmptyPanel);
    Text->setObjectName(QStringLiteral("lblempty"));
    Text->setWordWrap(true);
    Text->setAlignment(Qt::AlignCenter);
    auto* Example = new QLabel(QStringLiteral("<a href=\"example\">Example</a>"), FEmptyPanel);
    Example->setObjectName(QStringLiteral("lblexample"));
    Example->setAccessibleName(QStringLiteral("Example"));
    Example->setAlignment(Qt::AlignCenter);
    Example->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Example->setFocusPolicy(Qt::StrongFocus);
    connect(Example, &QLabel::linkActivated, this, &TFileListView::ExampleClicked);
    auto* Layout = new QVBoxLayout(FEmptyPanel);
    Layout->addStretch();
    Layout->addWidget(Text);
    Layout->addWidget(Example);
    Layout->addStretch();
    PlaceEmptyPanel();
}

void TFileListView::PlaceEmptyPanel()
{
    QWidget* Host = FEmptyPanel->parentWidget();
    const QPoint TopLeft = Host == viewport() ? QPoint(0, 0) : viewport()->mapTo(Host, QPoint(0, 0));
    FEmptyPanel->setGeometry(QRect(TopLeft, viewport()->size()));
    FEmptyPanel->raise();
}

void TFileListView::SetEmptyPanelVisible(bool Visible)
{
    FEmptyPanel->setVisible(Visible);
}

QList<int> TFileListView::SelectedRows() const
{
    QList<int> Rows;
    for (const QModelIndex& Index : selectionModel()->selectedRows())
        Rows << Index.row();
    std::sort(Rows.begin(), Rows.end());
    return Rows;
}

void TFileListView::resizeEvent(QResizeEvent* Event)
{
    QTreeView::resizeEvent(Event);
    PlaceEmptyPanel();
}

void TFileListView::moveEvent(QMoveEvent* Event)
{
    QTreeView::moveEvent(Event);
    PlaceEmptyPanel();
}

void TFileListView::showEvent(QShowEvent* Event)
{
    QTreeView::showEvent(Event);
    PlaceEmptyPanel();
}

} // namespace app
