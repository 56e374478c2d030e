// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for one decoder, chosen at build time (KELVARO_FUZZ_DECODER
// names the class, KELVARO_FUZZ_DECODER_HEADER its header): opens the input as
// a file, reads its format and tags, decodes a capped amount, seeks into the
// middle and decodes a little more. Damaged input may fail with an exception;
// anything the sanitizers see is a finding.
#include "MemoryFile.h"

#include KELVARO_FUZZ_DECODER_HEADER
#include "audio/tags/AuTaggedFileIn.h"
#include "audio/tags/AuTags.h"

#include <exception>
#include <type_traits>

namespace {

// Enough output to pass the first frames and a seek; more only slows the search.
constexpr uint64_t MaxBytes = 1 << 20;
constexpr int MaxCalls = 4096;

void ReadTags(const au::TAuTags& Tags)
{
    for (int I = 0; I < Tags.Count(); ++I)
        (void)Tags.AsString(Tags.KeyAt(I));
}

template <typename TIn> void ReadAllTags(TIn& In)
{
    if constexpr (std::is_base_of_v<au::TAuTaggedFileIn, TIn>) {
        ReadTags(In.Id3v1Tags());
        ReadTags(In.Id3v2Tags());
        ReadTags(In.APEv2Tags());
    } else {
        ReadTags(In.Tags());
    }
}

void Decode(au::TAuInput& In)
{
    uint64_t Total = 0;
    for (int Call = 0; Call < MaxCalls && Total < MaxBytes; ++Call) {
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = 16384;
        In.GetData(Buffer, Bytes);
        if (Bytes == 0)
            return;
        Total += Bytes;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 20;
    if (Size > MaxInput)
        return -1;
    static autest::TMemoryFile File("decoder-input");
    if (!File.Fill(Data, Size))
        return 0;
    KELVARO_FUZZ_DECODER In;
    In.SetFileName(File.Path());
    if (!In.Valid())
        return 0;
    try {
        (void)In.BitsPerSample();
        (void)In.Channels();
        (void)In.SampleRate();
        (void)In.Duration();
        const int64_t Total = In.TotalSamples();
        ReadAllTags(In);
        In.Init();
        Decode(In);
        if (In.Seekable() && Total > 1 && In.Seek(Total / 2))
            Decode(In);
    } catch (const std::exception&) {
        // A damaged file may fail to open or decode; it must only fail cleanly.
    }
    In.Reset();
    return 0;
}
