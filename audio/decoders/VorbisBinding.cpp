// SPDX-License-Identifier: GPL-3.0-or-later
#include "VorbisBinding.h"

namespace au {

TVorbisFileBinding::TVorbisFileBinding() : TLibraryBinding("vorbisfile.dll", {"libvorbisfile.so.3", "libvorbisfile.so"})
{
}

void TVorbisFileBinding::Resolve(void* Handle)
{
    BindEntry(Handle, TestCallbacks);
    BindEntry(Handle, TestOpen);
    BindEntry(Handle, Comment);
    BindEntry(Handle, Info);
    BindEntry(Handle, PcmTotal);
    BindEntry(Handle, Read);
    BindEntry(Handle, PcmSeek);
    BindEntry(Handle, Clear);
}

TLibraryBinding& OggLibrary()
{
    static TLibraryBinding Instance("ogg.dll", {"libogg.so.0", "libogg.so"});
    return Instance;
}

TLibraryBinding& VorbisLibrary()
{
    static TLibraryBinding Instance("vorbis.dll", {"libvorbis.so.0", "libvorbis.so"});
    return Instance;
}

TVorbisFileBinding& VorbisFileLibrary()
{
    static TVorbisFileBinding Instance;
    return Instance;
}

TLibraryBinding& VorbisEncLibrary()
{
    static TLibraryBinding Instance("vorbisenc.dll", {"libvorbisenc.so.2", "libvorbisenc.so"});
    return Instance;
}

} // namespace au
