// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli play against the tests' private sound server.
#include "audio/decoders/DecoderTestUtil.h"
#include "audio/playback/SoundServer.h"
#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

using namespace autest;

namespace {

std::string Cli() { return "'" + au::ProgramFolder() + "/kelvaro-cli'"; }

double Rms(const std::vector<int16_t>& Samples, size_t From, size_t To, size_t Channel)
{
    double Sum = 0;
    size_t Count = 0;
    for (size_t I = From * 2 + Channel; I < To * 2 && I < Samples.size(); I += 2, ++Count)
        Sum += static_cast<double>(Samples[I]) * Samples[I];
    return Count == 0 ? 0 : std::sqrt(Sum / Count);
}

} // namespace

TEST(CliPlay, PlaysTheWholeFileAndEnds)
{
    TTempDir Dir;
    const std::string Flac = Dir.File("tone.flac");
    Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(FixturesDir() + "/tone-44100-16-2.wav"));
    TMonitorRecorder Recorder;
    std::string Out;
    EXPECT_EQ(RunCommand(Cli() + " play " + Quote(Flac) + " </dev/null 2>&1", &Out), 0) << Out;
    const std::vector<int16_t> Samples = Recorder.Finish();
    // Find the tone and check both channels carry it at about -3 dB (RMS half of full scale).
    size_t Start = 0;
    while (Start * 2 + 1 < Samples.size() && std::abs(Samples[Start * 2]) < 1000)
        ++Start;
    ASSERT_LT(Start + 44100, Samples.size() / 2) << "no tone recorded";
    EXPECT_NEAR(Rms(Samples, Start + 1000, Start + 43000, 0), 16384, 1500);
    EXPECT_NEAR(Rms(Samples, Start + 1000, Start + 43000, 1), 16384, 1500);
    EXPECT_LT(Rms(Samples, Start + 45000, Samples.size() / 2, 0), 50);
}

TEST(CliPlay, QStopsPlaybackOnATerminal)
{
    TTempDir Dir;
    const std::string Flac = Dir.File("long.flac");
    Shell("sox -n -r 44100 -b 16 -c 2 " + Quote(Flac) + " synth 20 sine 440 gain -6");
    const auto Begin = std::chrono::steady_clock::now();
    std::string Out;
    // script gives the player a terminal; the q arrives after half a second.
    const int Status = RunCommand("(sleep 0.5; printf q; sleep 5) | script -qefc \"" + Cli() + " play " + Quote(Flac) +
                                      "\" /dev/null 2>&1",
                                  &Out);
    const auto Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Begin).count();
    EXPECT_EQ(Status, 0) << Out;
    EXPECT_LT(Seconds, 15.0);
    EXPECT_NE(Out.find("Playing long.flac"), std::string::npos) << Out;
}

TEST(CliPlay, FilesThatCannotPlayFailClearly)
{
    TTempDir Dir;
    WriteBytes(Dir.File("text.flac"), std::vector<uint8_t>(100, 'x'));
    WriteBytes(Dir.File("notes.txt"), {'a'});
    for (const std::string& Name : {Dir.File("missing.flac"), Dir.File("text.flac"), Dir.File("notes.txt")}) {
        std::string Out;
        EXPECT_EQ(RunCommand(Cli() + " play " + Quote(Name) + " </dev/null 2>&1", &Out), 1) << Name;
        EXPECT_EQ(Out.rfind("kelvaro-cli: " + Name + ": ", 0), 0u) << Out;
    }
    std::string Out;
    EXPECT_EQ(RunCommand(Cli() + " play 2>&1", &Out), 2) << Out;
}

TEST(CliPlay, WithoutASoundServerThereIsNoDevice)
{
    TTempDir Dir;
    const std::string Flac = Dir.File("tone.flac");
    Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(FixturesDir() + "/tone-8000-8-1.wav"));
    std::string Out;
    EXPECT_EQ(RunCommand("PULSE_SERVER=unix:" + Dir.File("none") + " " + Cli() + " play " + Quote(Flac) +
                             " </dev/null 2>&1",
                         &Out),
              1);
    EXPECT_NE(Out.find("Invalid device number"), std::string::npos) << Out;
    EXPECT_NE(Out.find("This file cannot be played."), std::string::npos) << Out;
    EXPECT_NE(Out.find("the sound server cannot be reached (Connection refused)"), std::string::npos) << Out;
}
