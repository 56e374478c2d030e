// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "APEException.h"

#include <cstdint>
#include <string>

extern "C" struct APEDecompress;

namespace au {

// One open file of the Monkey's Audio component. Used only by the thread that
// holds the input that owns it.
class TAPEDecompress {
public:
    // Throws EAPEException with the component's code when it could not open
    // the file, and EAuException when the component lacks the entry point.
    explicit TAPEDecompress(const std::string& FileName);
    ~TAPEDecompress();
    TAPEDecompress(const TAPEDecompress&) = delete;
    TAPEDecompress& operator=(const TAPEDecompress&) = delete;

    // False when the component opened nothing without saying why.
    bool HasHandle() const { return FHandle != nullptr; }
    const std::string& FileName() const { return FFileName; }
    int32_t LastError() const { return FLastError; }

    // Up to Blocks sample frames of PCM into Buffer; *Retrieved says how many, 0 at the end.
    void GetData(uint8_t* Buffer, int32_t Blocks, int32_t* Retrieved);
    int32_t GetInfo(int32_t Field);
    void Seek(int32_t Block);

    int32_t SampleRate() { return GetInfo(1003); }
    int32_t BitsPerSample() { return GetInfo(1004); }
    int32_t Channels() { return GetInfo(1006); }
    // Bytes of PCM; negative when the component cannot state them in 31 bits.
    int32_t DataBytes() { return GetInfo(1014); }
    int32_t LengthMs() { return GetInfo(2003); }
    // Kilobits per second.
    int32_t AverageBitrate() { return GetInfo(2005); }

private:
    APEDecompress* FHandle = nullptr;
    std::string FFileName;
    int32_t FLastError = 0;
};

} // namespace au
