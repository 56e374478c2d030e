// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuStreamedInput.h"

#include <mutex>
#include <string>

namespace au {

// A streamed input that reads a named file. Decoders implement OpenFile,
// CloseFile, DoGetData and DoSeek; the format queries open the file (it stays
// open until CloseFile, Flush or a new FileName).
class TAuFileIn : public TAuStreamedInput {
public:
    int GetBitsPerSample() override;
    int GetChannels() override;
    int GetSampleRate() override;
    int GetDuration() override;
    int64_t GetTotalSamples() override;
    void Reset() override;
    void SetStream(TAuStream* Stream) override;

    // UI thread. Closes the file, then stores the name (UTF-8).
    void SetFileName(const std::string& Value);
    std::string FileName() const;

    // Opens the file if needed; never throws. A false result leaves it closed.
    bool Valid();
    // SampleNum counts from StartSample. Playing: moves the decoder (under the
    // data lock); idle: sets where the next run starts.
    bool Seek(int64_t SampleNum);
    // Moves by a percentage of the play range, clamped to its ends.
    void SeekRelative(int Percent);

protected:
    // Takes the file lock. If not open: opens the file (or uses the assigned
    // stream), reads its header, fills the format, Size (-1 when unknown) and
    // Valid, and raises OpenCount. Repeated calls while open do nothing.
    virtual void OpenFile() = 0;
    // Takes the file lock. Releases decoder and stream; OpenCount := 0.
    virtual void CloseFile() = 0;

    void DoInit() override;
    void DoFlush() override;

    // For OpenFile: unless the caller supplied a stream, opens FileName for
    // reading (others may read too) as the input's own stream. Throws
    // EAuException with MissingNameText when there is no name, and with the
    // system's text when the file cannot be opened.
    void OpenOwnStream(const char* MissingNameText);

    std::recursive_mutex FFileLock;
    mutable std::mutex FNameLock;
    std::string FFileName;
    std::atomic<int32_t> FOpenCount{0};
    std::atomic<bool> FValid{false};
    std::atomic<uint32_t> FBitsPerSample{0};
    std::atomic<uint32_t> FSampleRate{0};
    std::atomic<uint32_t> FChannels{0};
};

} // namespace au
