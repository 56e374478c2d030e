// SPDX-License-Identifier: GPL-3.0-or-later
#include "WMFBinding.h"

#include "audio/core/ProgramFolder.h"

namespace au {

TWMFBinding::TWMFBinding()
    : TLibraryBinding("WMVCORE.DLL", {ProgramFolder() + "/libkelvaro-wmvcore.so", "libkelvaro-wmvcore.so"})
{
}

void TWMFBinding::Resolve(void* Handle) { BindEntry(Handle, CreateSyncReader); }

TWMFBinding& WMFLibrary()
{
    static TWMFBinding Instance;
    return Instance;
}

} // namespace au
