// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuInput.h"
#include "audio/wave/WaveOut.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace autest {

// Bytes from a hex string; spaces are ignored.
inline std::vector<uint8_t> FromHex(const std::string& Hex)
{
    std::vector<uint8_t> Bytes;
    std::string Digits;
    for (char C : Hex)
        if (C != ' ' && C != '\n')
            Digits += C;
    for (size_t I = 0; I + 1 < Digits.size(); I += 2)
        Bytes.push_back(static_cast<uint8_t>(std::stoi(Digits.substr(I, 2), nullptr, 16)));
    return Bytes;
}

// Runs Writer on Source to the end; returns its exception message ("" on success).
inline std::string RunToEnd(au::TWaveOut& Writer, au::TAuInput& Source)
{
    int Done = 0;
    Writer.SetOnDone([&](au::TAuComponent*) { ++Done; });
    Writer.SetInput(&Source);
    Writer.Run();
    EXPECT_TRUE(PumpUntil([&] { return Done == 1; }));
    Writer.SetInput(nullptr);
    return Writer.ExceptionMessage();
}

// Little-endian 16-bit samples of a sine at Level of full scale, interleaved
// over Channels, as a generator of bytes.
inline auto SineBytes(double Frequency, int SampleRate, int Channels, double Level)
{
    return [=](int64_t Index) -> uint8_t {
        const int64_t Frame = Index / (2 * Channels);
        const double V = Level * 32767.0 * std::sin(2 * M_PI * Frequency * Frame / SampleRate);
        const auto S = static_cast<int16_t>(std::lround(V));
        return static_cast<uint8_t>(Index % 2 == 0 ? S & 0xFF : (S >> 8) & 0xFF);
    };
}

// What ffprobe says of a file's first stream, as "key=value" lines.
inline std::string Probe(const std::string& FileName)
{
    std::string Out;
    RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bits_per_sample"
               " -of default=noprint_wrappers=1 '" + FileName + "'",
               &Out);
    return Out;
}

} // namespace autest
