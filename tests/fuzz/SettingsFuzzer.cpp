// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the settings file: the input is the whole file in a
// configuration folder of the target's own; the program's settings and the
// language choice are read from it, then written back and read again, which
// must give the same values.
#include "MemoryFile.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"

#include <QFileInfo>
#include <QDir>
#include <QMetaProperty>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

QString SettingsFile()
{
    static QTemporaryDir Config;
    static const bool Set = qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    (void)Set;
    return app::TBaseSettings::FilePath();
}

bool SameValues(const app::TcdSettings& A, const app::TcdSettings& B)
{
    const QMetaObject* Meta = A.metaObject();
    for (int I = 0; I < Meta->propertyCount(); ++I)
        if (Meta->property(I).read(&A) != Meta->property(I).read(&B))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 16;
    if (Size > MaxInput)
        return -1;
    static const QString Name = SettingsFile();
    QDir().mkpath(QFileInfo(Name).path());
    if (!autest::WriteWholeFile(Name.toStdString(), Data, Size))
        return 0;

    (void)app::LanguageFilePath(QStringLiteral("Software\\Trevalin\\Kelvaro\\Language"));
    app::TcdSettings Read;
    Read.SetAutoLoad(false);
    Read.Save();
    app::TcdSettings Again;
    Again.SetAutoLoad(false);
    if (!SameValues(Read, Again)) {
        std::fprintf(stderr, "the settings written back read as other values\n");
        std::abort();
    }
    return 0;
}
