// SPDX-License-Identifier: GPL-3.0-or-later
// One file in, one WAV file out: what the batch run, the hot directory and
// kelvaro-cli all rely on.
#include "app/QtTestUtil.h"
#include "support/TestUtil.h"

#include "app/engine/chain/ConversionChain.h"
#include "app/engine/chain/FileConversion.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/system/PathUtils.h"

#include <QDir>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace app;
using namespace autest;

namespace {

const std::vector<uint8_t> Older = {'o', 'l', 'd', ' ', 'w', 'a', 'v'};

class FileConversionTest : public ::testing::Test {
protected:
    FileConversionTest() : Conversion(Chain)
    {
        QObject::connect(&Conversion, &TFileConversion::Finished, [this](TConversionResult R, const QString& M) {
            Results << R;
            Message = M;
        });
        QDir().mkpath(Out());
    }

    QString Out() const { return QString::fromStdString(Dir.File("out")); }
    QString Wav(const QString& Name) const { return Out() + "/" + Name; }

    // A FLAC file of a 440 Hz sine, Seconds long, 44100 Hz stereo.
    QString Flac(const std::string& Name, int Seconds)
    {
        const std::string Path = Dir.File(Name);
        QDir().mkpath(QFileInfo(QString::fromStdString(Path)).path());
        EXPECT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=duration=" + std::to_string(Seconds) +
                             " -ac 2 -ar 44100 -c:a flac '" + Path + "'"),
                  0);
        return QString::fromStdString(Path);
    }

    void Start(const QString& Input, TIfExists Choice, const TOutputFormat& Format = {})
    {
        Results.clear();
        Conversion.Start({Input, Out(), QString(), Format, Choice});
    }

    TConversionResult Convert(const QString& Input, TIfExists Choice = ieOverwrite, const TOutputFormat& Format = {})
    {
        Start(Input, Choice, Format);
        EXPECT_TRUE(RunUntil([this] { return !Results.isEmpty(); }));
        EXPECT_EQ(Results.size(), 1);
        return Results.value(0, crFailed);
    }

    // Every name in the output folder, hidden ones included.
    QStringList Listing() const { return QDir(Out()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    TTempDir Dir;
    TConversionChain Chain;
    TFileConversion Conversion;
    QList<TConversionResult> Results;
    QString Message;
};

} // namespace

TEST_F(FileConversionTest, AnExistingFileIsOverwrittenSkippedOrKeptBesideANumberedOne)
{
    const QString Song = Flac("song.flac", 1);
    const uint64_t Converted = 44 + 44100 * 4;
    WriteBytes(Wav("song.wav").toStdString(), Older);

    EXPECT_EQ(Convert(Song, ieSkip), crSkipped);
    EXPECT_EQ(Message, TFileConversion::MsgSkipped);
    EXPECT_EQ(ReadBytes(Wav("song.wav").toStdString()), Older);

    EXPECT_EQ(Convert(Song, ieRename), crConverted);
    EXPECT_EQ(Conversion.OutputPath(), Wav("song (2).wav"));
    EXPECT_EQ(Convert(Song, ieRename), crConverted);
    EXPECT_EQ(Conversion.OutputPath(), Wav("song (3).wav"));
    EXPECT_EQ(ReadBytes(Wav("song.wav").toStdString()), Older);
    EXPECT_EQ(QFileInfo(Wav("song (3).wav")).size(), Converted);

    EXPECT_EQ(Convert(Song, ieOverwrite), crConverted);
    EXPECT_EQ(Conversion.OutputPath(), Wav("song.wav"));
    EXPECT_EQ(ReadBytes(Wav("song.wav").toStdString()), ReadBytes(Wav("song (3).wav").toStdString()));
    EXPECT_EQ(Listing(), (QStringList{"song (2).wav", "song (3).wav", "song.wav"}));
}

// A failed file is checked where users meet it, in kelvaro-cli and the window.
TEST_F(FileConversionTest, AStoppedFileLeavesNothingAndAnExistingFileAsItWas)
{
    WriteBytes(Wav("song.wav").toStdString(), Older);

    // Stopped while its hidden file grows: on the event queue, and at once.
    const QString Long = Flac("long/song.flac", 120);
    const auto Writing = [this] { return Listing().size() == 2; };
    for (const bool AtOnce : {false, true}) {
        Start(Long, ieOverwrite);
        ASSERT_TRUE(RunUntil(Writing)) << Listing().join(',').toStdString();
        if (AtOnce) {
            Conversion.StopNow();
            EXPECT_EQ(Results, QList<TConversionResult>{crStopped}); // before StopNow returned
        } else {
            Conversion.Stop();
            ASSERT_TRUE(RunUntil([this] { return !Results.isEmpty(); }));
            EXPECT_EQ(Results, QList<TConversionResult>{crStopped});
        }
        EXPECT_FALSE(Conversion.Busy());
        EXPECT_EQ(Listing(), QStringList{"song.wav"});
        EXPECT_EQ(ReadBytes(Wav("song.wav").toStdString()), Older);
    }
}

