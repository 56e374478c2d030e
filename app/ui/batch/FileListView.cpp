// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListView.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

// Widths beyond this are no one's choice but a damaged settings file's.
constexpr int WidestColumn = 4000;

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
    // Measuring a cell lays its text out: Qt's thousand rows a column would
    // keep the window from answering for a tenth of a second at every fit.
    header()->setResizeContentsPrecision(FitRows);
    FFit.setSingleShot(true);
    connect(&FFit, &QTimer::timeout, this, &TFileListView::FitColumns);
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int Column, int, int NewSize) { OnSectionResized(Column, NewSize); });
    const auto Refit = [this] { FFit.start(0); };
    connect(Model, &QAbstractItemModel::rowsInserted, this, &TFileListView::FitSoon);
    connect(Model, &QAbstractItemModel::rowsRemoved, this, Refit);
    connect(Model, &QAbstractItemModel::modelReset, this, Refit);
    // A run changes rows several times per file, a probe once per row: each
    // fit lays out a hundred rows of every column.
    connect(Model, &QAbstractItemModel::dataChanged, this, &TFileListView::FitSoon);
    connect(Model, &QAbstractItemModel::headerDataChanged, this, Refit);
    FitColumns();
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

QString TFileListView::ColumnWidths() const
{
    QStringList Widths;
    for (int Width : FUserWidths)
        Widths << QString::number(Width);
    return Widths.join(QLatin1Char(','));
}

void TFileListView::SetColumnWidths(const QString& Widths)
{
    const QStringList Entries = Widths.split(QLatin1Char(','));
    for (size_t Column = 0; Column < FUserWidths.size(); ++Column) {
        bool Number = false;
        const int Width = Column < static_cast<size_t>(Entries.size())
                              ? Entries[static_cast<qsizetype>(Column)].trimmed().toInt(&Number)
                              : 0;
        FUserWidths[Column] = Number && Width > 0 && Width <= WidestColumn ? Width : 0;
    }
    FitColumns();
}

int TFileListView::CaptionWidth(int Column) const
{
    // With the sort arrow where the column has one.
    return header()->sectionSizeHint(Column);
}

void TFileListView::FitColumns()
{
    constexpr int NameColumn = TFileListModel::colName;
    constexpr int InformationColumn = TFileListModel::colInformation;
    constexpr int PathColumn = TFileListModel::colPath;
    FFit.stop();
    FLastFit.start();
    const int Count = std::min(static_cast<int>(FUserWidths.size()), model()->columnCount());
    std::array<int, TFileListModel::VisibleColumns> Widths{};
    const auto Stretches = [this](int Column) {
        return (Column == NameColumn || Column == PathColumn) && FUserWidths[static_cast<size_t>(Column)] == 0;
    };
    // First what every column's content asks for; numbers are never cut.
    int Taken = 0;
    for (int Column = 0; Column < Count; ++Column) {
        const int User = FUserWidths[static_cast<size_t>(Column)];
        Widths[static_cast<size_t>(Column)] =
            User > 0 ? User : std::max(CaptionWidth(Column), sizeHintForColumn(Column));
        if (!Stretches(Column) && Column != InformationColumn)
            Taken += Widths[static_cast<size_t>(Column)];
    }
    int Free = viewport()->width() - Taken;
    // "Save to: " and a long name must not squeeze the name itself away.
    int& Information = Widths[InformationColumn];
    if (FUserWidths[InformationColumn] == 0)
        Information = std::min(Information, std::max(CaptionWidth(InformationColumn), Free / 4));
    Free -= Information;
    int& Name = Widths[NameColumn];
    int& Path = Widths[PathColumn];
    if (Stretches(NameColumn) && Stretches(PathColumn)) {
        // The name reads whole while the path keeps a third of the room.
        const int PathFloor = std::min(Path, std::max(CaptionWidth(PathColumn), Free / 3));
        Name = std::clamp(Free - PathFloor, CaptionWidth(NameColumn), std::max(Name, CaptionWidth(NameColumn)));
        Path = std::max(Free - Name, CaptionWidth(PathColumn));
    } else if (Stretches(NameColumn)) {
        Name = std::max(Free, CaptionWidth(NameColumn));
    } else if (Stretches(PathColumn)) {
        Path = std::max(Free, CaptionWidth(PathColumn));
    }
    FFitting = true;
    for (int Column = 0; Column < Count; ++Column)
        setColumnWidth(Column, Widths[static_cast<size_t>(Column)]);
    FFitting = false;
}

void TFileListView::FitSoon()
{
    if (FFit.isActive())
        return;
    const qint64 Since = FLastFit.isValid() ? FLastFit.elapsed() : RefitInterval;
    FFit.start(static_cast<int>(std::max<qint64>(0, RefitInterval - Since)));
}

void TFileListView::OnSectionResized(int Column, int NewSize)
{
    if (FFitting || Column < 0 || Column >= static_cast<int>(FUserWidths.size()))
        return;
    FUserWidths[static_cast<size_t>(Column)] = NewSize;
    emit ColumnWidthsChanged(ColumnWidths());
    FFit.start(0);
}

void TFileListView::resizeEvent(QResizeEvent* Event)
{
    QTreeView::resizeEvent(Event);
    PlaceEmptyPanel();
    // Once for all the steps of a window being dragged larger.
    FFit.start(0);
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
