// SPDX-License-Identifier: GPL-3.0-or-later
// What every decoder must do, checked for each kind of file: one row per kind.
// The cases only one kind has are in that kind's own test file.
#include "DecoderTestUtil.h"
#include "StandInTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/decoders/FLACIn.h"
#include "audio/decoders/FlacBinding.h"
#include "audio/decoders/MACDllBinding.h"
#include "audio/decoders/MACIn.h"
#include "audio/decoders/MP3In.h"
#include "audio/decoders/TTAIn.h"
#include "audio/decoders/TTALibBinding.h"
#include "audio/decoders/VorbisBinding.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/decoders/WMFBinding.h"
#include "audio/decoders/WMIn.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// A codec library a kind needs, and the text its absence raises (none: the
// kind only fails to open).
struct TNeededLibrary {
    TLibraryBinding& (*Binding)();
    const char* Message;
};

struct TDecoderKind {
    const char* Name;
    std::function<std::unique_ptr<TAuFileIn>()> Make;
    // Makes a file of this kind in Dir from the fixture WAV Source ("tone-8000-8-1.wav").
    std::function<std::string(const TTempDir& Dir, const std::string& Source)> Encode;
    // What the kind's reference decoder makes of File, as 16-bit samples; none
    // for a lossless kind, which gives back the source's samples at their depth.
    std::function<std::vector<uint8_t>(const TTempDir& Dir, const std::string& File)> Reference;
    // Whether Size is the length decoding gives, rather than what the header states.
    bool SizeIsDecodedLength;
    std::vector<TNeededLibrary> Libraries;
};

const char* const Sources[] = {"tone-8000-8-1.wav", "tone-22050-16-1.wav", "tone-44100-16-2.wav",
                               "tone-48000-24-2.wav"};

std::string Fixture(const std::string& Name) { return FixturesDir() + "/" + Name; }

std::string Stem(const std::string& Source) { return Source.substr(0, Source.rfind('.')); }

// The rate, depth and channels a fixture's name gives ("tone-44100-16-2.wav").
struct TSourceFormat {
    int Rate, Bits, Channels;
};

TSourceFormat FormatOf(const std::string& Source)
{
    const size_t A = Source.find('-'), B = Source.find('-', A + 1), C = Source.find('-', B + 1);
    return {std::stoi(Source.substr(A + 1, B - A - 1)), std::stoi(Source.substr(B + 1, C - B - 1)),
            std::stoi(Source.substr(C + 1))};
}

std::function<std::string(const TTempDir&, const std::string&)> FFmpegEncoder(const std::string& Extension,
                                                                               const std::string& Arguments)
{
    return [=](const TTempDir& Dir, const std::string& Source) {
        const std::string File = Dir.File(Stem(Source) + Extension);
        Shell("ffmpeg -v error -y -i " + Quote(Fixture(Source)) + " " + Arguments + " " + Quote(File));
        return File;
    };
}

std::vector<uint8_t> OggDecReference(const TTempDir& Dir, const std::string& File)
{
    const std::string Raw = Dir.File("reference.raw");
    Shell("oggdec -Q -b 16 -e 0 -s 1 -R -o " + Quote(Raw) + " " + Quote(File));
    return ReadBytes(Raw);
}

