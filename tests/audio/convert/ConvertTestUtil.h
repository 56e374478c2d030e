// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuException.h"
#include "audio/core/AuInput.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace autest {

// An input that serves exactly Bytes, in chunks of at most ChunkLimit.
inline std::unique_ptr<TSyntheticInput> BytesInput(int SampleRate, int Bits, int Channels,
                                                   std::vector<uint8_t> Bytes, uint32_t ChunkLimit = 4096)
{
    auto Data = std::make_shared<const std::vector<uint8_t>>(std::move(Bytes));
    auto Source = std::make_unique<TSyntheticInput>(SampleRate, Bits, Channels, static_cast<int64_t>(Data->size()));
    Source->Generator = [Data](int64_t Index) { return (*Data)[static_cast<size_t>(Index)]; };
    Source->ChunkLimit = ChunkLimit;
    return Source;
}

// Seeded noise bytes.
inline std::vector<uint8_t> RandomBytes(size_t Count, uint32_t Seed)
{
    std::vector<uint8_t> Bytes(Count);
    for (uint8_t& B : Bytes) {
        Seed = Seed * 1664525u + 1013904223u;
        B = static_cast<uint8_t>(Seed >> 24);
    }
    return Bytes;
}

// The message of the EAuException that Init raises, "" when it succeeds.
inline std::string InitFailure(au::TAuInput& Input)
{
    try {
        Input.Init();
    } catch (const au::EAuException& E) {
        return E.what();
    }
    return "";
}

inline std::vector<uint8_t> Le16(const std::vector<int16_t>& Samples)
{
    std::vector<uint8_t> Bytes(Samples.size() * 2);
    for (size_t I = 0; I < Samples.size(); ++I) {
        Bytes[2 * I] = static_cast<uint8_t>(Samples[I] & 0xFF);
        Bytes[2 * I + 1] = static_cast<uint8_t>((Samples[I] >> 8) & 0xFF);
    }
    return Bytes;
}

inline std::vector<int16_t> FromLe16(const std::vector<uint8_t>& Bytes)
{
    std::vector<int16_t> Samples(Bytes.size() / 2);
    for (size_t I = 0; I < Samples.size(); ++I)
        Samples[I] = static_cast<int16_t>(Bytes[2 * I] | (Bytes[2 * I + 1] << 8));
    return Samples;
}

// Init, pulls Request bytes at a time until the end, Flush. Chunks receives the
// size of every chunk if given.
inline std::vector<uint8_t> PullAll(au::TAuInput& Source, uint32_t Request = 65536,
                                    std::vector<uint32_t>* Chunks = nullptr)
{
    std::vector<uint8_t> Out;
    Source.Init();
    for (;;) {
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = Request;
        Source.GetData(Buffer, Bytes);
        if (Bytes == 0)
            break;
        if (Chunks != nullptr)
            Chunks->push_back(Bytes);
        Out.insert(Out.end(), Buffer, Buffer + Bytes);
    }
    EXPECT_TRUE(Source.EndOfData());
    Source.Flush();
    return Out;
}

// Frames of a sine at Frequency cycles per sample and Level of full scale,
// the same in every channel, as 16-bit samples.
inline std::vector<int16_t> Sine16(double Frequency, double Level, size_t Frames, int Channels)
{
    std::vector<int16_t> Samples(Frames * static_cast<size_t>(Channels));
    for (size_t F = 0; F < Frames; ++F)
        for (int C = 0; C < Channels; ++C)
            Samples[F * static_cast<size_t>(Channels) + static_cast<size_t>(C)] =
                static_cast<int16_t>(std::lround(Level * 32767 * std::sin(2 * M_PI * Frequency * double(F))));
    return Samples;
}

// Amplitude of the component at Frequency (cycles per sample) in Values, by a
// least-squares fit of a sine and a cosine.
template <typename T>
double ToneAmplitude(const std::vector<T>& Values, double Frequency, size_t From = 0, size_t Step = 1,
                     size_t Offset = 0)
{
    double SS = 0, CC = 0, SC = 0, XS = 0, XC = 0;
    for (size_t I = From; I * Step + Offset < Values.size(); ++I) {
        const double S = std::sin(2 * M_PI * Frequency * double(I));
        const double C = std::cos(2 * M_PI * Frequency * double(I));
        const double X = static_cast<double>(Values[I * Step + Offset]);
        SS += S * S;
        CC += C * C;
        SC += S * C;
        XS += X * S;
        XC += X * C;
    }
    const double Det = SS * CC - SC * SC;
    const double A = (XS * CC - XC * SC) / Det;
    const double B = (XC * SS - XS * SC) / Det;
    return std::hypot(A, B);
}

// The sample bytes of a fixture WAV file (all have the classic 44-byte header).
inline std::vector<uint8_t> FixturePcm(const std::string& Name)
{
    std::vector<uint8_t> Bytes = ReadBytes(FixturesDir() + "/" + Name);
    if (Bytes.size() < 44)
        return {};
    const size_t Data = std::min<size_t>(LE32(Bytes, 40), Bytes.size() - 44);
    return std::vector<uint8_t>(Bytes.begin() + 44, Bytes.begin() + 44 + static_cast<std::ptrdiff_t>(Data));
}

} // namespace autest
