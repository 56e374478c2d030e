// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the decoders: only the TTA wrapper and the tests include it.
#include "LibraryBinding.h"
#include "codecs/ttalib/TTALib.h"

namespace au {

// The TrueAudio decoder component, loaded at run time from beside the program.
class TTTALibBinding final : public TLibraryBinding {
public:
    TTTALibBinding();

    TEntryPoint<decltype(TTADecoder_Create)> Create{"TTADecoder_Create"};
    TEntryPoint<decltype(TTADecoder_Destroy)> Destroy{"TTADecoder_Destroy"};
    TEntryPoint<decltype(TTADecoder_GetNumChannels)> GetNumChannels{"TTADecoder_GetNumChannels"};
    TEntryPoint<decltype(TTADecoder_GetBitsPerSample)> GetBitsPerSample{"TTADecoder_GetBitsPerSample"};
    TEntryPoint<decltype(TTADecoder_GetSampleRate)> GetSampleRate{"TTADecoder_GetSampleRate"};
    TEntryPoint<decltype(TTADecoder_GetDataLength)> GetDataLength{"TTADecoder_GetDataLength"};
    TEntryPoint<decltype(TTADecoder_GetBlock)> GetBlock{"TTADecoder_GetBlock"};

protected:
    void Resolve(void* Handle) override;
};

TTTALibBinding& TTALibLibrary();

} // namespace au
