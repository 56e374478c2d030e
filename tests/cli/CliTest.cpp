// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli from the outside: what a script sees.
#include "CliTestUtil.h"
#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace autest;

namespace {

// The fields of a WAV header that the tests look at.
struct TWavInfo {
    uint16_t Tag = 0, Channels = 0, Bits = 0, BlockAlign = 0;
    uint32_t Rate = 0, DataSize = 0, Fact = 0;
    size_t DataOffset = 0, FileSize = 0;
};

TWavInfo ReadWav(const std::string& Name)
{
    const std::vector<uint8_t> File = ReadBytes(Name);
    TWavInfo Info;
    Info.FileSize = File.size();
    size_t At = 12;
    while (At + 8 <= File.size()) {
        const std::string Id(File.begin() + At, File.begin() + At + 4);
        const uint32_t Size = LE32(File, At + 4);
        if (Id == "fmt ") {
            Info.Tag = LE16(File, At + 8);
            Info.Channels = LE16(File, At + 10);
            Info.Rate = LE32(File, At + 12);
            Info.BlockAlign = LE16(File, At + 20);
            Info.Bits = LE16(File, At + 22);
        } else if (Id == "fact") {
            Info.Fact = LE32(File, At + 8);
        } else if (Id == "data") {
            Info.DataSize = Size;
            Info.DataOffset = At + 8;
            break;
        }
        At += 8 + Size;
    }
    return Info;
}

int64_t RoundEven(long double V) { return static_cast<int64_t>(std::nearbyint(V)); }

// The bytes a conversion gives: the resampler scales the size by the ratio of
// its block sizes (rate div 5), the converter by the ratio of frame sizes, each
// cut to whole frames.
int64_t ExpectedSize(int64_t Frames, int InRate, int InBits, int InChannels, int OutRate, int OutBits,
                     int OutChannels)
{
    const int64_t InFrame = InBits / 8 * InChannels;
    const int64_t InSize = Frames * InFrame;
    int64_t Resampled =
        RoundEven(static_cast<long double>(InSize) * ((OutRate / 5) * InFrame) / ((InRate / 5) * InFrame));
    Resampled -= Resampled % InFrame;
    const int64_t Converted = RoundEven(static_cast<long double>(Resampled) * (OutBits * OutChannels) /
                                        (InBits * InChannels));
    return Converted - Converted % ((OutBits * OutChannels) >> 3);
}

} // namespace

TEST(Cli, UsageErrorsExitWithTwoAndAReason)
{
    TTempDir Dir;
    ExpectBadUsage(Dir, {"", "frobnicate", "convert", "convert -b 12 x.flac", "convert -r 7999 x.flac",
                         "convert -c quad x.flac", "convert -e mp3 x.flac", "convert -x x.flac", "convert -o",
                         "convert -j 0 x.flac", "convert -j two x.flac", "convert x.flac -j",
                         "convert --if-exists keep x.flac", "convert -e adpcm -b 24 x.flac"});
    // The reason names the depth asked for, in either order of the options.
    const TCliResult Adpcm = Cli(Dir, "convert -b 8 -e adpcm x.flac");
    EXPECT_EQ(Adpcm.Status, 2);
    EXPECT_NE(Adpcm.Out.find("not 8 bits"), std::string::npos) << Adpcm.Out;
    const TCliResult Help = Cli(Dir, "--help");
    EXPECT_EQ(Help.Status, 0);
    EXPECT_NE(Help.Out.find("Usage: kelvaro-cli convert"), std::string::npos);
}

namespace {

// One source of each input kind, with its format and the frames it decodes to.
struct TSource {
    std::string File;
    int Rate, Bits, Channels;
    int64_t Frames;
};

class CliGrid : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Dir = new TTempDir();
        WriteOneOfEachKind(Dir->File("in"));
        Sources = {{"stereo.flac", 44100, 16, 2, 0}, {"mono.ogg", 22050, 16, 1, 0}, {"voice.mp3", 22050, 16, 1, 0},
                   {"deep.tta", 48000, 24, 2, 0},    {"narrow.ape", 8000, 8, 1, 0}, {"example.wma", 44100, 16, 2, 0}};
        // The frames each decoder gives, from a conversion that changes nothing.
        for (TSource& Source : Sources) {
            const TCliResult R = Cli(*Dir, "convert -o ref -r " + std::to_string(Source.Rate) + " -b " +
                                            std::to_string(Source.Bits) + " -c keep -e pcm " +
                                            Quote(Dir->File("in/" + Source.File)));
            ASSERT_EQ(R.Status, 0) << R.Out;
            Source.Frames = ReadWav(Dir->File("ref/" + BaseName(Source.File) + ".wav")).DataSize /
                            (Source.Bits / 8) / Source.Channels;
            ASSERT_GT(Source.Frames, 0) << Source.File;
        }
    }

    static std::string BaseName(const std::string& File) { return File.substr(0, File.rfind('.')); }
    static void TearDownTestSuite()
    {
        delete Dir;
        Dir = nullptr;
    }

    static TTempDir* Dir;
    static std::vector<TSource> Sources;
};