// The little a decoder falls short of its stated length is padded with
// silence, which in unsigned 8-bit samples is the middle value.
TEST_F(FileConversionTest, PaddingAtTheEndIsSilenceAt8Bits)
{
    const QString Example = QString::fromStdString(Dir.File("Example.wma"));
    ASSERT_TRUE(QFile::copy(ExeFolderFile("Example.wma"), Example));
    TOutputFormat Format;
    Format.Bits = 8;
    ASSERT_EQ(Convert(Example, ieOverwrite, Format), crConverted);
    const std::vector<uint8_t> Bytes = ReadBytes(Wav("Example.wav").toStdString());
    size_t Tail = 0;
    while (Tail < Bytes.size() - 44 && Bytes[Bytes.size() - 1 - Tail] == 0x80)
        ++Tail;
    EXPECT_GE(Tail, 1000u) << "the decoder no longer falls short: find another file to pad";
    EXPECT_EQ(std::count(Bytes.end() - 8000, Bytes.end(), 0x00), 0);
}

TEST(OutputFormat, SettingsNobodyCouldChooseFallBackAsTheOptionDialogShowsThem)
{
    TcdSettings Settings;
    Settings.SetAutoLoad(false);
    const auto Read = [&](const char* Rate, const char* Bits, int Channels, int Encoding) {
        Settings.SetMRate(Rate);
        Settings.SetMBit(Bits);
        Settings.SetMChannel(Channels);
        Settings.SetMEncoding(Encoding);
        const TOutputFormat F = TOutputFormat::FromSettings(Settings);
        return std::vector<int>{F.Rate, F.Bits, F.Channels, F.Encoding};
    };
    EXPECT_EQ(Read("22050", "24", 2, 0), (std::vector<int>{22050, 24, 2, 0}));
    EXPECT_EQ(Read("12345", "8", 1, 0), (std::vector<int>{12345, 8, 1, 0}));
    EXPECT_EQ(Read("2147483647", "12", 7, 9), (std::vector<int>{44100, 16, 0, 0}));
    EXPECT_EQ(Read("222002250", "x", -1, 0), (std::vector<int>{44100, 16, 0, 0}));
    EXPECT_EQ(Read("7999", "32", 0, 1), (std::vector<int>{44100, 16, 0, 1}));
}

// The WAV file takes the source's time to the nanosecond, once it has its
// final name (a numbered one too); without the choice it is written now.
TEST_F(FileConversionTest, KeepTimeGivesTheWavTheSourcesModificationTime)
{
    const QString Song = Flac("dated.flac", 1);
    const timespec Then{978'307'200, 123'456'789}; // 2001-01-01, and some nanoseconds
    const timespec Times[2] = {Then, Then};
    ASSERT_EQ(::utimensat(AT_FDCWD, Song.toUtf8().constData(), Times, 0), 0);
    const auto ModifiedAt = [](const QString& Path) {
        struct stat Info {};
        EXPECT_EQ(::stat(Path.toUtf8().constData(), &Info), 0) << Path.toStdString();
        return std::pair{Info.st_mtim.tv_sec, Info.st_mtim.tv_nsec};
    };

    const time_t Before = ::time(nullptr);
    ASSERT_EQ(Convert(Song), crConverted);
    EXPECT_GE(ModifiedAt(Wav("dated.wav")).first, Before);

    TConversionRequest Request{Song, Out(), QString(), {}, ieRename};
    Request.KeepTime = true;
    Results.clear();
    Conversion.Start(Request);
    ASSERT_TRUE(RunUntil([this] { return !Results.isEmpty(); }));
    ASSERT_EQ(Results.value(0), crConverted);
    EXPECT_EQ(Conversion.OutputPath(), Wav("dated (2).wav"));
    EXPECT_EQ(ModifiedAt(Wav("dated (2).wav")), std::pair(Then.tv_sec, Then.tv_nsec));
}
