// SPDX-License-Identifier: GPL-3.0-or-later
// Files of every input kind, and what ffprobe says of a file, for the tests
// that check the program's own description of a file against a peer's.
#pragma once

#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace autest {

// ffprobe's view of a file's first audio stream and of its container. Numbers
// ffprobe leaves out ("N/A") read 0.
struct TPeerFacts {
    int SampleRate = 0;
    int Channels = 0;
    int RawBits = 0; // the coded depth of lossless streams
    double Duration = 0; // seconds
    int64_t StreamBitrate = 0; // bit/s, as the stream's header states it
    int64_t FormatBitrate = 0; // bit/s, the file's size over its duration
};

inline TPeerFacts PeerFacts(const std::string& File)
{
    std::string Out;
    RunCommand("ffprobe -v error -select_streams a:0 -show_entries "
               "stream=sample_rate,channels,bits_per_raw_sample,bit_rate:format=duration,bit_rate -of flat " +
                   Quote(File),
               &Out);
    std::map<std::string, std::string> Values;
    size_t At = 0;
    while (At < Out.size()) {
        const size_t End = std::min(Out.find('\n', At), Out.size());
        const std::string Line = Out.substr(At, End - At);
        At = End + 1;
        const size_t Eq = Line.find('=');
        if (Eq == std::string::npos)
            continue;
        std::string Value = Line.substr(Eq + 1);
        if (Value.size() >= 2 && Value.front() == '"')
            Value = Value.substr(1, Value.size() - 2);
        Values[Line.substr(0, Eq)] = Value;
    }
    const auto Number = [&](const std::string& Key) {
        const std::string& Text = Values[Key];
        return Text.empty() || Text == "N/A" ? 0.0 : std::stod(Text);
    };
    TPeerFacts Facts;
    Facts.SampleRate = static_cast<int>(Number("streams.stream.0.sample_rate"));
    Facts.Channels = static_cast<int>(Number("streams.stream.0.channels"));
    Facts.RawBits = static_cast<int>(Number("streams.stream.0.bits_per_raw_sample"));
    Facts.StreamBitrate = static_cast<int64_t>(Number("streams.stream.0.bit_rate"));
    Facts.Duration = Number("format.duration");
    Facts.FormatBitrate = static_cast<int64_t>(Number("format.bit_rate"));
    return Facts;
}

// One file of each of the six kinds the program reads, in Dir, made from the
// shared test audio by the codecs' own tools (the Monkey's Audio one is copied).
// Returns their paths.
inline std::vector<std::string> MakeOneOfEachKind(const TTempDir& Dir)
{
    const std::string Fixtures = FixturesDir() + "/";
    const std::string Stereo = Quote(Fixtures + "tone-44100-16-2.wav");
    const std::string Mono = Quote(Fixtures + "tone-22050-16-1.wav");
    const std::string Deep = Quote(Fixtures + "tone-48000-24-2.wav");
    const std::vector<std::string> Files = {Dir.File("deep.flac"), Dir.File("mono.ogg"), Dir.File("voice.mp3"),
                                            Dir.File("deep.tta"),  Dir.File("narrow.ape"), Dir.File("stereo.wma")};
    Shell("flac -s -f -o " + Quote(Files[0]) + " " + Deep);
    Shell("oggenc -Q -o " + Quote(Files[1]) + " " + Mono);
    Shell("ffmpeg -v error -y -i " + Mono + " -c:a libmp3lame " + Quote(Files[2]));
    Shell("ffmpeg -v error -y -i " + Deep + " -c:a tta " + Quote(Files[3]));
    Shell("cp " + Quote(Fixtures + "tone-8000-8-1.ape") + " " + Quote(Files[4]));
    Shell("ffmpeg -v error -y -i " + Stereo + " -c:a wmav2 " + Quote(Files[5]));
    return Files;
}

// What the program says of a file, in the units of the list and of "info --json".
struct TDescription {
    std::string Length; // "m:ss"
    int SampleRate = 0;
    int BitsPerSample = 0;
    int Channels = 0;
    std::optional<int> BitrateKbps;
};

// Seconds of an "m:ss" text; -1 when the text is not of that form.
inline int LengthSeconds(const std::string& Text)
{
    const size_t Colon = Text.find(':');
    if (Colon == std::string::npos || Colon == 0 || Text.size() != Colon + 3 ||
        Text.find_first_not_of("0123456789", Colon + 1) != std::string::npos ||
        Text.find_first_not_of("0123456789") != Colon || Text[Colon + 1] > '5')
        return -1;
    return std::stoi(Text.substr(0, Colon)) * 60 + std::stoi(Text.substr(Colon + 1));
}

// Described agrees with what ffprobe says of File: the same rate and channels,
// the length to the second, lossless kinds their coded depth and lossy ones 16
// bits (what their decoders give), and the bit rate each kind states.
inline void ExpectAgreesWithPeer(const std::string& File, const TDescription& Described)
{
    SCOPED_TRACE(File);
    const TPeerFacts Peer = PeerFacts(File);
    const int Seconds = LengthSeconds(Described.Length);
    EXPECT_GE(Seconds, 0) << Described.Length;
    EXPECT_LT(std::abs(Seconds - Peer.Duration), 1.0) << Described.Length;
    EXPECT_EQ(Described.SampleRate, Peer.SampleRate);
    EXPECT_EQ(Described.BitsPerSample, Peer.RawBits != 0 ? Peer.RawBits : 16);
    EXPECT_EQ(Described.Channels, Peer.Channels);
    const std::string Kind = File.substr(File.rfind('.'));
    if (Kind == ".flac" || Kind == ".tta") {
        EXPECT_FALSE(Described.BitrateKbps.has_value());
        return;
    }
    ASSERT_TRUE(Described.BitrateKbps.has_value());
    if (Kind == ".ape") // the component's average over the whole file
        EXPECT_LT(std::abs(*Described.BitrateKbps * int64_t{1000} - Peer.FormatBitrate), 1000);
    else // the header's bit rate, halves to the even neighbour
        EXPECT_EQ(*Described.BitrateKbps, static_cast<int>(std::nearbyint(Peer.StreamBitrate / 1000.0)));
}

} // namespace autest
