// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli info, and the guide and protected files a new user meets.
#include "CliTestUtil.h"
#include "audio/decoders/AsfTestUtil.h"
#include "support/PeerProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace autest;

namespace {

QString Q(const std::string& Text) { return QString::fromStdString(Text); }

std::string ArgumentList(const std::vector<std::string>& Files)
{
    std::string List;
    for (const std::string& File : Files)
        List += " " + Quote(File);
    return List;
}

// Standard output of "info --json" for Files, split into parsed lines; every
// line must be one JSON object, and there must be one per file, in order.
std::vector<QJsonObject> InfoJson(const TTempDir& Dir, const std::vector<std::string>& Files, int ExpectedStatus)
{
    const TCliResult R = Cli(Dir, "info --json" + ArgumentList(Files), "/dev/null");
    EXPECT_EQ(R.Status, ExpectedStatus) << R.Out;
    std::vector<QJsonObject> Lines;
    const QList<QByteArray> Texts = QByteArray::fromStdString(R.Out).split('\n');
    EXPECT_TRUE(Texts.last().isEmpty()) << "the last line ends in a line feed";
    for (qsizetype I = 0; I + 1 < Texts.size(); ++I) {
        QJsonParseError Error{};
        const QJsonDocument Document = QJsonDocument::fromJson(Texts[I], &Error);
        EXPECT_EQ(Error.error, QJsonParseError::NoError) << Texts[I].toStdString();
        EXPECT_TRUE(Document.isObject()) << Texts[I].toStdString();
        Lines.push_back(Document.object());
    }
    EXPECT_EQ(Lines.size(), Files.size()) << R.Out;
    for (size_t I = 0; I < std::min(Lines.size(), Files.size()); ++I)
        EXPECT_EQ(Lines[I].value("file").toString(), Q(Files[I]));
    return Lines;
}

// What a line says of a file that could not be read.
void ExpectNotValid(const QJsonObject& Line)
{
    const std::string File = Line.value("file").toString().toStdString();
    EXPECT_EQ(Line.value("valid"), QJsonValue(false)) << File;
    EXPECT_EQ(Line.value("length"), QJsonValue(QString())) << File;
    for (const char* Number : {"sample_rate", "bits_per_sample", "channels"})
        EXPECT_EQ(Line.value(QLatin1String(Number)), QJsonValue(0)) << File << " " << Number;
    EXPECT_TRUE(Line.value("bitrate_kbps").isNull()) << File;
    EXPECT_TRUE(Line.value("duration_seconds").isNull()) << File;
    EXPECT_FALSE(Line.value("error").toString().isEmpty()) << File;
    EXPECT_EQ(Line.value("tags"), QJsonValue(QJsonObject())) << File;
}

TDescription Described(const QJsonObject& Line)
{
    TDescription D;
    D.Length = Line.value("length").toString().toStdString();
    D.SampleRate = Line.value("sample_rate").toInt();
    D.BitsPerSample = Line.value("bits_per_sample").toInt();
    D.Channels = Line.value("channels").toInt();
    if (!Line.value("bitrate_kbps").isNull())
        D.BitrateKbps = Line.value("bitrate_kbps").toInt(-1);
    return D;
}

} // namespace

TEST(CliInfo, BadUsageExitsWithTwoAndHelpWithZero)
{
    TTempDir Dir;
    ExpectBadUsage(Dir, {"info", "info --json", "info --jsn x.flac", "info -x x.flac"});
    const TCliResult Help = Cli(Dir, "info --json --help");
    EXPECT_EQ(Help.Status, 0);
    EXPECT_NE(Help.Out.find("kelvaro-cli info [--json] FILE..."), std::string::npos) << Help.Out;
}

