// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace soak {

// What a WAV file's header says, and why the file is not complete.
struct TWaveFacts {
    QString Error; // empty: complete
    int Tag = 0, Channels = 0, Rate = 0, Bits = 0;
    int64_t Frames = -1; // PCM only
};

// A WAV file is complete when its RIFF size is the file's size less 8, every
// chunk up to the data lies inside the file, and a format chunk precedes a data
// chunk that is not empty and, for PCM, holds whole frames.
TWaveFacts ReadWave(const QString& Path);

} // namespace soak
