// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the ASF header walk on its own (the decoding behind it
// is FFmpeg's): the object sizes and counts a damaged header claims must
// neither lead outside the stream nor make the walk long.
#include "MemoryFile.h"

#include "audio/core/AuFileStream.h"
#include "audio/decoders/AudioStream.h"
#include "codecs/wmvcore/AsfHeader.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 20;
    if (Size > MaxInput)
        return -1;
    static autest::TMemoryFile File("asf-input");
    if (!File.Fill(Data, Size))
        return 0;
    au::TAuFileStream Stream(File.Path(), au::TAuFileStream::fmOpenRead);
    wmf::TComPtr<wmf::IStream> Adapter;
    *Adapter.Put() = new au::TAudioStream(Stream);
    const wmvcore::TAsfFacts Facts = wmvcore::ReadAsfFacts(*Adapter.Get());
    if (!Facts.IsAsf && (Facts.Protected || Facts.PlayDuration != 0)) {
        std::fprintf(stderr, "facts of a stream that is no ASF file\n");
        std::abort();
    }
    return 0;
}