TEST(CliInfo, JsonOfEveryKindAgreesWithFFprobe)
{
    TTempDir Dir;
    std::vector<std::string> Files = MakeOneOfEachKind(Dir);
    // A name that JSON must escape, given relative to the working folder.
    const std::string Odd = "qu\"ote \\ näme.flac";
    std::filesystem::copy_file(Files[0], Dir.File(Odd));
    Files.push_back(Odd);
    const std::vector<QJsonObject> Lines = InfoJson(Dir, Files, 0);
    ASSERT_EQ(Lines.size(), Files.size());
    EXPECT_EQ(InfoJson(Dir, {au::ProgramFolder() + "/Example.wma"}, 0).at(0).value("duration_seconds"),
              QJsonValue(3.018));
    for (size_t I = 0; I < Files.size(); ++I) {
        const QJsonObject& Line = Lines[I];
        const std::string Path = Files[I][0] == '/' ? Files[I] : Dir.File(Files[I]);
        EXPECT_EQ(Line.value("valid"), QJsonValue(true)) << Path;
        EXPECT_FALSE(Line.contains("error")) << Path;
        EXPECT_EQ(Line.value("size").toString(), QStringLiteral("%1 KB").arg(std::filesystem::file_size(Path) / 1024 + 1));
        // The numbers beside the texts, for scripts.
        EXPECT_EQ(Line.value("size_bytes"), QJsonValue(static_cast<qint64>(std::filesystem::file_size(Path)))) << Path;
        // To the millisecond, as ffprobe counts it.
        EXPECT_NEAR(Line.value("duration_seconds").toDouble(), PeerFacts(Path).Duration, 0.0005) << Path;
        EXPECT_TRUE(Line.value("sample_rate").isDouble() && Line.value("channels").isDouble() &&
                    Line.value("bits_per_sample").isDouble());
        ExpectAgreesWithPeer(Path, Described(Line));
        // Files made by the codecs' tools carry no tags of their own.
        EXPECT_EQ(Line.value("tags"), QJsonValue(QJsonObject())) << Path;
    }
}

