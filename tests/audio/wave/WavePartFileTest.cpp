// SPDX-License-Identifier: GPL-3.0-or-later
// A writer that publishes its file only once it is complete.
#include "WaveTestUtil.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace au;
using namespace autest;
namespace fs = std::filesystem;

namespace {

class WavePartFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Writer.SetFileName(Name);
        Writer.SetWriteViaPartFile(true);
        Writer.SetOnDone([this](TAuComponent*) { ++Done; });
    }

    // The names in the folder.
    std::set<std::string> Names() const
    {
        std::set<std::string> Found;
        for (const auto& Entry : fs::directory_iterator(Dir.Path()))
            Found.insert(Entry.path().filename().string());
        return Found;
    }

    // Starts Source and waits until its first pull is held at the gate.
    void StartHeld(TSyntheticInput& Source)
    {
        Source.CloseGate();
        Writer.SetInput(&Source);
        Writer.Run();
        Source.WaitAtGate();
    }

    bool WaitDone() { return PumpUntil([this] { return Done == 1; }); }

    TTempDir Dir;
    std::string Name = Dir.File("out.wav");
    const std::vector<uint8_t> Older{'o', 'l', 'd'};
    TWaveOut Writer;
    int Done = 0;
};

} // namespace

TEST_F(WavePartFileTest, TheFileAppearsUnderItsNameOnlyWhenComplete)
{
    WriteBytes(Name, Older);
    TSyntheticInput Source(44100, 16, 2, 100000);
    StartHeld(Source);
    // Mid-run: the older file as it was, and one hidden temporary beside it.
    std::set<std::string> During = Names();
    ASSERT_EQ(During.size(), 2u);
    During.erase("out.wav");
    const std::string Temporary = *During.begin();
    EXPECT_EQ(Temporary.rfind(".out.wav.", 0), 0u) << Temporary;
    EXPECT_EQ(Temporary.substr(Temporary.size() - 5), ".part");
    EXPECT_EQ(ReadBytes(Name), Older);
    Source.OpenGate();
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(Writer.ExceptionMessage(), "");
    EXPECT_EQ(Names(), std::set<std::string>{"out.wav"});
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 100044u);
    EXPECT_EQ(std::vector<uint8_t>(File.begin() + 44, File.end()), Source.Expected(0, 100000));
}

TEST_F(WavePartFileTest, FailedAndStoppedRunsLeaveNoFileAndTheOlderOneIntact)
{
    WriteBytes(Name, Older);
    TSyntheticInput Failing(44100, 16, 2, 100000);
    Failing.FailAfter = 50000;
    Failing.FailText = "broken stream";
    Writer.SetInput(&Failing);
    Writer.Run();
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(Writer.ExceptionMessage(), "broken stream");
    EXPECT_EQ(Names(), std::set<std::string>{"out.wav"});
    EXPECT_EQ(ReadBytes(Name), Older);

    // A stop is a failure too: the file it would leave is not the one asked for.
    Done = 0;
    TSyntheticInput Long(44100, 16, 2, int64_t{1} << 32);
    StartHeld(Long);
    Writer.Stop(true);
    Long.OpenGate();
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(Writer.ExceptionMessage(), "Stopped before the end; the file was not written.");
    EXPECT_EQ(Names(), std::set<std::string>{"out.wav"});
    EXPECT_EQ(ReadBytes(Name), Older);

    // A source that cannot start creates nothing.
    fs::remove(Name);
    Done = 0;
    TSyntheticInput Unreadable(44100, 16, 2, 1000);
    Unreadable.FailInit = true;
    Writer.SetInput(&Unreadable);
    Writer.Run();
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(Names().empty());
}

TEST_F(WavePartFileTest, ARenameThatFailsIsAFailureAndCleansUp)
{
    // A folder in the way of the final name.
    fs::create_directories(Dir.File("out.wav/inside"));
    TSyntheticInput Source(8000, 8, 1, 1000);
    EXPECT_EQ(RunToEnd(Writer, Source), std::strerror(EISDIR));
    EXPECT_EQ(Names(), std::set<std::string>{"out.wav"});
    EXPECT_TRUE(fs::is_directory(Name));
}

TEST_F(WavePartFileTest, TheLongestNamesStillGetTemporaryNames)
{
    // 255 bytes, mostly three-byte characters; shifting them by one byte per
    // round makes the cut for the temporary name fall inside one.
    const std::string Euro = "\xE2\x82\xAC";
    for (int Shift = 0; Shift < 3; ++Shift) {
        std::string Long(static_cast<size_t>(Shift), 'a');
        for (int I = 0; I < 82; ++I)
            Long += Euro;
        Long += std::string(static_cast<size_t>(5 - Shift), 'z') + ".wav";
        ASSERT_EQ(Long.size(), static_cast<size_t>(NAME_MAX));
        Writer.SetFileName(Dir.File(Long));
        Done = 0;
        TSyntheticInput Source(8000, 8, 1, 1000);
        StartHeld(Source);
        for (const std::string& Entry : Names()) {
            EXPECT_LE(Entry.size(), static_cast<size_t>(NAME_MAX));
            const auto High = std::count_if(Entry.begin(), Entry.end(), [](char C) { return C & 0x80; });
            EXPECT_EQ(High, 3 * std::count(Entry.begin(), Entry.end(), '\xE2')) << "a character was cut";
        }
        Source.OpenGate();
        ASSERT_TRUE(WaitDone());
        EXPECT_EQ(Writer.ExceptionMessage(), "");
        EXPECT_EQ(Names(), std::set<std::string>{Long});
        fs::remove(Dir.File(Long));
    }
}

TEST_F(WavePartFileTest, AppendingWritesInPlace)
{
    TSyntheticInput First(8000, 8, 1, 1000);
    ASSERT_EQ(RunToEnd(Writer, First), "");
    Writer.SetFileMode(foAppend);
    TSyntheticInput Second(8000, 8, 1, 500);
    Writer.SetOnDone(nullptr);
    Second.CloseGate();
    Writer.SetInput(&Second);
    Writer.Run();
    Second.WaitAtGate();
    EXPECT_EQ(Names(), std::set<std::string>{"out.wav"});
    Second.OpenGate();
    ASSERT_TRUE(PumpUntil([this] { return !Writer.Busy(); }));
    EXPECT_EQ(ReadBytes(Name).size(), 1544u);
}
