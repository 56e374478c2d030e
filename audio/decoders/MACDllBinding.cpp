// SPDX-License-Identifier: GPL-3.0-or-later
#include "MACDllBinding.h"

#include "audio/core/ProgramFolder.h"

namespace au {

TMACDllBinding::TMACDllBinding()
    : TLibraryBinding("MACDll.dll", {ProgramFolder() + "/libkelvaro-macdll.so", "libkelvaro-macdll.so"})
{
}

void TMACDllBinding::Resolve(void* Handle)
{
    BindEntry(Handle, Create);
    BindEntry(Handle, Destroy);
    BindEntry(Handle, GetData);
    BindEntry(Handle, GetInfo);
    BindEntry(Handle, Seek);
    BindEntry(Handle, GetID3Tag);
}

TMACDllBinding& MACDllLibrary()
{
    static TMACDllBinding Instance;
    return Instance;
}

} // namespace au