TEST(CliInfo, TagsOfEveryKindAsThePeerToolsWroteThem)
{
    TTempDir Dir;
    const std::vector<std::string> Kinds = MakeOneOfEachKind(Dir);
    const std::string Fixtures = FixturesDir() + "/";
    const auto Copy = [&](const std::string& From, const std::string& Name) {
        std::filesystem::copy_file(From, Dir.File(Name));
        return Name;
    };
    // TrueAudio reads both ID3 versions from the file itself.
    const std::string Utf16 = Copy(Kinds[3], "utf16.tta");
    Shell("cd " + Quote(Dir.Path()) + " && eyeD3 --to-v2.3 --encoding utf16 -t 'Café ♫ 🎵' -a 'Zoë' -A 'Album' " +
          Utf16 + " && eyeD3 --v1 -t 'Café' -a 'Zoë' -A 'Album' -Y 1999 -n 3 -G Jazz " + Utf16);
    const std::string Utf8 = Copy(Kinds[3], "utf8.tta");
    Shell("cd " + Quote(Dir.Path()) + " && eyeD3 --to-v2.4 --encoding utf8 -t 'Ünïcode ✓' -a 'Zoë' -A 'Ålbum' " + Utf8);
    // FLAC and Ogg Vorbis comments.
    const std::string Flac = "tagged.flac";
    Shell("cd " + Quote(Dir.Path()) + " && flac -s -f -T 'TITLE=Ünïcode ✓' -T ARTIST=Zoë -T DATE=2020 -T TRACKNUMBER=4 " +
          "-T 'REPLAYGAIN_TRACK_GAIN=-3.50 dB' -o " + Flac + " " + Quote(Fixtures + "tone-8000-8-1.wav"));
    const std::string Ogg = "tagged.ogg";
    Shell("cd " + Quote(Dir.Path()) + " && oggenc -Q -t 'Ünïcode ✓' -a Zoë -l Album -d 2021 -N 5 -G Jazz -o " + Ogg +
          " " + Quote(Fixtures + "tone-22050-16-1.wav"));
    // Windows Media attributes arrive as the ID3v2 kind.
    const std::string Wma = "tagged.wma";
    Shell("cd " + Quote(Dir.Path()) + " && ffmpeg -v error -i " + Quote(Fixtures + "tone-22050-16-1.wav") +
          " -metadata 'title=Ünïcode ✓' -metadata artist=Zoë -metadata album=Album -metadata genre=Jazz " +
          "-metadata track=6 -metadata date=2002 -c:a wmav2 " + Wma);
    // Monkey's Audio: the component gives an ID3v1 record (Latin-1, 30 bytes);
    // an APEv2 tag's own items, in full, win over it.
    const std::string Ape = Fixtures + "tagged-id3v1.ape";
    const std::string Apev2 = Copy(Kinds[4], "utf8.ape");
    Shell("cd " + Quote(Dir.Path()) + " && /usr/bin/python3 -c \"from mutagen.apev2 import APEv2; t = APEv2(); "
          "t['Title'] = 'Ein Titel von mehr als dreißig Bytes ♫'; t['Artist'] = ['Zoë', 'Ann']; "
          "t['Year'] = '1999'; t.save('" + Apev2 + "')\"");

    const std::vector<QJsonObject> Lines = InfoJson(Dir, {Utf16, Utf8, Flac, Ogg, Wma, Ape, Apev2}, 0);
    ASSERT_EQ(Lines.size(), 7u);
    const auto Tags = [](const char* Json) { return QJsonDocument::fromJson(QByteArray(Json)).object(); };
    EXPECT_EQ(Lines[0].value("tags").toObject(),
              Tags(R"({"id3v2": {"Title": "Café ♫ 🎵", "Artist": "Zoë", "Album": "Album"},
                       "id3v1": {"Title": "Café", "Artist": "Zoë", "Album": "Album", "Year": 1999, "Track": 3,
                                 "Genre": "Jazz"}})"));
    EXPECT_EQ(Lines[1].value("tags").toObject(),
              Tags(R"({"id3v2": {"Title": "Ünïcode ✓", "Artist": "Zoë", "Album": "Ålbum"}})"));
    EXPECT_EQ(Lines[2].value("tags").toObject(),
              Tags(R"({"vorbis": {"Title": "Ünïcode ✓", "Artist": "Zoë", "Date": "2020", "Track": "4",
                                  "TrackGain": "-3.50 dB"}})"));
    EXPECT_EQ(Lines[3].value("tags").toObject(),
              Tags(R"({"vorbis": {"Title": "Ünïcode ✓", "Artist": "Zoë", "Album": "Album", "Date": "2021",
                                  "Track": "5", "Genre": "Jazz"}})"));
    EXPECT_EQ(Lines[4].value("tags").toObject(),
              Tags(R"({"id3v2": {"Title": "Ünïcode ✓", "Artist": "Zoë", "Album": "Album", "Genre": "Jazz",
                                 "Track": "6", "Year": "2002"}})"));
    // As the fixture's description gives the block.
    EXPECT_EQ(Lines[5].value("tags").toObject(),
              Tags(R"({"apev2": {"Title": "Tone Title", "Artist": "Some Artist", "Album": "Test Album",
                                 "Year": "2024", "Comment": "a comment"}})"));
    EXPECT_EQ(Lines[6].value("tags").toObject(),
              Tags(R"({"apev2": {"Title": "Ein Titel von mehr als dreißig Bytes ♫", "Artist": "Zoë",
                                 "Year": "1999"}})"));
}

