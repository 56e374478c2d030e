// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveCheck.h"

#include "support/TestUtil.h"

#include <cstring>
#include <vector>

namespace soak {

TWaveFacts ReadWave(const QString& Path)
{
    using autest::LE16;
    using autest::LE32;
    TWaveFacts Facts;
    const std::vector<uint8_t> B = autest::ReadBytes(Path.toStdString());
    if (B.size() < 12 || std::memcmp(B.data(), "RIFF", 4) != 0 || std::memcmp(B.data() + 8, "WAVE", 4) != 0) {
        Facts.Error = QStringLiteral("no RIFF WAVE header (%1 bytes)").arg(B.size());
        return Facts;
    }
    if (LE32(B, 4) + 8ull != B.size()) {
        Facts.Error = QStringLiteral("RIFF size %1 + 8 is not the file size %2").arg(LE32(B, 4)).arg(B.size());
        return Facts;
    }
    constexpr int Adpcm = 0x11;
    int BlockAlign = 0;
    for (size_t At = 12; At + 8 <= B.size();) {
        const uint32_t Size = LE32(B, At + 4);
        if (At + 8 + Size > B.size()) {
            Facts.Error = QStringLiteral("chunk '%1' of %2 bytes runs past the end")
                              .arg(QString::fromLatin1(reinterpret_cast<const char*>(&B[At]), 4))
                              .arg(Size);
            return Facts;
        }
        if (std::memcmp(&B[At], "fmt ", 4) == 0 && Size >= 16) {
            Facts.Tag = LE16(B, At + 8);
            Facts.Channels = LE16(B, At + 10);
            Facts.Rate = static_cast<int>(LE32(B, At + 12));
            BlockAlign = LE16(B, At + 20);
            Facts.Bits = LE16(B, At + 22);
        } else if (std::memcmp(&B[At], "data", 4) == 0) {
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
