// SPDX-License-Identifier: GPL-3.0-or-later
#include "AsfHeader.h"

#include <algorithm>
#include <cstring>

namespace wmvcore {
namespace {

using Guid = uint8_t[16];

// GUIDs as they are stored in the file (the first three fields little-endian).
constexpr Guid HeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                               0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid FilePropertiesObject = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                       0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid ContentEncryptionObject = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                          0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
constexpr Guid ExtendedContentEncryptionObject = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                                  0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};

constexpr uint64_t HeaderObjectSize = 30; // GUID, size, object count, two reserved bytes
constexpr uint64_t ObjectHeaderSize = 24; // GUID, size
// Play duration, send duration, preroll and flags follow the file id, file size,
// creation date and packet count.
constexpr uint64_t FilePropertiesTimesOffset = ObjectHeaderSize + 16 + 8 + 8 + 8;
constexpr uint32_t BroadcastFlag = 1;
// A header with more objects than this is not a real one.
constexpr uint32_t MaxObjects = 4096;

uint64_t LittleEndian(const uint8_t* P, int Bytes)
{
    uint64_t V = 0;
    for (int I = Bytes - 1; I >= 0; --I)
        V = (V << 8) | P[I];
    return V;
}

uint64_t LE64(const uint8_t* P) { return LittleEndian(P, 8); }
uint32_t LE32(const uint8_t* P) { return static_cast<uint32_t>(LittleEndian(P, 4)); }

bool ReadAt(wmf::IStream& Stream, uint64_t Offset, void* Buffer, uint32_t Count)
{
    if (Offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    uint64_t Position = 0;
    if (Stream.Seek(static_cast<int64_t>(Offset), 0, &Position) != wmf::S_OK)
        return false;
    uint32_t Read = 0;
    return Stream.Read(Buffer, Count, &Read) == wmf::S_OK && Read == Count;
}

} // namespace

TAsfFacts ReadAsfFacts(wmf::IStream& Stream)
{
    TAsfFacts Facts;
    uint8_t Header[HeaderObjectSize];
    if (!ReadAt(Stream, 0, Header, sizeof Header) || std::memcmp(Header, HeaderObject, 16) != 0)
        return Facts;
    Facts.IsAsf = true;
    wmf::STATSTG Stat{};
    const uint64_t StreamSize = Stream.Stat(&Stat, 1) == wmf::S_OK ? Stat.cbSize : 0;
    const uint64_t End = std::min(LE64(Header + 16), StreamSize);
    const uint32_t Objects = std::min(LE32(Header + 24), MaxObjects);

    uint64_t At = HeaderObjectSize;
    for (uint32_t I = 0; I < Objects && At + ObjectHeaderSize <= End; ++I) {
        uint8_t Object[ObjectHeaderSize];
        if (!ReadAt(Stream, At, Object, sizeof Object))
            break;
        const uint64_t Size = LE64(Object + 16);
        if (Size < ObjectHeaderSize || Size > End - At)
            break;
        if (std::memcmp(Object, ContentEncryptionObject, 16) == 0 ||
            std::memcmp(Object, ExtendedContentEncryptionObject, 16) == 0) {
            Facts.Protected = true;
        } else if (std::memcmp(Object, FilePropertiesObject, 16) == 0 &&
                   Size >= FilePropertiesTimesOffset + 28) {
            uint8_t Times[28];
            if (ReadAt(Stream, At + FilePropertiesTimesOffset, Times, sizeof Times)) {
                const uint64_t Play = LE64(Times);
                const uint64_t PrerollMs = LE64(Times + 16);
                const bool Broadcast = (LE32(Times + 24) & BroadcastFlag) != 0;
                if (!Broadcast && PrerollMs < UINT64_MAX / 10000 && Play > PrerollMs * 10000)
                    Facts.PlayDuration = Play - PrerollMs * 10000;
            }
        }
        At += Size;
    }
    return Facts;
}

} // namespace wmvcore
