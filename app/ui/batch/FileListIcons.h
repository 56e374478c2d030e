// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QIdentityProxyModel>
#include <array>

namespace app {

// The batch list as the view shows it: the rows and headers of the file-list
// model, with the image indexes turned into pictures (`ilILItemIcons`: pending,
// failed, succeeded, sorted descending, sorted ascending), and the numbers
// aligned to the right. User-interface thread only.
class TFileListIcons final : public QIdentityProxyModel {
    Q_OBJECT

public:
    TFileListIcons(QAbstractItemModel* Source, QObject* Parent = nullptr);

    // The picture of image index Image; a null icon for none.
    QIcon Icon(int Image) const;

    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;

private:
    std::array<QIcon, 7> FIcons;
};

} // namespace app