TTempDir* CliGrid::Dir = nullptr;
std::vector<TSource> CliGrid::Sources;

} // namespace

// Every rate of the Option dialog, every depth, every channel choice and both
// encodings: the header says what was asked and the data is as long as the
// chain's sizes say.
TEST_F(CliGrid, EveryOptionGivesTheFormatAskedFor)
{
    const std::map<std::string, int> ChannelChoices = {{"keep", 0}, {"mono", 1}, {"stereo", 2}};
    for (int Rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000})
        for (int Bits : {8, 16, 24, 32})
            for (const auto& [Choice, Channels] : ChannelChoices)
                for (const std::string Encoding : {"pcm", "adpcm"}) {
                    const std::string Out = Dir->File("out");
                    std::filesystem::remove_all(Out);
                    const std::string Args = "convert -o out -r " + std::to_string(Rate) + " -b " +
                                             std::to_string(Bits) + " -c " + Choice + " -e " + Encoding + " in";
                    const TCliResult R = Cli(*Dir, Args);
                    const bool Adpcm = Encoding == "adpcm";
                    if (Adpcm && Bits != 16) {
                        EXPECT_EQ(R.Status, 2) << Args; // refused before any file is touched
                        EXPECT_FALSE(std::filesystem::exists(Out)) << Args;
                        continue;
                    }
                    ASSERT_EQ(R.Status, 0) << Args << "\n" << R.Out;
                    for (const TSource& Source : Sources) {
                        const TWavInfo Wav = ReadWav(Out + "/" + BaseName(Source.File) + ".wav");
                        const int OutChannels = Channels == 0 ? Source.Channels : Channels;
                        const std::string What = Args + " " + Source.File;
                        EXPECT_EQ(Wav.Tag, Adpcm ? 17 : 1) << What;
                        EXPECT_EQ(Wav.Channels, OutChannels) << What;
                        EXPECT_EQ(Wav.Rate, static_cast<uint32_t>(Rate)) << What;
                        EXPECT_EQ(Wav.Bits, Adpcm ? 4 : Bits) << What;
                        EXPECT_EQ(Wav.DataOffset + Wav.DataSize, Wav.FileSize) << What;
                        const int64_t Size = ExpectedSize(Source.Frames, Source.Rate, Source.Bits, Source.Channels,
                                                          Rate, Bits, OutChannels);
                        if (Adpcm) {
                            EXPECT_EQ(Wav.Fact, static_cast<uint32_t>(Size / 2 / OutChannels)) << What;
                            EXPECT_EQ(Wav.DataSize % Wav.BlockAlign, 0u) << What;
                        } else {
                            EXPECT_EQ(Wav.DataSize, static_cast<uint32_t>(Size)) << What;
                        }
                    }
                }
}

TEST_F(CliGrid, ALosslessFileInItsOwnFormatKeepsEverySample)
{
    struct TCase {
        const char* File;
        const char* Options;
        const char* Source;
    };
    for (const TCase& Case : {TCase{"stereo.flac", "-r 44100 -b 16", "tone-44100-16-2.wav"},
                              TCase{"deep.tta", "-r 48000 -b 24", "tone-48000-24-2.wav"},
                              TCase{"narrow.ape", "-r 8000 -b 8", "tone-8000-8-1.wav"}}) {
        const TCliResult R = Cli(*Dir, std::string("convert -o same -c keep -e pcm ") + Case.Options + " in/" + Case.File);
        ASSERT_EQ(R.Status, 0) << R.Out;
        EXPECT_EQ(ReadBytes(Dir->File("same/" + BaseName(Case.File) + ".wav")), ReadBytes(FixturesDir() + "/" + Case.Source))
            << Case.File;
    }
}

