// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecoderTestUtil.h"

#include "audio/core/AuFileIn.h"
#include "audio/core/ProgramFolder.h"
#include "audio/decoders/LibraryBinding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace autest {

// Makes a codec component "missing" for as long as it lives: the binding looks
// for it under its file name in Dir, where it is not.
class TLibraryAway {
public:
    TLibraryAway(au::TLibraryBinding& Binding, const std::string& RealFile, const TTempDir& Dir)
        : FBinding(Binding), FSaved(Binding.FileNames()), FPlace(Dir.File(RealFile))
    {
        FBinding.SetFileNames({FPlace});
        FBinding.Forget();
    }
    ~TLibraryAway()
    {
        FBinding.SetFileNames(FSaved);
        FBinding.Forget();
    }
    TLibraryAway(const TLibraryAway&) = delete;
    TLibraryAway& operator=(const TLibraryAway&) = delete;

private:
    au::TLibraryBinding& FBinding;
    std::vector<std::string> FSaved;
    std::string FPlace;
};

// Init must fail with exactly Message; the input is reset afterwards.
inline void ExpectInitFails(au::TAuFileIn& In, const std::string& Message)
{
    try {
        In.Init();
        ADD_FAILURE() << "Init succeeded where it should fail with: " << Message;
    } catch (const std::exception& E) {
        EXPECT_EQ(std::string(E.what()), Message);
    }
    In.Reset();
}

// File, opened by In, gives exactly Expected.
inline void ExpectDecodes(au::TAuFileIn& In, const std::string& File, const std::vector<uint8_t>& Expected)
{
    In.SetFileName(File);
    ASSERT_TRUE(In.Valid()) << File;
    In.Init();
    EXPECT_EQ(PullAll(In), Expected) << File;
    In.Flush();
}

// Opens, probes and pulls File to its end (at most Cap bytes); passes when that
// works, giving no more than the input's Size when it states one, or ends in an
// exception that says something; fails too on a crash, a hang or a sanitizer
// report. Returns whether the input called the file valid.
inline bool OpenAndPull(au::TAuFileIn& In, const std::string& File, size_t Cap = size_t{64} << 20)
{
    bool Valid = false;
    try {
        In.SetFileName(File);
        Valid = In.Valid();
        if (Valid) {
            In.Duration();
            In.TotalSamples();
            In.Init();
            const size_t Got = PullAll(In, 4099, Cap).size();
            if (In.Size() >= 0) {
                EXPECT_LE(static_cast<int64_t>(Got), In.Size()) << File;
            }
            In.Flush();
        }
    } catch (const std::exception& E) {
        EXPECT_STRNE(E.what(), "") << File;
        In.Reset();
    }
    return Valid;
}

// Copies of Source with a few bytes changed at random (fixed seed), and cut short.
inline std::vector<std::vector<uint8_t>> Damaged(const std::vector<uint8_t>& Source, int Count, size_t Reach)
{
    std::vector<std::vector<uint8_t>> Out;
    std::mt19937 Random(20240601);
    for (int I = 0; I < Count; ++I) {
        std::vector<uint8_t> Copy = Source;
        const int Changes = 1 + static_cast<int>(Random() % 4);
        for (int C = 0; C < Changes; ++C)
            Copy[Random() % std::min(Reach, Copy.size())] = static_cast<uint8_t>(Random());
        Out.push_back(std::move(Copy));
    }
    for (size_t Cut : {size_t{0}, size_t{3}, size_t{40}, Source.size() / 2, Source.size() - 1})
        Out.emplace_back(Source.begin(), Source.begin() + static_cast<std::ptrdiff_t>(Cut));
    return Out;
}

// What FFmpeg's own decoder makes of File as 16-bit PCM.
inline std::vector<uint8_t> FFmpegDecode16(const TTempDir& Dir, const std::string& File)
{
    const std::string Raw = Dir.File("ffmpeg.raw");
    Shell("ffmpeg -v error -y -i " + Quote(File) + " -f s16le " + Quote(Raw));
    return ReadBytes(Raw);
}

} // namespace autest