const TDecoderKind Kinds[] = {
    {"flac", [] { return std::make_unique<TFLACIn>(); },
     [](const TTempDir& Dir, const std::string& Source) {
         const std::string File = Dir.File(Stem(Source) + ".flac");
         Shell("flac -s -f -o " + Quote(File) + " " + Quote(Fixture(Source)));
         return File;
     },
     nullptr, true, {{[]() -> TLibraryBinding& { return FlacLibrary(); }, "libFLAC.dll library could not be loaded."}}},
    {"vorbis", [] { return std::make_unique<TVorbisIn>(); },
     [](const TTempDir& Dir, const std::string& Source) {
         const std::string File = Dir.File(Stem(Source) + ".ogg");
         Shell("oggenc -Q -o " + Quote(File) + " " + Quote(Fixture(Source)));
         return File;
     },
     OggDecReference, true,
     // Each of the four must load, and the first one missing is named.
     {{OggLibrary, "ogg.dll library could not be loaded."},
      {VorbisLibrary, "vorbis.dll library could not be loaded."},
      {[]() -> TLibraryBinding& { return VorbisFileLibrary(); }, "vorbisfile.dll library could not be loaded."},
      {VorbisEncLibrary, "vorbisenc.dll library could not be loaded."}}},
    {"tta", [] { return std::make_unique<TTTAIn>(); }, FFmpegEncoder(".tta", "-c:a tta"), nullptr, true,
     {{[]() -> TLibraryBinding& { return TTALibLibrary(); }, "TTALib.dll library could not be loaded."}}},
    {"ape", [] { return std::make_unique<TMACIn>(); },
     [](const TTempDir&, const std::string& Source) { return Fixture(Stem(Source) + ".ape"); }, nullptr, true,
     {{[]() -> TLibraryBinding& { return MACDllLibrary(); }, "MACDll.dll library could not be loaded."}}},
    {"wma", [] { return std::make_unique<TWMIn>(); }, FFmpegEncoder(".wma", "-c:a wmav2"), FFmpegDecode16, false,
     {{[]() -> TLibraryBinding& { return WMFLibrary(); }, nullptr}}},
    {"mp3", [] { return std::make_unique<TMP3In>(); }, FFmpegEncoder(".mp3", "-c:a libmp3lame -b:a 32k"),
     FFmpegDecode16, false, {{[]() -> TLibraryBinding& { return WMFLibrary(); }, nullptr}}},
};

// What decoding File, of Kind and made from Source, must give.
std::vector<uint8_t> Expected(const TDecoderKind& Kind, const TTempDir& Dir, const std::string& File,
                              const std::string& Source)
{
    return Kind.Reference ? Kind.Reference(Dir, File) : WavData(Fixture(Source));
}

class DecoderConformance : public ::testing::TestWithParam<TDecoderKind> {
protected:
    TTempDir Dir;
};

// The next kind in the table that needs none of Kind's libraries.
const TDecoderKind& AnotherKind(const TDecoderKind& Kind)
{
    const size_t Count = std::size(Kinds);
    const size_t At = static_cast<size_t>(&Kind - Kinds);
    for (size_t Step = 1; Step < Count; ++Step) {
        const TDecoderKind& Other = Kinds[(At + Step) % Count];
        bool Shares = false;
        for (const TNeededLibrary& Mine : Kind.Libraries)
            for (const TNeededLibrary& Theirs : Other.Libraries)
                Shares = Shares || &Mine.Binding() == &Theirs.Binding();
        if (!Shares)
            return Other;
    }
    throw std::logic_error("every kind shares a library");
}

} // namespace

TEST_P(DecoderConformance, GivesTheReferenceSamplesInPiecesThatSplitFrames)
{
    const TDecoderKind& Kind = GetParam();
    for (const std::string Source : Sources) {
        const TSourceFormat Format = FormatOf(Source);
        const std::string File = Kind.Encode(Dir, Source);
        std::vector<uint8_t> Wanted = Expected(Kind, Dir, File, Source);
        const std::unique_ptr<TAuFileIn> In = Kind.Make();
        In->SetFileName(File);
        ASSERT_TRUE(In->Valid()) << Source;
        EXPECT_EQ(In->SampleRate(), Format.Rate) << Source;
        EXPECT_EQ(In->Channels(), Format.Channels) << Source;
        const int Bits = Kind.Reference ? 16 : Format.Bits;
        EXPECT_EQ(In->BitsPerSample(), Bits) << Source;
        In->Init();
        const int Frame = Bits / 8 * Format.Channels;
        EXPECT_EQ(In->FrameSize(), Frame) << Source;
        EXPECT_EQ(In->Size(), In->TotalSamples() * Frame) << Source;
        if (Kind.SizeIsDecodedLength) {
            EXPECT_EQ(In->Size(), static_cast<int64_t>(Wanted.size())) << Source;
        } else if (In->Size() > 0 && In->Size() < static_cast<int64_t>(Wanted.size())) {
            Wanted.resize(static_cast<size_t>(In->Size()));
        }
        // Pieces that are not whole frames: what is left of a frame or a block
        // waits for the next call, nothing buffered is lost at the end.
        EXPECT_EQ(PullAll(*In, 1000 * Frame + 1), Wanted) << Source;
        EXPECT_TRUE(In->EndOfData()) << Source;
        In->Flush();
    }
}

