// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/decoders/StandInTestUtil.h"
#include "support/PeerProbe.h"
#include "support/TestUtil.h"
#include "app/QtTestUtil.h"

#include "app/engine/chain/FileProbe.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

using namespace app;
using namespace autest;

namespace {

using TModel = TFileListModel;

QString Q(const std::string& Text) { return QString::fromStdString(Text); }

std::string Extension(const std::string& File) { return File.substr(File.rfind('.')); }

QString Cell(const TProbeResult& R, int Column) { return TModel::ColumnText(R.Row, Column); }

int OpenDescriptors() { return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})); }

// A row the list and the driver can use whatever the file held: caption, size
// and path always, the format cells all filled or all empty, the driver's cells
// empty.
void ExpectWellFormed(const TProbeResult& R, const std::string& File)
{
    SCOPED_TRACE(File);
    EXPECT_EQ(Cell(R, TModel::colName), Q(File.substr(File.rfind('/') + 1)));
    EXPECT_TRUE(Cell(R, TModel::colSize).endsWith(QStringLiteral(" KB")));
    EXPECT_EQ(Cell(R, TModel::colPath), Q(File));
    EXPECT_TRUE(Cell(R, TModel::colInformation).isEmpty());
    EXPECT_TRUE(R.Row.Output.isEmpty());
    EXPECT_EQ(R.Row.State, TModel::rsPending);
    if (R.Row.Valid) {
        EXPECT_TRUE(R.Row.ProbeError.isEmpty());
        EXPECT_GE(LengthSeconds(Cell(R, TModel::colLength).toStdString()), 0) << Cell(R, TModel::colLength).toStdString();
        EXPECT_GT(R.Row.SampleRate, 0);
        EXPECT_GT(R.Row.BitsPerSample, 0);
        EXPECT_GT(R.Row.Channels, 0);
        return;
    }
    EXPECT_FALSE(R.Row.ProbeError.isEmpty());
    for (int Column = TModel::colLength; Column <= TModel::colBitrate; ++Column)
        EXPECT_TRUE(Cell(R, Column).isEmpty()) << Column;
    EXPECT_EQ(R.Row.Duration + R.Row.SampleRate + R.Row.BitsPerSample + R.Row.Channels, 0);
    EXPECT_FALSE(R.Row.BitrateKbps.has_value());
    EXPECT_TRUE(R.Tags.isEmpty());
}

} // namespace

