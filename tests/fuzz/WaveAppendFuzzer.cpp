// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the header scan of the WAV writer when it appends to a
// file that exists: the input is that file, and a short run of PCM (of one of
// the formats the writer makes, PCM or IMA ADPCM, picked by the input's size)
// is appended to it or makes it anew. The reader that describes WAV files
// reads the same input first.
#include "MemoryFile.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/wave/WaveOut.h"
#include "audio/wave/WaveReader.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct TFormat {
    int Rate;
    int Bits;
    int Channels;
};
constexpr TFormat Formats[] = {{44100, 16, 2}, {22050, 16, 1}, {48000, 24, 2}, {8000, 8, 1}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 16;
    if (Size > MaxInput)
        return -1;
    static autest::TMemoryFile File("wave-input");
    if (!File.Fill(Data, Size))
        return 0;
    try {
        au::TAuFileStream Stream(File.Path(), au::TAuFileStream::fmOpenRead);
        au::ReadWaveFacts(Stream);
    } catch (const au::EAuException&) {
    }
    const TFormat& Format = Formats[Size % 4];
    autest::TSyntheticInput Source(Format.Rate, Format.Bits, Format.Channels, 1000);
    au::TWaveOut Writer;
    Writer.SetFileName(File.Path());
    Writer.SetFileMode(au::foAppend);
    Writer.SetWavType(Size % 8 < 4 ? au::wtPCM : au::wtDVIADPCM);
    int Done = 0;
    Writer.SetOnDone([&](au::TAuComponent*) { ++Done; });
    Writer.SetInput(&Source);
    Writer.Run();
    if (!autest::PumpUntil([&] { return Done == 1; })) {
        std::fprintf(stderr, "the run did not end\n");
        std::abort();
    }
    Writer.SetInput(nullptr);
    return 0;
}
