// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListIcons.h"

#include "app/engine/batch/FileListModel.h"

// The pictures live in the library's resources, which a static library must
// register itself.
static void InitBatchIcons()
{
    Q_INIT_RESOURCE(BatchIcons);
}

namespace app {

namespace {

// Size, length, sample rate, bits per sample and bit rate.
bool NumberColumn(int Column)
{
    return Column == 2 || Column == 4 || Column == 5 || Column == 6 || Column == 8;
}

} // namespace

TFileListIcons::TFileListIcons(QAbstractItemModel* Source, QObject* Parent)
    : QIdentityProxyModel(Parent)
{
    setSourceModel(Source);
    InitBatchIcons();
    const char* const Names[] = {"pending", "failed", "succeeded", "sort-descending", "sort-ascending",
                                 "skipped", "converting"};
    for (size_t Image = 0; Image < FIcons.size(); ++Image)
        FIcons[Image] = QIcon(QStringLiteral(":/batch/%1.svg").arg(QLatin1String(Names[Image])));
}

QIcon TFileListIcons::Icon(int Image) const
{
    if (Image < 0 || Image >= static_cast<int>(FIcons.size()))
        return {};
    return FIcons[static_cast<size_t>(Image)];
}

QVariant TFileListIcons::data(const QModelIndex& Index, int Role) const
{
    if (Role == Qt::DecorationRole && Index.column() == 0)
        return Icon(QIdentityProxyModel::data(Index, TFileListModel::ImageIndexRole).toInt());
    if (Role == Qt::TextAlignmentRole && NumberColumn(Index.column()))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QIdentityProxyModel::data(Index, Role);
}

QVariant TFileListIcons::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Role == Qt::DecorationRole && Orientation == Qt::Horizontal) {
        const QIcon Picture = Icon(QIdentityProxyModel::headerData(Section, Orientation,
                                                                    TFileListModel::ImageIndexRole).toInt());
        return Picture.isNull() ? QVariant() : QVariant(Picture);
    }
    if (Role == Qt::TextAlignmentRole && Orientation == Qt::Horizontal && NumberColumn(Section))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QIdentityProxyModel::headerData(Section, Orientation, Role);
}

} // namespace app
