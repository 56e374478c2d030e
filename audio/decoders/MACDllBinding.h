// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the decoders: only the Monkey's Audio input, its wrapper and the tests include it.
#include "LibraryBinding.h"
#include "codecs/macdll/MACDll.h"

namespace au {

// The Monkey's Audio decoder component, loaded at run time from beside the program.
class TMACDllBinding final : public TLibraryBinding {
public:
    TMACDllBinding();

    TEntryPoint<decltype(c_APEDecompress_Create)> Create{"c_APEDecompress_Create"};
    TEntryPoint<decltype(c_APEDecompress_Destroy)> Destroy{"c_APEDecompress_Destroy"};
    TEntryPoint<decltype(c_APEDecompress_GetData)> GetData{"c_APEDecompress_GetData"};
    TEntryPoint<decltype(c_APEDecompress_GetInfo)> GetInfo{"c_APEDecompress_GetInfo"};
    TEntryPoint<decltype(c_APEDecompress_Seek)> Seek{"c_APEDecompress_Seek"};
    TEntryPoint<decltype(::GetID3Tag)> GetID3Tag{"GetID3Tag"};

protected:
    void Resolve(void* Handle) override;
};

TMACDllBinding& MACDllLibrary();

} // namespace au
