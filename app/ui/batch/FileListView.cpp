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
    : QTreeView(Parent), FEmptyPanel(new QWidget(viewport()))
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
    FEmptyPanel->setGeometry(viewport()->rect());
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
    FEmptyPanel->setGeometry(viewport()->rect());
}

} // namespace app
