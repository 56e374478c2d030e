// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathUtils.h"

#include "audio/core/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

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

QString LowerTrim(const QString& Text)
{
    const QString Lower = Text.toLower();
    qsizetype Start = 0, End = Lower.size();
    while (Start < End && Lower.at(Start).unicode() <= 32)
        ++Start;
    while (End > Start && Lower.at(End - 1).unicode() <= 32)
        --End;
    return Lower.mid(Start, End - Start);
}

QString ExeFolderFile(const QString& Name)
{
    return AddTrailingBackslash(QString::fromStdString(au::ProgramFolder())) + Name;
}

} // namespace app