TEST_P(DecoderConformance, AMissingLibraryFailsWithItsMessageWhileOthersWorkAndIsPickedUpLater)
{
    const TDecoderKind& Kind = GetParam();
    const std::string Source = "tone-22050-16-1.wav";
    const std::string File = Kind.Encode(Dir, Source);
    const std::vector<uint8_t> Wanted = Expected(Kind, Dir, File, Source);
    const TDecoderKind& Other = AnotherKind(Kind);
    const std::string OtherFile = Other.Encode(Dir, Source);
    const std::vector<uint8_t> OtherWanted = Expected(Other, Dir, OtherFile, Source);
    for (const TNeededLibrary& Library : Kind.Libraries) {
        TLibraryBinding& Binding = Library.Binding();
        const std::vector<std::string> Real = Binding.FileNames();
        Binding.Forget();
        Binding.SetFileNames({Dir.File("absent.so")});
        const std::unique_ptr<TAuFileIn> In = Kind.Make();
        In->SetFileName(File);
        EXPECT_FALSE(In->Valid());
        if (Library.Message) {
            ExpectInitFails(*In, Library.Message);
        } else {
            EXPECT_THROW(In->Init(), EAuException);
            In->Reset();
        }
        const std::unique_ptr<TAuFileIn> OtherIn = Other.Make();
        ExpectDecodes(*OtherIn, OtherFile, OtherWanted);

        // A failed load is tried again at the next open.
        Binding.SetFileNames(Real);
        EXPECT_TRUE(In->Valid()) << Kind.Name;
        EXPECT_EQ(In->SampleRate(), 22050);
        ExpectDecodes(*In, File, Wanted);
    }
}

TEST_P(DecoderConformance, DamagedAndForeignFilesFailCleanly)
{
    const TDecoderKind& Kind = GetParam();
    const std::vector<uint8_t> Good = ReadBytes(Kind.Encode(Dir, "tone-44100-16-2.wav"));
    // Random changes, most of them in the header where sizes and tables come
    // from, and cuts.
    std::vector<std::vector<uint8_t>> Copies = Damaged(Good, 150, 64);
    for (const auto& [Count, Reach] : {std::pair{100, size_t{96}}, std::pair{100, Good.size()}})
        for (std::vector<uint8_t>& Copy : Damaged(Good, Count, Reach))
            Copies.push_back(std::move(Copy));
    for (const size_t Cut : {size_t{30}, size_t{60}, Good.size() / 3})
        Copies.emplace_back(Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(Cut));
    // Regular flips through the audio.
    using TFlips = std::tuple<size_t, size_t, uint8_t>; // from, step, mask
    for (const auto& [From, Step, Mask] : {TFlips{200, 97, 0xA5}, TFlips{200, 1009, 0xA5}, TFlips{100, 211, 0x3C}}) {
        std::vector<uint8_t> Flipped = Good;
        for (size_t I = From; I < Flipped.size(); I += Step)
            Flipped[I] ^= Mask;
        Copies.push_back(std::move(Flipped));
    }
    const std::string Text = "This is plain text, not audio at all.\n";
    Copies.emplace_back(Text.begin(), Text.end());
    for (size_t I = 0; I < Copies.size(); ++I) {
        const std::string File = Dir.File("damaged" + std::to_string(I));
        WriteBytes(File, Copies[I]);
        const std::unique_ptr<TAuFileIn> In = Kind.Make();
        OpenAndPull(*In, File);
    }
    const std::unique_ptr<TAuFileIn> Missing = Kind.Make();
    Missing->SetFileName(Dir.File("missing"));
    EXPECT_FALSE(Missing->Valid());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecoderConformance, ::testing::ValuesIn(Kinds),
                         [](const auto& Info) { return std::string(Info.param.Name); });
