// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtTranslation.h"

#include "app/engine/settings/Language.h"

#include <QCoreApplication>
#include <QTranslator>

namespace app {

bool InstallQtTranslation(const QString& LanguageFile, const QString& Folder)
{
    const QString Code = LanguageCode(LanguageFile);
    if (Code.isEmpty())
        return false;
    // The application keeps it for as long as its windows may show a button.
    auto* Translator = new QTranslator(QCoreApplication::instance());
    if (Translator->load(QStringLiteral("qtbase_") + Code, Folder) && QCoreApplication::installTranslator(Translator))
        return true;
    delete Translator;
    return false;
}

} // namespace app
