// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace app {

// A read-only INI file that keeps each line of a section as written: values may
// hold quotes, commas, backslashes and "||", which a general settings reader
// would rewrite. Section and key names compare without regard to case; the
// first of two equal keys wins. A missing or unreadable file reads as empty.
class TIniFile {
public:
    explicit TIniFile(const QString& FileName);

    // The value of Key in Section (the text after the first "=", trimmed, without
    // one pair of enclosing double quotes), or Default.
    QString ReadString(const QString& Section, const QString& Key, const QString& Default = QString()) const;
    int ReadInteger(const QString& Section, const QString& Key, int Default) const;
    // Every line of Section, as written, without blank lines and comments.
    QStringList SectionLines(const QString& Section) const;

private:
    QHash<QString, QStringList> FSections; // lower-cased name -> lines
};

} // namespace app
