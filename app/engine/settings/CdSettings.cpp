// SPDX-License-Identifier: GPL-3.0-or-later
#include "CdSettings.h"

#include "AppTitle.h"
#include "app/engine/system/PathUtils.h"
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

TcdSettings::TcdSettings()
{
    FSavePath = AddTrailingBackslash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) +
                QString::fromUtf8(ApplicationTitle);
    FApplocation = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    SetRegistryKey(QString::fromLatin1(SettingsKey));
    Load();
}

TcdSettings::~TcdSettings()
{
    if (AutoLoad())
        Save();
}

} // namespace app
