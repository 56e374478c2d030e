// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveCheck.h"

#include "support/TestUtil.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace soak {
namespace {

// Count bytes at At, or fewer at the end of the file. Only the headers are
// read: a converted file may hold hundreds of megabytes.
std::vector<uint8_t> ReadAt(std::ifstream& File, uint64_t At, size_t Count)
{
    std::vector<uint8_t> Bytes(Count);
    File.clear();
    File.seekg(static_cast<std::streamoff>(At));
    File.read(reinterpret_cast<char*>(Bytes.data()), static_cast<std::streamsize>(Count));
    Bytes.resize(static_cast<size_t>(File.gcount()));
    return Bytes;
}

} // namespace

TWaveFacts ReadWave(const QString& Path)
{
    using autest::LE16;
    using autest::LE32;
    TWaveFacts Facts;
    std::ifstream File(Path.toStdString(), std::ios::binary | std::ios::ate);
    const uint64_t FileSize = File ? static_cast<uint64_t>(File.tellg()) : 0;
    const std::vector<uint8_t> Head = ReadAt(File, 0, 12);
    if (Head.size() < 12 || std::memcmp(Head.data(), "RIFF", 4) != 0 || std::memcmp(Head.data() + 8, "WAVE", 4) != 0) {
        Facts.Error = QStringLiteral("no RIFF WAVE header (%1 bytes)").arg(FileSize);
        return Facts;
    }
    if (LE32(Head, 4) + 8ull != FileSize) {
        Facts.Error = QStringLiteral("RIFF size %1 + 8 is not the file size %2").arg(LE32(Head, 4)).arg(FileSize);
        return Facts;
    }
    constexpr int Adpcm = 0x11;
    int BlockAlign = 0;
    for (uint64_t At = 12; At + 8 <= FileSize;) {
        const std::vector<uint8_t> Chunk = ReadAt(File, At, 24);
        const uint32_t Size = LE32(Chunk, 4);
        if (At + 8 + Size > FileSize) {
            Facts.Error = QStringLiteral("chunk '%1' of %2 bytes runs past the end")
                              .arg(QString::fromLatin1(reinterpret_cast<const char*>(Chunk.data()), 4))
                              .arg(Size);
            return Facts;
        }
        if (std::memcmp(Chunk.data(), "fmt ", 4) == 0 && Size >= 16 && Chunk.size() >= 24) {
            Facts.Tag = LE16(Chunk, 8);
            Facts.Channels = LE16(Chunk, 10);
            Facts.Rate = static_cast<int>(LE32(Chunk, 12));
            BlockAlign = LE16(Chunk, 20);
            Facts.Bits = LE16(Chunk, 22);
        } else if (std::memcmp(Chunk.data(), "data", 4) == 0) {
            if (BlockAlign == 0)
                Facts.Error = QStringLiteral("no format before the data");
            else if (Size == 0)
                Facts.Error = QStringLiteral("empty data");
            else if (Facts.Tag != Adpcm && Size % BlockAlign != 0)
                Facts.Error = QStringLiteral("data of %1 bytes is no whole number of %2-byte frames")
                                  .arg(Size)
                                  .arg(BlockAlign);
            else if (Facts.Tag != Adpcm)
                Facts.Frames = Size / BlockAlign;
            return Facts;
        }
        At += 8 + Size + (Size & 1);
    }
    Facts.Error = QStringLiteral("no data chunk");
    return Facts;
}

} // namespace soak
