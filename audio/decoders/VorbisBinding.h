// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the decoders: only VorbisIn.cpp and the tests include it.
#include "LibraryBinding.h"

// The library's header would otherwise define callback tables we never use.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace au {

// libvorbisfile, loaded at run time. Its companions libogg, libvorbis and
// libvorbisenc are loaded (and must be present) with it, though nothing of
// theirs is called directly.
class TVorbisFileBinding final : public TLibraryBinding {
public:
    TVorbisFileBinding();

    TEntryPoint<decltype(ov_test_callbacks)> TestCallbacks{"ov_test_callbacks"};
    TEntryPoint<decltype(ov_test_open)> TestOpen{"ov_test_open"};
    TEntryPoint<decltype(ov_comment)> Comment{"ov_comment"};
    TEntryPoint<decltype(ov_info)> Info{"ov_info"};
    TEntryPoint<decltype(ov_pcm_total)> PcmTotal{"ov_pcm_total"};
    TEntryPoint<decltype(ov_read)> Read{"ov_read"};
    TEntryPoint<decltype(ov_pcm_seek)> PcmSeek{"ov_pcm_seek"};
    TEntryPoint<decltype(ov_clear)> Clear{"ov_clear"};

protected:
    void Resolve(void* Handle) override;
};

TLibraryBinding& OggLibrary();
TLibraryBinding& VorbisLibrary();
TVorbisFileBinding& VorbisFileLibrary();
TLibraryBinding& VorbisEncLibrary();

} // namespace au
