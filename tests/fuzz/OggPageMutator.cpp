// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer's own mutations, then every whole Ogg page gets its checksum set
// again: libogg drops a page whose checksum does not match, so without this
// almost no mutation gets past the page layer into the headers and packets.
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" size_t LLVMFuzzerMutate(uint8_t* Data, size_t Size, size_t MaxSize);

namespace {

constexpr size_t PageHeaderSize = 27;
constexpr size_t ChecksumOffset = 22;

// The page checksum: CRC-32 with polynomial 0x04C11DB7, not reflected, starting at 0.
uint32_t PageChecksum(const uint8_t* Page, size_t Size)
{
    uint32_t Crc = 0;
    for (size_t I = 0; I < Size; ++I) {
        Crc ^= static_cast<uint32_t>(Page[I]) << 24;
        for (int Bit = 0; Bit < 8; ++Bit)
            Crc = (Crc & 0x80000000u) ? (Crc << 1) ^ 0x04C11DB7u : Crc << 1;
    }
    return Crc;
}

// The length of the whole page at Page (header, lacing table, body), 0 when
// the buffer ends first.
size_t PageLength(const uint8_t* Page, size_t Available)
{
    if (Available < PageHeaderSize || Available < PageHeaderSize + Page[26])
        return 0;
    const size_t Segments = Page[26];
    size_t Length = PageHeaderSize + Segments;
    for (size_t I = 0; I < Segments; ++I)
        Length += Page[PageHeaderSize + I];
    return Length <= Available ? Length : 0;
}

void FixChecksums(uint8_t* Data, size_t Size)
{
    size_t At = 0;
    while (At + 4 <= Size) {
        const size_t Length = std::memcmp(Data + At, "OggS", 4) == 0 ? PageLength(Data + At, Size - At) : 0;
        if (Length == 0) {
            ++At;
            continue;
        }
        std::memset(Data + At + ChecksumOffset, 0, 4);
        const uint32_t Crc = PageChecksum(Data + At, Length);
        for (int I = 0; I < 4; ++I)
            Data[At + ChecksumOffset + I] = static_cast<uint8_t>(Crc >> (8 * I));
        At += Length;
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* Data, size_t Size, size_t MaxSize, unsigned int /*Seed*/)
{
    Size = LLVMFuzzerMutate(Data, Size, MaxSize);
    FixChecksums(Data, Size);
    return Size;
}