// WAV files as other programs lay them out, and as convert writes them with
// tags: what info says is what ffprobe says.
TEST(CliInfo, WaveFilesOfEveryLayoutAgreeWithFFprobe)
{
    TTempDir Dir;
    const std::string Stereo = Quote(FixturesDir() + "/tone-44100-16-2.wav");
    const std::string Cd = Dir.File("cd.wav"), Rf64 = Dir.File("long.wav"), Float = Dir.File("float.wav"),
                      Ima = Dir.File("ima.wav");
    Shell("ffmpeg -v error -i " + Stereo + " -metadata 'title=Ünïcode ✓' " + Quote(Cd));
    Shell("ffmpeg -v error -i " + Stereo + " -c:a pcm_s24le -rf64 always " + Quote(Rf64));
    Shell("ffmpeg -v error -i " + Stereo + " -c:a pcm_f32le -ac 1 -ar 22050 " + Quote(Float));
    Shell("sox " + Stereo + " -e ima-adpcm " + Quote(Ima));
    const std::string Flac = Dir.File("tagged.flac");
    Shell("flac -s -f -T TITLE=Zoë -T ARTIST=Them -o " + Quote(Flac) + " " + Stereo);
    ASSERT_EQ(Cli(Dir, "convert -q --tags -o " + Quote(Dir.Path()) + " " + Quote(Flac)).Status, 0);
    const std::vector<std::string> Files = {Cd, Rf64, Float, Ima, Dir.File("tagged.wav")};

    const std::vector<QJsonObject> Lines = InfoJson(Dir, Files, 0);
    ASSERT_EQ(Lines.size(), Files.size());
    for (size_t I = 0; I < Files.size(); ++I) {
        SCOPED_TRACE(Files[I]);
        const QJsonObject& Line = Lines[I];
        const TPeerFacts Peer = PeerFacts(Files[I]);
        std::string Bits;
        RunCommand("ffprobe -v error -show_entries stream=bits_per_sample -of csv=p=0 " + Quote(Files[I]), &Bits);
        EXPECT_EQ(Line.value("valid"), QJsonValue(true));
        EXPECT_EQ(Line.value("sample_rate").toInt(), Peer.SampleRate);
        EXPECT_EQ(Line.value("channels").toInt(), Peer.Channels);
        EXPECT_EQ(Line.value("bits_per_sample").toInt(), std::stoi(Bits));
        EXPECT_EQ(Line.value("bitrate_kbps").toInt(), static_cast<int>(std::nearbyint(Peer.StreamBitrate / 1000.0)));
        EXPECT_NEAR(Line.value("duration_seconds").toDouble(), Peer.Duration, 0.0005);
    }
    EXPECT_EQ(Lines[0].value("tags").toObject().value("info").toObject().value("INAM"), QJsonValue("Ünïcode ✓"));
    EXPECT_EQ(Lines[4].value("tags").toObject().value("info").toObject(),
              QJsonDocument::fromJson(R"({"INAM": "Zoë", "IART": "Them"})").object());
}

// Every file of the shared test audio, the broken ones included, answers with
// exactly one line, and the lines of files that cannot be read say so in full.
TEST(CliInfo, EveryTestFileAnswersWithOneJsonLine)
{
    TTempDir Dir;
    std::vector<std::string> Files;
    for (const std::string& Folder : {FixturesDir(), FixturesDir() + "/wild"})
        for (const auto& Entry : std::filesystem::directory_iterator(Folder))
            if (Entry.is_regular_file())
                Files.push_back(Entry.path().string());
    std::sort(Files.begin(), Files.end());
    ASSERT_GT(Files.size(), 40u);
    // Not every test file can be read (README.md, broken ones).
    const std::vector<QJsonObject> Lines = InfoJson(Dir, Files, 1);
    ASSERT_EQ(Lines.size(), Files.size());
    int Valid = 0;
    for (const QJsonObject& Line : Lines) {
        const std::string File = Line.value("file").toString().toStdString();
        EXPECT_TRUE(Line.value("size").toString().endsWith(QStringLiteral(" KB"))) << File;
        EXPECT_TRUE(Line.value("tags").isObject()) << File;
        if (!Line.value("valid").toBool()) {
            ExpectNotValid(Line);
            continue;
        }
        ++Valid;
        EXPECT_FALSE(Line.contains("error")) << File;
        EXPECT_GE(LengthSeconds(Line.value("length").toString().toStdString()), 0) << File;
        // A file the program reads, ffprobe reads with the same rate and channels.
        const TPeerFacts Peer = PeerFacts(File);
        EXPECT_EQ(Line.value("sample_rate").toInt(), Peer.SampleRate) << File;
        EXPECT_EQ(Line.value("channels").toInt(), Peer.Channels) << File;
        EXPECT_GT(Line.value("bits_per_sample").toInt(), 0) << File;
    }
    EXPECT_GE(Valid, 30);
}

