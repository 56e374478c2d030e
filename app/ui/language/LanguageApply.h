// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QWidget;

namespace app {

// Applies the language file FileName to Window: the "Font" section, then the
// section named after the window's objectName ("frmsondrix", "frmOption"),
// whose "component.Property=value" lines set properties of the window's
// components found by objectName. Always returns true. UI thread.
bool ApplyLanguage(QWidget* Window, const QString& FileName);

// Windows character set code of a name, with or without "_CHARSET", in any
// case; 1 for an unknown or empty name.
int CharsetFromName(const QString& Name);

// Splits Text at Separator outside double quotes; EscapeChar takes the next
// character as it is; quote characters are dropped. An empty Text gives one
// empty token.
QStringList SplitQuoted(const QString& Text, const QString& Separator, QChar EscapeChar, const QString& QuoteChars);

// Sets the property PropertyName of Component from Value; nothing when there is
// no such property or Value does not convert.
void SetPropertyFromText(QObject* Component, const QString& PropertyName, const QString& Value);

} // namespace app
