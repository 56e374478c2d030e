// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

namespace app {

// The strings of the language file's "Strings" section, indices 0 to 450; empty
// until loaded. Written once at start-up, read-only afterwards (UI thread).
constexpr int LangStringCount = 451;
using TLangStrings = std::array<QString, LangStringCount>;
TLangStrings& LangStrings();

// The language file to use: the "Language" value of the settings file's top
// level (RegistryPath "Software\Trevalin\Kelvaro\Language" names it), ".lng"
// appended unless it ends so (in any case), beside the program; without that
// value, the file of the user's locale (LC_ALL, LC_MESSAGES, LANG: "de" gives
// Deutsch.lng); English.lng beside the program when that file does not exist.
QString LanguageFilePath(const QString& RegistryPath);

// The language code ("de") of the language file FileName, a path or a name,
// by the files the program ships (any case); empty for English and for
// files of its users' own making.
QString LanguageCode(const QString& FileName);

// The string Index (0 to 450) of the loaded table; English when the language
// file has none, so that a file written for an older version still leaves no
// caption empty. UI thread.
QString LangText(int Index, const char* English);

// Fills Table[0..LastIndex] from Section of FileName; "||" becomes a line break.
// Empty or missing keys leave their entries as they are.
void LoadLanguageStrings(TLangStrings& Table, int LastIndex, const QString& FileName, const QString& Section);

} // namespace app
