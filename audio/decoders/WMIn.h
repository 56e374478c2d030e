// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WMReader.h"
#include "audio/tags/AuTaggedFileIn.h"

#include <atomic>
#include <cstdint>

namespace au {

enum TChannelsNumber : uint8_t { cnMaxAvailable = 0, cnMonoOrStereo = 1, cn5dot1 = 2, cn7dot1 = 3 };

// Windows Media files (and whatever else the Windows Media runtime reads),
// decoded by the runtime stand-in loaded at run time into interleaved PCM. The
// length comes from the file's "Duration" attribute: without it Size is 0 and
// the data runs to whatever the runtime delivers. The attributes fill the
// ID3v2 tag object. Without the runtime, or for a file it refuses, Valid is
// false and nothing is raised.
class TWMIn : public TAuTaggedFileIn {
public:
    TWMIn();
    ~TWMIn() override;

    // UI thread, while idle. Deeper and discrete output; ignored unless
    // OutputChannels is cnMonoOrStereo. Reopens an open file (throws what
    // opening throws).
    void SetHighPrecision(bool Value);
    bool HighPrecision() const { return FHighPrecision; }
    // UI thread, while idle. Any value but cnMonoOrStereo also turns
    // HighPrecision on. Reopens an open file (throws what opening throws).
    void SetOutputChannels(TChannelsNumber Value);
    TChannelsNumber OutputChannels() const { return FOutputChannels; }

    // The "Bitrate" attribute in bits per second, 0 when absent; opens the file
    // if needed. UI thread.
    uint32_t Bitrate();
    // The "Duration" attribute in 100-ns units, 0 when absent: finer than the
    // centiseconds the length is counted in. Opens the file if needed. UI thread.
    uint64_t PlayDuration();
    int64_t GetTotalSamples() override;

protected:
    // Throws "File name is not assigned", "File is protected" and the file
    // stream's system texts.
    void OpenFile() override;
    void CloseFile() override;
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    // Moves by time; the runtime's samples are not cut, so SampleNum stays.
    bool DoSeek(int64_t& SampleNum) override;

private:
    void Reopen();
    void FillTags();

    TWMReader FReader;
    int32_t FDurationCs = 0;
    // TotalSamples of the whole file, whatever play range is set.
    int64_t FFileTotalSamples = 0;
    std::atomic<bool> FHighPrecision{false};
    std::atomic<TChannelsNumber> FOutputChannels{cnMonoOrStereo};
};

} // namespace au
