// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveReader.h"

#include "ImaAdpcm.h"
#include "audio/core/AuException.h"
#include "audio/core/ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace au {
namespace {

constexpr uint16_t TagPcm = 1;
constexpr uint16_t TagFloat = 3;
constexpr uint16_t TagALaw = 6;
constexpr uint16_t TagMuLaw = 7;
constexpr uint16_t TagImaAdpcm = 17;
constexpr uint16_t TagExtensible = 0xFFFE;
// A file of more chunks is not one a person made; the walk ends there.
constexpr int MaxChunks = 4096;
// INFO texts are short; a larger LIST is left unread.
constexpr uint32_t MaxInfoList = 1 << 20;

bool IsId(const uint8_t* At, const char* Id) { return std::memcmp(At, Id, 4) == 0; }

std::vector<uint8_t> ReadBody(TAuStream& Stream, int64_t At, uint32_t Bytes)
{
    std::vector<uint8_t> Body(Bytes);
    Stream.SetPosition(At);
    Body.resize(static_cast<size_t>(Stream.ReadAll(Body.data(), Bytes)));
    return Body;
}

void ReadFormat(const std::vector<uint8_t>& Fmt, TWaveFacts& Facts)
{
    if (Fmt.size() < 16)
        throw EAuException("The WAV file's format chunk is too short");
    Facts.FormatTag = GetLE16(Fmt.data());
    Facts.Channels = GetLE16(Fmt.data() + 2);
    Facts.SampleRate = GetLE32(Fmt.data() + 4);
    Facts.BytesPerSecond = GetLE32(Fmt.data() + 8);
    Facts.BlockAlign = GetLE16(Fmt.data() + 12);
    Facts.BitsPerSample = GetLE16(Fmt.data() + 14);
    // The sub-format GUID's first two bytes are the format tag it stands for.
    if (Facts.FormatTag == TagExtensible && Fmt.size() >= 26)
        Facts.FormatTag = GetLE16(Fmt.data() + 24);
}

void ReadInfoList(const std::vector<uint8_t>& List, TWaveFacts& Facts)
{
    size_t At = 4; // past "INFO"
    while (At + 8 <= List.size()) {
        const uint32_t Size = GetLE32(List.data() + At + 4);
        const size_t Body = At + 8;
        if (Size > List.size() - Body)
            break;
        std::string Text(reinterpret_cast<const char*>(List.data() + Body), Size);
        Text.erase(std::min(Text.find('\0'), Text.size()));
        Facts.Info.emplace_back(std::string(reinterpret_cast<const char*>(List.data() + At), 4), std::move(Text));
        At = Body + Size + (Size & 1);
    }
}

bool SamplesFillBlocks(uint16_t Tag)
{
    return Tag == TagPcm || Tag == TagFloat || Tag == TagALaw || Tag == TagMuLaw;
}

// Frames of the data: whole blocks for formats that store samples side by
// side; otherwise the fact chunk's count, which encoders state because blocks
// do not tell it, or else what the blocks or the byte rate give.
int64_t CountFrames(const TWaveFacts& F, std::optional<int64_t> Fact)
{
    if (F.Channels == 0 || F.SampleRate == 0 || F.BlockAlign == 0)
        return 0;
    if (SamplesFillBlocks(F.FormatTag))
        return F.DataBytes / F.BlockAlign;
    if (Fact)
        return *Fact;
    if (F.FormatTag == TagImaAdpcm && F.Channels <= 2 && ImaBlockSizeSuits(F.BlockAlign, F.Channels)) {
        const int64_t Head = 4 * F.Channels;
        const int64_t Rest = F.DataBytes % F.BlockAlign;
        return F.DataBytes / F.BlockAlign * ImaSamplesPerBlock(F.BlockAlign, F.Channels) +
               (Rest >= Head ? (Rest - Head) * 2 / F.Channels + 1 : 0);
    }
    if (F.BytesPerSecond == 0)
        return 0;
    return static_cast<int64_t>(static_cast<long double>(F.DataBytes) * F.SampleRate / F.BytesPerSecond);
}

} // namespace

TWaveFacts ReadWaveFacts(TAuStream& Stream)
{
    TWaveFacts Facts;
    uint8_t Head[12];
    Stream.SetPosition(0);
    if (!Stream.ReadExact(Head, 12) || !(IsId(Head, "RIFF") || IsId(Head, "RF64")) || !IsId(Head + 8, "WAVE"))
        throw EAuException("Not a WAV file");
    Facts.Rf64 = IsId(Head, "RF64");
    const int64_t FileSize = Stream.Size();
    std::optional<uint64_t> Ds64Data, Ds64Frames;
    std::optional<int64_t> Fact;
    bool HasFormat = false, HasData = false;
    int64_t At = 12;
    for (int Chunk = 0; Chunk < MaxChunks && At + 8 <= FileSize; ++Chunk) {
        uint8_t Header[8];
        Stream.SetPosition(At);
        if (!Stream.ReadExact(Header, 8))
            break;
        const uint32_t Size = GetLE32(Header + 4);
        const int64_t Body = At + 8;
        if (IsId(Header, "ds64") && Facts.Rf64 && Size >= 24) {
            const std::vector<uint8_t> Ds64 = ReadBody(Stream, Body, 24);
            if (Ds64.size() == 24) {
                Ds64Data = GetLE64(Ds64.data() + 8);
                Ds64Frames = GetLE64(Ds64.data() + 16);
            }
        } else if (IsId(Header, "fmt ") && !HasFormat) {
            ReadFormat(ReadBody(Stream, Body, std::min<uint32_t>(Size, 40)), Facts);
            HasFormat = true;
        } else if (IsId(Header, "fact") && Size >= 4 && !Fact) {
            const std::vector<uint8_t> Count = ReadBody(Stream, Body, 4);
            if (Count.size() == 4)
                Fact = GetLE32(Count.data());
        } else if (IsId(Header, "LIST") && Size >= 4 && Size <= MaxInfoList) {
            const std::vector<uint8_t> List = ReadBody(Stream, Body, Size);
            if (List.size() >= 4 && IsId(List.data(), "INFO"))
                ReadInfoList(List, Facts);
        }
        int64_t Stated = Size;
        if (IsId(Header, "data") && !HasData) {
            if (Facts.Rf64 && Size == 0xFFFFFFFF) {
                if (!Ds64Data)
                    throw EAuException("The RF64 file has no ds64 chunk");
                Stated = static_cast<int64_t>(std::min<uint64_t>(*Ds64Data, uint64_t{INT64_MAX} / 2));
                if (Fact == 0xFFFFFFFF || !Fact)
                    Fact = static_cast<int64_t>(std::min<uint64_t>(*Ds64Frames, uint64_t{INT64_MAX} / 2));
            }
            Facts.DataBytes = std::min(Stated, FileSize - Body);
            HasData = true;
        }
        At = Body + Stated + (Stated & 1);
    }
    if (!HasFormat)
        throw EAuException("The WAV file has no format chunk");
    if (!HasData)
        throw EAuException("The WAV file has no data chunk");
    Facts.Frames = CountFrames(Facts, Fact);
    return Facts;
}

} // namespace au
