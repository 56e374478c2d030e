// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the list file that Import List reads: whatever paths it
// gives must come back the same after Export List writes them.
#include "app/engine/batch/ListFile.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 16;
    if (Size > MaxInput)
        return -1;
    const QStringList Paths = app::ParseListFile(QByteArray(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size)));
    if (app::ParseListFile(app::FormatListFile(Paths)) != Paths) {
        std::fprintf(stderr, "the paths written read back as others\n");
        std::abort();
    }
    return 0;
}
