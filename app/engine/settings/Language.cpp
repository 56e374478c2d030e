// SPDX-License-Identifier: GPL-3.0-or-later
#include "Language.h"

#include "IniFile.h"
#include "app/engine/system/PathUtils.h"

#include <QFileInfo>
#include <QSettings>
#include <utility>

namespace app {

TLangStrings& LangStrings()
{
    static TLangStrings Table;
    return Table;
}

namespace {

// The language files the program ships besides English, by the language code
// of a locale name ("de" of "de_AT.UTF-8").
constexpr std::pair<const char*, const char*> LocaleFiles[] = {{"de", "Deutsch.lng"}};

// The file for the language the C library would use for messages: the first
// of LC_ALL, LC_MESSAGES and LANG that is set decides; empty for English or
// a language without a file.
QString LocaleLanguageFile()
{
    for (const char* Variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString Value = qEnvironmentVariable(Variable);
        if (Value.isEmpty())
            continue;
        const QString Code = Value.section(QLatin1Char('_'), 0, 0)
                                 .section(QLatin1Char('.'), 0, 0)
                                 .section(QLatin1Char('@'), 0, 0)
                                 .toLower();
        for (const auto& [Language, File] : LocaleFiles)
            if (Code == QLatin1String(Language))
                return QString::fromLatin1(File);
        return {};
    }
    return {};
}

} // namespace

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
    else if (const QString Local = LocaleLanguageFile(); !Local.isEmpty())
        Result = Local;
    if (Result.right(4).toLower() != QLatin1String(".lng"))
        Result += QStringLiteral(".lng");
    Result = ExeFolderFile(Result);
    if (!QFileInfo::exists(Result))
        Result = ExeFolderFile(QStringLiteral("English.lng"));
    return Result;
}

QString LanguageCode(const QString& FileName)
{
    const QString Name = QFileInfo(FileName).fileName();
    for (const auto& [Language, File] : LocaleFiles)
        if (Name.compare(QLatin1String(File), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(Language);
    return {};
}

QString LangText(int Index, const char* English)
{
    const QString& Text = LangStrings().at(static_cast<size_t>(Index));
    return Text.isEmpty() ? QString::fromUtf8(English) : Text;
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
