// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLibraryInfo>
#include <QString>

namespace app {

// Gives Qt's own texts (the Yes, No, Cancel and OK buttons, the file dialogs)
// the language of the language file LanguageFile, from "qtbase_<code>.qm" in
// Folder. Returns whether a translation was installed: false for English and
// where the file is missing or unreadable, which leaves Qt's texts English.
// Once, before the first window. UI thread.
bool InstallQtTranslation(const QString& LanguageFile,
                          const QString& Folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

} // namespace app
