// SPDX-License-Identifier: GPL-3.0-or-later
#include "Language.h"

#include "IniFile.h"
#include "app/engine/system/PathUtils.h"

#include <QFileInfo>
#include <QSettings>

namespace app {

TLangStrings& LangStrings()
{
    static TLangStrings Table;
    return Table;
}

QString LanguageFilePath(const QString& RegistryPath)
{
    QString Result = QStringLiteral("English.lng");
    QString Path = RegistryPath;
    Path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString Value = Path.section(QLatin1Char('/'), -1);
    // The key "Software\Trevalin\Kelvaro" is the settings file itself, its
    // values the file's top level.
    QSettings File(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Trevalin"),
                   QStringLiteral("Kelvaro"));
    if (File.contains(Value))
        Result = File.value(Value).toString();
    if (Result.right(4).toLower() != QLatin1String(".lng"))
        Result += QStringLiteral(".lng");
    Result = ExeFolderFile(Result);
    if (!QFileInfo::exists(Result))
        Result = ExeFolderFile(QStringLiteral("English.lng"));
    return Result;
}

void LoadLanguageStrings(TLangStrings& Table, int LastIndex, const QString& FileName, const QString& Section)
{
    const TIniFile File(FileName);
    for (int I = 0; I <= LastIndex && I < LangStringCount; ++I) {
        QString Value = File.ReadString(Section, QString::number(I));
        if (!Value.isEmpty())
            Table[static_cast<size_t>(I)] = Value.replace(QStringLiteral("||"), QStringLiteral("\r\n"));
    }
}

} // namespace app
