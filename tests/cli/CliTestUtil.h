// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace autest {

struct TCliResult {
    int Status = -1;
    std::string Out;
};

// Runs kelvaro-cli with Arguments in Dir, with a settings folder of its own and
// no terminal. Out is its standard output; standard error goes to ErrorsTo (a
// shell redirection target), by default into Out as well.
inline TCliResult Cli(const TTempDir& Dir, const std::string& Arguments, const std::string& ErrorsTo = "&1")
{
    TCliResult Result;
    Result.Status = RunCommand("cd '" + Dir.Path() + "' && XDG_CONFIG_HOME='" + Dir.Path() + "/config' '" +
                                   au::ProgramFolder() + "/kelvaro-cli' " + Arguments + " 2>" + ErrorsTo,
                               &Result.Out);
    return Result;
}

// Each of the Calls is bad usage: exit status 2 and a single line of error that
// names the program.
inline void ExpectBadUsage(const TTempDir& Dir, std::initializer_list<const char*> Calls)
{
    for (const char* Bad : Calls) {
        const TCliResult R = Cli(Dir, Bad);
        EXPECT_EQ(R.Status, 2) << Bad;
        EXPECT_EQ(R.Out.rfind("kelvaro-cli: ", 0), 0u) << Bad << ": " << R.Out;
        EXPECT_EQ(std::count(R.Out.begin(), R.Out.end(), '\n'), 1) << Bad << ": " << R.Out;
    }
}

// Polls Done every Interval milliseconds for up to Seconds; returns Done().
inline bool WaitFor(const std::function<bool()>& Done, int Seconds, int Interval = 20)
{
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > Deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(Interval));
    }
    return true;
}

// One file of each kind the program reads, made in Folder from the shared
// test audio: stereo.flac, mono.ogg, voice.mp3, deep.tta, narrow.ape and
// example.wma.
inline void WriteOneOfEachKind(const std::string& Folder)
{
    const std::string Fixtures = FixturesDir() + "/";
    const auto In = [&](const std::string& Name) { return Quote(Folder + "/" + Name); };
    Shell("mkdir -p " + Quote(Folder));
    Shell("flac -s -f -o " + In("stereo.flac") + " " + Quote(Fixtures + "tone-44100-16-2.wav"));
    Shell("oggenc -Q -o " + In("mono.ogg") + " " + Quote(Fixtures + "tone-22050-16-1.wav"));
    Shell("ffmpeg -v error -i " + Quote(Fixtures + "tone-22050-16-1.wav") + " -c:a libmp3lame " + In("voice.mp3"));
    Shell("ffmpeg -v error -i " + Quote(Fixtures + "tone-48000-24-2.wav") + " -c:a tta " + In("deep.tta"));
    Shell("cp " + Quote(Fixtures + "tone-8000-8-1.ape") + " " + In("narrow.ape"));
    Shell("cp " + Quote(au::ProgramFolder() + "/Example.wma") + " " + In("example.wma"));
}

inline std::string Text(const std::string& File)
{
    const std::vector<uint8_t> Bytes = ReadBytes(File);
    return std::string(Bytes.begin(), Bytes.end());
}

} // namespace autest