TEST(Cli, BadInputFailsClearlyWhileTheOtherFilesConvert)
{
    TTempDir Dir;
    Shell("flac -s -f -o " + Quote(Dir.File("good.flac")) + " " + Quote(FixturesDir() + "/tone-8000-8-1.wav"));
    WriteBytes(Dir.File("text.wma"), std::vector<uint8_t>(100, 'x'));
    std::vector<uint8_t> Damaged = ReadBytes(Dir.File("good.flac"));
    Damaged.resize(60);
    WriteBytes(Dir.File("damaged.flac"), Damaged);
    WriteBytes(Dir.File("notes.txt"), {'a'});
    const TCliResult R = Cli(Dir, "convert -o out missing.flac good.flac damaged.flac notes.txt");
    EXPECT_EQ(R.Status, 1) << R.Out;
    EXPECT_NE(R.Out.find("kelvaro-cli: missing.flac: no such file or folder"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: good.wav [Success]"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: damaged.wav [Failed]\n"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: notes.wav [Failed]\nNo decoder reads files of this kind.\n"),
              std::string::npos)
        << R.Out;
    EXPECT_GT(ReadBytes(Dir.File("out/good.wav")).size(), 44u);

    const TCliResult Ok = Cli(Dir, "convert -o out good.flac");
    EXPECT_EQ(Ok.Status, 0) << Ok.Out;
    EXPECT_NE(Ok.Out.find("Task Begin\n["), std::string::npos) << Ok.Out;
    EXPECT_NE(Ok.Out.find("Task End\n\n"), std::string::npos) << Ok.Out;
}

// What scripts lean on: the version, a run that prints only its failures, and
// "--" before a file whose name starts with a dash.
TEST(Cli, QuietRunsVersionAndFilesNamedLikeOptions)
{
    TTempDir Dir;
    Shell("flac -s -f -o " + Quote(Dir.File("-x.flac")) + " " + Quote(FixturesDir() + "/tone-8000-8-1.wav"));
    WriteBytes(Dir.File("damaged.flac"), std::vector<uint8_t>(60, 'x'));
    const TCliResult Quiet = Cli(Dir, "convert -q -o out -- -x.flac damaged.flac missing.flac", "errors.txt");
    EXPECT_EQ(Quiet.Status, 1);
    EXPECT_EQ(Quiet.Out, "");
    EXPECT_GT(ReadBytes(Dir.File("out/-x.wav")).size(), 44u);
    const std::string Errors = Text(Dir.File("errors.txt"));
    EXPECT_EQ(std::count(Errors.begin(), Errors.end(), '\n'), 2) << Errors;
    EXPECT_NE(Errors.find("kelvaro-cli: missing.flac: no such file or folder\n"), std::string::npos) << Errors;
    EXPECT_NE(Errors.find("kelvaro-cli: damaged.flac: "), std::string::npos) << Errors;

    const TCliResult Info = Cli(Dir, "info -- -x.flac");
    EXPECT_EQ(Info.Status, 0) << Info.Out;
    EXPECT_NE(Info.Out.find("-x.flac"), std::string::npos) << Info.Out;
    // After "--", "--help" is a file like any other.
    EXPECT_EQ(Cli(Dir, "convert -o out -- --help").Status, 1);
    ExpectBadUsage(Dir, {"convert -o out -x.flac", "play -x.flac", "watch --in . --out out --log . --loud"});

    const TCliResult Version = Cli(Dir, "--version");
    EXPECT_EQ(Version.Status, 0);
    EXPECT_EQ(Version.Out.rfind("kelvaro-cli ", 0), 0u) << Version.Out;
}

TEST(Cli, FilesThatCannotBeReadFailAsTheirUserSeesThem)
{
    TTempDir Dir;
    if (RunCommand("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "setpriv is not installed";
    Shell("flac -s -f -o " + Quote(Dir.File("good.flac")) + " " + Quote(FixturesDir() + "/tone-8000-8-1.wav"));
    Shell("cp " + Quote(Dir.File("good.flac")) + " " + Quote(Dir.File("secret.flac")));
    std::filesystem::create_directories(Dir.File("closed"));
    std::filesystem::create_directories(Dir.File("out"));
    Shell("chmod 755 " + Quote(Dir.Path()) + " && chmod 777 " + Quote(Dir.File("out")) + " && chmod 000 " +
          Quote(Dir.File("secret.flac")) + " " + Quote(Dir.File("closed")));
    std::string Out;
    const int Status = RunCommand("cd '" + Dir.Path() + "' && XDG_CONFIG_HOME='" + Dir.Path() +
                                      "/config' setpriv --reuid=65534 --regid=65534 --clear-groups '" +
                                      au::ProgramFolder() + "/kelvaro-cli' convert -o out good.flac secret.flac closed 2>&1",
                                  &Out);
    EXPECT_EQ(Status, 1) << Out;
    EXPECT_NE(Out.find("kelvaro-cli: closed: the folder cannot be read"), std::string::npos) << Out;
    EXPECT_NE(Out.find("]Convert to: good.wav [Success]"), std::string::npos) << Out;
    EXPECT_NE(Out.find("]Convert to: secret.wav [Failed]"), std::string::npos) << Out;
}
