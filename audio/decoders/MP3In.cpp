// SPDX-License-Identifier: GPL-3.0-or-later
#include "MP3In.h"

namespace au {

TMP3In::~TMP3In() { Destroying(); }

void TMP3In::OpenFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0) {
        TWMIn::OpenFile();
        return;
    }
    TWMIn::OpenFile();
    // A file without a length stays unclipped: a third of a second alone would
    // cut its data short.
    if (FOpenCount == 0 || FSize <= 0)
        return;
    const uint32_t Third = FSampleRate / 3;
    FSize += static_cast<int64_t>(FBitsPerSample / 8) * FChannels * Third;
    FTotalSamples += Third;
}

} // namespace au
