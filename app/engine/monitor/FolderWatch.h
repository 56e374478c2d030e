// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>
#include <functional>
#include <unordered_map>
#include <unordered_set>

namespace app {

// The kernel's change notifications for one folder and, on request, every folder
// below it, including those that appear later. Reports the names of files that
// were created, written, closed after writing or moved in. When the kernel's
// queue overflows, the folders are scanned again for files changed since the
// queue was last seen empty, so a burst loses nothing.
class TFolderWatch {
public:
    // Called with a file name relative to the watched folder ("a.wma",
    // "sub/b.wma"); Scanned when the name comes from a look at the folder
    // rather than from a notification, so the file may be one already reported.
    using TChanged = std::function<void(const QString& RelativeName, bool Scanned)>;

    // How far before the last moment the queue was seen empty a file's status
    // change may be stamped: coarse file-system clocks (two seconds on FAT).
    static constexpr time_t ClockSlackSeconds = 2;

    // UI thread. Directory must be an existing folder. Throws EAuException with
    // the system's text when the notifications cannot be set up.
    TFolderWatch(const QString& Directory, bool Subtree);
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    // The descriptor to wait on for readability.
    int Handle() const { return FHandle; }

    // Wait thread: takes what the kernel has queued, without blocking, and
    // reports every file name that counts.
    void ReadChanges(const TChanged& Changed);

private:
    enum class TScan { None, AllFiles, ChangedSince };

    // Watches Relative (a folder name ending in "/", or empty for the folder
    // itself) and, with Subtree, the folders below it. Reports its files as Scan
    // says; with ChangedSince, files of folders not watched before count whole.
    // Throw: whether failing to watch the folder itself raises EAuException.
    void AddTree(const QByteArray& Relative, TScan Scan, const TChanged* Changed, bool Throw);
    void ReportFiles(const QByteArray& Relative, TScan Scan, const TChanged& Changed);
    void RemoveTree(const QByteArray& Relative);
    void Rescan(const TChanged& Changed);
    void HandleEvent(int Wd, uint32_t Mask, const QByteArray& Name, const TChanged& Changed);

    QByteArray FRoot; // ends in "/"
    bool FSubtree;
    int FHandle = -1;
    // Watch descriptor -> folder relative to FRoot, ending in "/" ("" for FRoot).
    std::unordered_map<int, QByteArray> FFolders;
    // Folders met during the current rescan.
    std::unordered_set<int> FSeen;
    timespec FLastEmpty{};
    timespec FRescanSince{};
};

} // namespace app