TEST(FileProbe, CellsOfEveryKindAgreeWithFFprobe)
{
    TTempDir Dir;
    for (const std::string& File : MakeOneOfEachKind(Dir)) {
        SCOPED_TRACE(File);
        const TProbeResult R = ProbeFile(Q(File));
        ASSERT_TRUE(R.Row.Valid) << R.Row.ProbeError.toStdString();
        ExpectWellFormed(R, File);
        ExpectAgreesWithPeer(File, {Cell(R, TModel::colLength).toStdString(), R.Row.SampleRate, R.Row.BitsPerSample,
                                    R.Row.Channels, R.Row.BitrateKbps});
        // Every test file is below 1000 KB, so no thousands separator.
        EXPECT_EQ(Cell(R, TModel::colSize), QStringLiteral("%1 KB").arg(std::filesystem::file_size(File) / 1024 + 1));
        EXPECT_EQ(Cell(R, TModel::colSampleRate), QString::number(R.Row.SampleRate));
        EXPECT_EQ(Cell(R, TModel::colBitsPerSample), QString::number(R.Row.BitsPerSample));
        EXPECT_EQ(Cell(R, TModel::colChannels), R.Row.Channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
        EXPECT_EQ(Cell(R, TModel::colBitrate), R.Row.BitrateKbps ? QString::number(*R.Row.BitrateKbps) : QString());
        EXPECT_EQ(LengthSeconds(Cell(R, TModel::colLength).toStdString()), R.Row.Duration);
    }
}

TEST(FileProbe, LengthsAndChannelsAsTheListShowsThem)
{
    TTempDir Dir;
    // Silence compresses to almost nothing, so long lengths cost little.
    for (const int Seconds : {65, 4510}) {
        const std::string File = Dir.File(std::to_string(Seconds) + ".flac");
        Shell("ffmpeg -v error -y -f lavfi -i anullsrc=r=8000:cl=mono -t " + std::to_string(Seconds) +
              " -sample_fmt s16 -c:a flac " + Quote(File));
        const int Peer = static_cast<int>(std::lround(PeerFacts(File).Duration));
        const TProbeResult R = ProbeFile(Q(File));
        EXPECT_EQ(Cell(R, TModel::colLength),
                  QString::asprintf("%d:%02d", Peer / 60, Peer % 60));
        EXPECT_EQ(R.Row.Duration, Peer);
    }
    EXPECT_EQ(Cell(ProbeFile(Q(Dir.File("4510.flac"))), TModel::colLength), QStringLiteral("75:10"));

    // Six channels: no channels text, and the bit rate stays in its own cell.
    const std::string Six = Dir.File("six.ogg");
    Shell("ffmpeg -v error -y -i " + Quote(FixturesDir() + "/tone-44100-16-2.wav") + " -ac 6 -c:a libvorbis " +
          Quote(Six));
    const TProbeResult R = ProbeFile(Q(Six));
    ASSERT_TRUE(R.Row.Valid) << R.Row.ProbeError.toStdString();
    EXPECT_EQ(R.Row.Channels, 6);
    EXPECT_TRUE(Cell(R, TModel::colChannels).isEmpty());
    EXPECT_EQ(Cell(R, TModel::colBitrate),
              QString::number(static_cast<int>(std::nearbyint(PeerFacts(Six).StreamBitrate / 1000.0))));
}

TEST(FileProbe, SizeTextRoundsUpToWholeKilobytesWithTheLocalesSeparator)
{
    {
        const TDefaultLocale English(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(FormatSizeKB(0), QStringLiteral("1 KB"));
        EXPECT_EQ(FormatSizeKB(1023), QStringLiteral("1 KB"));
        EXPECT_EQ(FormatSizeKB(1024), QStringLiteral("2 KB"));
        EXPECT_EQ(FormatSizeKB(1536000), QStringLiteral("1,501 KB"));
    }
    {
        const TDefaultLocale German(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(FormatSizeKB(1536000), QStringLiteral("1.501 KB"));
    }
    {
        // The C locale, where scripts run, still groups: a list reads the same everywhere.
        const TDefaultLocale C(QLocale::c());
        EXPECT_EQ(FormatSizeKB(1536000), QStringLiteral("1,501 KB"));
    }
}

TEST(FileProbe, FilesThatCannotBeReadStillGiveWellFormedRows)
{
    TTempDir Dir;
    const int DescriptorsBefore = OpenDescriptors();

    const std::string Text = Dir.File("notes.wma");
    const std::string Words = "This is a text file, not audio.\n";
    WriteBytes(Text, std::vector<uint8_t>(Words.begin(), Words.end()));
    const TProbeResult TextRow = ProbeFile(Q(Text));
    EXPECT_FALSE(TextRow.Row.Valid);
    ExpectWellFormed(TextRow, Text);
    EXPECT_EQ(Cell(TextRow, TModel::colSize), QStringLiteral("1 KB"));

    const std::string Missing = Dir.File("gone.flac");
    const TProbeResult MissingRow = ProbeFile(Q(Missing));
    EXPECT_FALSE(MissingRow.Row.Valid);
    ExpectWellFormed(MissingRow, Missing);
    EXPECT_EQ(MissingRow.Row.ProbeError, QString::fromUtf8(std::strerror(ENOENT)));
    EXPECT_EQ(Cell(MissingRow, TModel::colSize), QStringLiteral("1 KB"));

    const std::string Wav = FixturesDir() + "/tone-22050-16-1.wav";
    const TProbeResult WavRow = ProbeFile(Q(Wav));
    EXPECT_FALSE(WavRow.Row.Valid) << "no decoder reads .wav";
    ExpectWellFormed(WavRow, Wav);

    // A pipe would block whoever opens it; a folder holds no audio.
    const std::string Pipe = Dir.File("pipe.flac");
    ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
    const std::string Folder = Dir.File("folder.wma");
    ASSERT_EQ(mkdir(Folder.c_str(), 0700), 0);
    for (const std::string& NotAFile : {Pipe, Folder}) {
        const TProbeResult R = ProbeFile(Q(NotAFile));
        EXPECT_FALSE(R.Row.Valid) << NotAFile;
        ExpectWellFormed(R, NotAFile);
    }

    const TProbeResult EmptyPath = ProbeFile(QStringLiteral(" "));
    EXPECT_FALSE(EmptyPath.Row.Valid);
    EXPECT_TRUE(Cell(EmptyPath, TModel::colName).isEmpty());

    // Damaged copies of every kind: bytes changed at random, and cut short.
    int Invalid = 0;
    for (const std::string& Good : MakeOneOfEachKind(Dir)) {
        int Copy = 0;
        for (const std::vector<uint8_t>& Bytes : Damaged(ReadBytes(Good), 6, 256)) {
            const std::string File = Dir.File("damaged-" + std::to_string(Copy++) + Extension(Good));
            WriteBytes(File, Bytes);
            const TProbeResult R = ProbeFile(Q(File));
            ExpectWellFormed(R, File);
            Invalid += R.Row.Valid ? 0 : 1;
        }
    }
    EXPECT_GE(Invalid, 6 * 3) << "at least the files cut inside their headers cannot be valid";
    // Every decoder let go of its file.
    EXPECT_EQ(OpenDescriptors(), DescriptorsBefore);
}

// Headers that read well over audio that does not: a Windows Media file whose
// first packet is overwritten, and a Monkey's Audio file that is its header
// alone. FFmpeg decodes nothing from either; the row must not promise a
// conversion.
TEST(FileProbe, AHeaderOverAudioThatDoesNotDecodeIsNotValid)
{
    TTempDir Dir;
    const int DescriptorsBefore = OpenDescriptors();
    const std::string Wma = Dir.File("first-packet.wma");
    std::vector<uint8_t> Bytes = ReadBytes(FixturesDir() + "/wild/lossless.wma");
    // The data object: its GUID, then 34 bytes of its own before the packets.
    const std::vector<uint8_t> DataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    const auto At = std::search(Bytes.begin(), Bytes.end(), DataObject.begin(), DataObject.end());
    ASSERT_NE(At, Bytes.end());
    std::fill_n(At + 50, 16, uint8_t{0xFF});
    WriteBytes(Wma, Bytes);

    for (const std::string& File : {Wma, FixturesDir() + "/wild/mac-390-hdr.ape"}) {
        const std::string Raw = Dir.File("peer.raw");
        RunCommand("ffmpeg -v quiet -y -i " + Quote(File) + " -f s16le " + Quote(Raw));
        ASSERT_EQ(std::filesystem::exists(Raw) ? std::filesystem::file_size(Raw) : 0, 0u) << File;
        const TProbeResult R = ProbeFile(Q(File));
        EXPECT_FALSE(R.Row.Valid) << File;
        ExpectWellFormed(R, File);
    }
    EXPECT_TRUE(ProbeFile(Q(FixturesDir() + "/wild/lossless.wma")).Row.Valid);
    EXPECT_EQ(OpenDescriptors(), DescriptorsBefore);
}