// A path where there is no file has no size at all, as text or as a number,
// while an empty file has 0 bytes.
TEST(CliInfo, AMissingFileHasNoSize)
{
    TTempDir Dir;
    WriteBytes(Dir.File("empty.flac"), {});
    const std::vector<QJsonObject> Lines = InfoJson(Dir, {"gone.flac", "empty.flac"}, 1);
    ASSERT_EQ(Lines.size(), 2u);
    ExpectNotValid(Lines[0]);
    EXPECT_EQ(Lines[0].value("size"), QJsonValue(QString()));
    EXPECT_TRUE(Lines[0].value("size_bytes").isNull());
    ExpectNotValid(Lines[1]);
    EXPECT_EQ(Lines[1].value("size_bytes"), QJsonValue(0));
    const TCliResult Text = Cli(Dir, "info gone.flac");
    EXPECT_NE(Text.Out.find("\nSize:\n"), std::string::npos) << Text.Out;
}

TEST(CliInfo, TextBlocksGiveEveryColumnByItsCaption)
{
    TTempDir Dir;
    Shell("flac -s -f -o " + Quote(Dir.File("good.flac")) + " " + Quote(FixturesDir() + "/tone-22050-16-1.wav"));
    WriteBytes(Dir.File("text.ogg"), std::vector<uint8_t>(100, 'x'));
    const TCliResult R = Cli(Dir, "info good.flac text.ogg", "/dev/null");
    EXPECT_EQ(R.Status, 1);
    const QStringList Blocks = Q(R.Out).split(QStringLiteral("\n\n"));
    ASSERT_EQ(Blocks.size(), 2) << R.Out;
    const auto Field = [](const QString& Block, const QString& Caption) {
        const QRegularExpression Line(QStringLiteral("^") + QRegularExpression::escape(Caption) + QStringLiteral(": *(.*)$"),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch Match = Line.match(Block);
        return Match.hasMatch() ? Match.captured(1) : QStringLiteral("<none>");
    };
    EXPECT_EQ(Field(Blocks[0], "Name"), QStringLiteral("good.flac"));
    EXPECT_EQ(Field(Blocks[0], "Size"), QStringLiteral("%1 KB").arg(std::filesystem::file_size(Dir.File("good.flac")) / 1024 + 1));
    EXPECT_EQ(Field(Blocks[0], "Full file name"), QStringLiteral("good.flac"));
    EXPECT_EQ(Field(Blocks[0], "Length"), QStringLiteral("0:01"));
    EXPECT_EQ(Field(Blocks[0], "Sample Rate(Hz)"), QStringLiteral("22050"));
    EXPECT_EQ(Field(Blocks[0], "Bit Per Sample(Bit)"), QStringLiteral("16"));
    EXPECT_EQ(Field(Blocks[0], "Channels"), QStringLiteral("Mono"));
    EXPECT_EQ(Field(Blocks[0], "BitRate(kbps)"), QString());
    EXPECT_EQ(Field(Blocks[0], "Error"), QStringLiteral("<none>"));
    EXPECT_EQ(Field(Blocks[1], "Name"), QStringLiteral("text.ogg"));
    EXPECT_EQ(Field(Blocks[1], "Length"), QString());
    EXPECT_NE(Field(Blocks[1], "Error"), QStringLiteral("<none>"));
    EXPECT_FALSE(Field(Blocks[1], "Error").isEmpty());
}

// Real protected music carries either encryption object: both fail as
// protected, in a listing and in a conversion, while a plain file of the same
// run converts.
TEST(CliProtected, EitherEncryptionObjectFailsAsProtected)
{
    TTempDir Dir;
    Shell("ffmpeg -v error -i " + Quote(FixturesDir() + "/tone-44100-16-2.wav") + " -c:a wmav2 " +
          Quote(Dir.File("plain.wma")));
    const std::vector<std::string> Protected = {"basic.wma", "extended.wma"};
    const auto Objects = ProtectionObjects();
    for (size_t I = 0; I < Protected.size(); ++I) {
        std::filesystem::copy_file(Dir.File("plain.wma"), Dir.File(Protected[I]));
        InsertObject(Dir.File(Protected[I]), Objects[I].first, Objects[I].second);
    }

    const std::vector<QJsonObject> Lines = InfoJson(Dir, {"plain.wma", "basic.wma", "extended.wma"}, 1);
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[0].value("valid"), QJsonValue(true));
    for (const size_t I : {1, 2}) {
        ExpectNotValid(Lines[I]);
        EXPECT_EQ(Lines[I].value("error").toString(), QStringLiteral("File is protected"));
    }

    const TCliResult R = Cli(Dir, "convert -o out plain.wma basic.wma extended.wma");
    EXPECT_EQ(R.Status, 1) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: plain.wav [Success]"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: basic.wav [Failed]\nFile is protected\n"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("]Convert to: extended.wav [Failed]\nFile is protected\n"), std::string::npos) << R.Out;
    EXPECT_GT(std::filesystem::file_size(Dir.File("out/plain.wav")), 44u);
}

