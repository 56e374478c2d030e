// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchRunner.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace app {

// Which files a folder gives a batch, for kelvaro-cli's folder arguments and
// the window's Add Folder alike: the readable files whose extension (as
// FileExtension gives it) is one of Extensions, in name order, and with
// Recursive the files of its sub-folders after its own, each with the folder
// below the scanned one it lies in. A sub-folder that leads back to a folder
// this scanner walked already (a link) adds nothing; a folder scanned twice
// gives its own files twice. Hidden files count when Hidden is set: the window lists them,
// while the command line leaves them to whoever hid them. Any one thread at a
// time.
class TFolderScan {
public:
    using TUnreadable = std::function<void(const QString& Folder)>;

    TFolderScan(QStringList Extensions, bool Recursive, bool Hidden);

    // Appends Folder's files to Found and returns how many it appended. Each
    // folder that cannot be read goes to Unreadable, which may be empty.
    int Scan(const QString& Folder, QList<TBatchRunner::TItem>& Found, const TUnreadable& Unreadable = {});

private:
    int ScanBelow(const QString& Folder, const QString& Relative, QList<TBatchRunner::TItem>& Found,
                  const TUnreadable& Unreadable);

    QStringList FExtensions;
    bool FRecursive;
    bool FHidden;
    QSet<QString> FVisited; // canonical paths of the folders walked
};

} // namespace app
