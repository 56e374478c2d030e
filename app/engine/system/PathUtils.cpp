// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathUtils.h"

#include "audio/core/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>

namespace app {

QString AddTrailingBackslash(const QString& Path)
{
    if (Path.isEmpty() || Path.endsWith(QLatin1Char('/')))
        return Path;
    return Path + QLatin1Char('/');
}

QString FileBaseName(const QString& Path)
{
    const QString Name = QFileInfo(Path).fileName();
    const qsizetype Dot = Name.lastIndexOf(QLatin1Char('.'));
    return Dot < 0 ? Name : Name.left(Dot);
}

bool WithinFolder(const QString& Path, const QString& Folder)
{
    const auto Clean = [](const QString& Name) {
        return AddTrailingBackslash(QDir::cleanPath(QFileInfo(Name).absoluteFilePath()));
    };
    return Clean(Path).startsWith(Clean(Folder));
}

bool NameTaken(const QString& Path)
{
    const QFileInfo Info(Path);
    return Info.exists() || Info.isSymLink();
}

bool CopyModificationTime(const QString& From, const QString& To)
{
    struct stat Source {};
    if (::stat(QFile::encodeName(From).constData(), &Source) != 0)
        return false;
    const timespec Times[2] = {{0, UTIME_OMIT}, Source.st_mtim};
    return ::utimensat(AT_FDCWD, QFile::encodeName(To).constData(), Times, 0) == 0;
}

QString Trim(const QString& Text)
{
    qsizetype Start = 0, End = Text.size();
    while (Start < End && Text.at(Start).unicode() <= 32)
        ++Start;
    while (End > Start && Text.at(End - 1).unicode() <= 32)
        --End;
    return Text.mid(Start, End - Start);
}

QString LowerTrim(const QString& Text)
{
    return Trim(Text.toLower());
}

QString ProgramDataFile(const QString& Folder, const QString& Name)
{
    const QString Beside = AddTrailingBackslash(Folder) + Name;
    // Without a folder of its own the program has no installation to look in.
    if (Folder.isEmpty() || QFileInfo::exists(Beside))
        return Beside;
    const QString Installed =
        QDir::cleanPath(AddTrailingBackslash(Folder) + QStringLiteral(KELVARO_DATA_FROM_PROGRAM "/") + Name);
    return QFileInfo::exists(Installed) ? Installed : Beside;
}

QString ExeFolderFile(const QString& Name)
{
    return ProgramDataFile(QString::fromStdString(au::ProgramFolder()), Name);
}

} // namespace app
