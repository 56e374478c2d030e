// SPDX-License-Identifier: GPL-3.0-or-later
#include "TTALibBinding.h"

#include "audio/core/ProgramFolder.h"

namespace au {

TTTALibBinding::TTTALibBinding()
    : TLibraryBinding("TTALib.dll", {ProgramFolder() + "/libkelvaro-ttalib.so", "libkelvaro-ttalib.so"})
{
}

void TTTALibBinding::Resolve(void* Handle)
{
    BindEntry(Handle, Create);
    BindEntry(Handle, Destroy);
    BindEntry(Handle, GetNumChannels);
    BindEntry(Handle, GetBitsPerSample);
    BindEntry(Handle, GetSampleRate);
    BindEntry(Handle, GetDataLength);
    BindEntry(Handle, GetBlock);
}

TTTALibBinding& TTALibLibrary()
{
    static TTTALibBinding Instance;
    return Instance;
}

} // namespace au
