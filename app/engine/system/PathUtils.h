// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {

// Path routines shared by the batch driver, the hot directory and the file list.
// Paths use "/" whatever the text of a path says elsewhere.

// Path unchanged when empty or ending in a separator; else Path and a separator.
QString AddTrailingBackslash(const QString& Path);
// The file name without its folder and its last extension ("a.b.wma" gives "a.b").
QString FileBaseName(const QString& Path);
// Whether Path is Folder or lies below it: both made absolute with "." and ".."
// resolved (links are not followed), then compared whole component by whole
// component, with case ("/in/out" lies within "/in"; "/in2", "/In" and
// "/data/in/out" do not).
bool WithinFolder(const QString& Path, const QString& Folder);
// Trimmed of leading and trailing blanks and control characters.
QString Trim(const QString& Text);
// Lower-cased, then trimmed of leading and trailing blanks and control characters.
QString LowerTrim(const QString& Text);
// Whether a file, folder or link (a dangling one too) has the name Path.
bool NameTaken(const QString& Path);
// Gives To the modification time of From, to the nanosecond, so that tools
// comparing times (make, rsync) see them equal. Best effort: false, and To
// untouched, when From cannot be read or the file system refuses.
bool CopyModificationTime(const QString& From, const QString& To);
// Name in the program folder Folder when it is there (a build tree, or a copy
// of the programs with their files), else in the data folder of the
// installation Folder belongs to (PREFIX/share/kelvaro for PREFIX/lib/kelvaro)
// when it is there; else in Folder, where a file the caller makes belongs.
QString ProgramDataFile(const QString& Folder, const QString& Name);
// ProgramDataFile in the running program's own folder.
QString ExeFolderFile(const QString& Name);

} // namespace app
