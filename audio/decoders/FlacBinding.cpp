// SPDX-License-Identifier: GPL-3.0-or-later
#include "FlacBinding.h"

namespace au {

TFlacBinding::TFlacBinding()
    : TLibraryBinding("libFLAC.dll", {"libFLAC.so.12", "libFLAC.so.8", "libFLAC.so"})
{
}

void TFlacBinding::Resolve(void* Handle)
{
    BindEntry(Handle, StreamDecoderNew);
    BindEntry(Handle, StreamDecoderDelete);
    BindEntry(Handle, StreamDecoderSetMd5Checking);
    BindEntry(Handle, StreamDecoderSetMetadataRespondAll);
    BindEntry(Handle, StreamDecoderInitStream);
    BindEntry(Handle, StreamDecoderProcessSingle);
    BindEntry(Handle, StreamDecoderGetState);
    BindEntry(Handle, StreamDecoderSeekAbsolute);
    BindEntry(Handle, StreamDecoderReset);
    BindEntry(Handle, StreamDecoderFinish);
}

TFlacBinding& FlacLibrary()
{
    static TFlacBinding Instance;
    return Instance;
}

} // namespace au