// The guide beside the programs covers every command and option the program
// itself lists.
TEST(CliGuide, CommandLineTxtDescribesWhatHelpLists)
{
    TTempDir Dir;
    const std::vector<uint8_t> Bytes = ReadBytes(au::ProgramFolder() + "/Command line.txt");
    ASSERT_FALSE(Bytes.empty()) << "no \"Command line.txt\" beside kelvaro-cli";
    const QString Guide = QString::fromUtf8(reinterpret_cast<const char*>(Bytes.data()), static_cast<qsizetype>(Bytes.size()));
    const TCliResult Help = Cli(Dir, "--help");
    ASSERT_EQ(Help.Status, 0);
    const QString Usage = Q(Help.Out).section(QStringLiteral("\n\n"), 0, 0);
    // Commands head their sections; options begin their lines, after a short form perhaps.
    QStringList Expected;
    for (const QRegularExpressionMatch& M : QRegularExpression(QStringLiteral("kelvaro-cli (\\w+)")).globalMatch(Usage))
        Expected << QStringLiteral("^") + M.captured(1) + QStringLiteral("\n---");
    for (const QRegularExpressionMatch& M : QRegularExpression(QStringLiteral("(?<![\\w-])(--?[a-zA-Z][a-zA-Z-]*)")).globalMatch(Usage))
        if (M.captured(1) != QLatin1String("--help"))
            Expected << QStringLiteral("^\\s+(-\\w, )?") + QRegularExpression::escape(M.captured(1)) + QStringLiteral("[ ,=]");
    ASSERT_GE(Expected.size(), 14) << Usage.toStdString();
    for (const QString& Pattern : Expected)
        EXPECT_TRUE(Guide.contains(QRegularExpression(Pattern, QRegularExpression::MultilineOption))) << Pattern.toStdString();
    for (const char* Section : {"convert", "watch", "play", "info"}) {
        const QString Body = Guide.section(QString::fromLatin1(Section) + QStringLiteral("\n---"), 1).section(QStringLiteral("\n\n\n"), 0, 0);
        EXPECT_TRUE(Body.contains(QStringLiteral("Example:"))) << Section;
        EXPECT_TRUE(Body.contains(QStringLiteral("Exit status:"))) << Section;
    }
}
