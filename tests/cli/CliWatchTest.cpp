// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli watch with real folders, real copies and real time.
#include "CliTestUtil.h"
#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <thread>

using namespace autest;
namespace fs = std::filesystem;

namespace {

std::string Cli() { return "'" + au::ProgramFolder() + "/kelvaro-cli'"; }

// A watcher running in the background on in/, out/ and log/ of a folder of its own.
class TWatcher {
public:
    explicit TWatcher(const std::string& Extra = "")
    {
        for (const char* Sub : {"in", "out", "log", "done"})
            fs::create_directories(Dir.File(Sub));
        std::string Pid;
        RunCommand("cd '" + Dir.Path() + "' && (XDG_CONFIG_HOME='" + Dir.Path() + "/config' " + Cli() +
                       " watch --in '" + Dir.File("in") + "' --out '" + Dir.File("out") + "' --log '" + Dir.File("log") +
                       "' " + Extra + " >watch.out 2>watch.err </dev/null; echo $? >status) >/dev/null 2>&1 & echo $!",
                   &Pid);
        FShell = std::stoi(Pid);
        EXPECT_TRUE(WaitFor([this] { return Text(Dir.File("watch.err")).find("Watching") != std::string::npos; }, 10))
            << Text(Dir.File("watch.err"));
    }
    ~TWatcher() { End(); }

    // SIGINT; returns the watcher's exit status.
    int End()
    {
        if (FShell > 0) {
            RunCommand("pkill -INT -P " + std::to_string(FShell) + " -x kelvaro-cli");
            WaitFor([this] { return fs::exists(Dir.File("status")) && !Text(Dir.File("status")).empty(); }, 20);
            FShell = 0;
        }
        return std::stoi("0" + Text(Dir.File("status")));
    }

    // Copies From into the input folder as Name (folders made as needed).
    void Drop(const std::string& From, const std::string& Name) const
    {
        fs::create_directories(fs::path(Dir.File("in/" + Name)).parent_path());
        Shell("cp " + Quote(From) + " " + Quote(Dir.File("in/" + Name)));
    }

    std::string Log() const
    {
        for (const auto& Entry : fs::directory_iterator(Dir.File("log")))
            return Text(Entry.path().string());
        return "";
    }

    TTempDir Dir;

private:
    int FShell = 0;
};

std::string Example() { return au::ProgramFolder() + "/Example.wma"; }

} // namespace

TEST(CliWatch, ACopiedFileBecomesAWavWithItsFourLogLines)
{
    TWatcher Watcher;
    Watcher.Drop(Example(), "song.wma");
    ASSERT_TRUE(WaitFor([&] { return Watcher.Log().find("Finish: [") != std::string::npos; }, 20)) << Watcher.Log();
    const std::regex Lines("Start: \\[\\d\\d:\\d\\d:\\d\\d\\]\r\nExcute File: " + Watcher.Dir.File("in/song.wma") +
                           "\r\nSave to: " + Watcher.Dir.File("out/song.wav") +
                           " \\[Success\\]\r\nFinish: \\[\\d\\d:\\d\\d:\\d\\d\\]\r\n");
    EXPECT_TRUE(std::regex_match(Watcher.Log(), Lines)) << Watcher.Log();
    std::string Probe;
    RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 " +
                   Quote(Watcher.Dir.File("out/song.wav")),
               &Probe);
    EXPECT_EQ(Probe, "pcm_s16le,44100,2\n");
    EXPECT_EQ(Watcher.End(), 0);
}

// The choices a service gives on its command line: the tags and the source's date.
TEST(CliWatch, TagsAndTheSourcesDateOnRequest)
{
    TWatcher Watcher("--tags --keep-time");
    const std::string Old = Quote(Watcher.Dir.File("old.wma"));
    Shell("cp " + Quote(Example()) + " " + Old + " && touch -d '2001-02-03 04:05:06' " + Old + " && cp -p " + Old +
          " " + Quote(Watcher.Dir.File("in/song.wma")));
    ASSERT_TRUE(WaitFor([&] { return Watcher.Log().find("Finish: [") != std::string::npos; }, 20)) << Watcher.Log();
    std::string Title;
    RunCommand("ffprobe -v error -show_entries format_tags=title -of csv=p=0 " + Quote(Watcher.Dir.File("out/song.wav")),
               &Title);
    EXPECT_EQ(Title, "Example\n");
    EXPECT_EQ(fs::last_write_time(Watcher.Dir.File("out/song.wav")), fs::last_write_time(Watcher.Dir.File("old.wma")));
}

// Converted sources move to the folder --after names, at their place; a
// damaged one stays where it was.
TEST(CliWatch, SubfoldersLandAsDeepAndADamagedFileDoesNotStopTheNext)
{
    TWatcher Watcher("--subdirs --after move=done");
    WriteBytes(Watcher.Dir.File("broken.wma"), std::vector<uint8_t>(3000, 0x30));
    Watcher.Drop(Watcher.Dir.File("broken.wma"), "broken.wma");
    ASSERT_TRUE(WaitFor([&] { return Watcher.Log().find("broken.wav [Failed]") != std::string::npos; }, 20))
        << Watcher.Log();
    Watcher.Drop(Example(), "a/b/deep.wma");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(Watcher.Dir.File("out/a/b/deep.wav")) &&
                                     Watcher.Log().find("deep.wav [Success]") != std::string::npos; },
                        20))
        << Watcher.Log();
    EXPECT_TRUE(WaitFor([&] { return Watcher.Log().find("Moved to: done/a/b/deep.wma\r\nFinish") != std::string::npos; },
                        20))
        << Watcher.Log();
    EXPECT_EQ(Text(Watcher.Dir.File("done/a/b/deep.wma")), Text(Example()));
    EXPECT_FALSE(fs::exists(Watcher.Dir.File("in/a/b/deep.wma")));
    EXPECT_TRUE(fs::exists(Watcher.Dir.File("in/broken.wma")));
    EXPECT_EQ(Watcher.End(), 0);
}

// A program watching the output folder sees the WAV file only when complete.
TEST(CliWatch, AConvertedFileAppearsOnlyWhenComplete)
{
    TWatcher Watcher;
    const std::string Long = Watcher.Dir.File("long.wma");
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=60 -ac 2 -c:a wmav2 " + Quote(Long));
    Watcher.Drop(Long, "song.wma");
    bool SawHidden = false;
    std::set<uintmax_t> SizesSeen;
    const std::string Final = Watcher.Dir.File("out/song.wav");
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const auto& Entry : fs::directory_iterator(Watcher.Dir.File("out"))) {
                const std::string Name = Entry.path().filename().string();
                std::error_code Gone;
                if (Name == "song.wav")
                    SizesSeen.insert(fs::file_size(Entry.path(), Gone));
                else
                    SawHidden = SawHidden || (Name.rfind(".song.wav.", 0) == 0 && Entry.path().extension() == ".part");
            }
            return Watcher.Log().find("Finish: [") != std::string::npos;
        },
        60, 2))
        << Watcher.Log();
    EXPECT_TRUE(SawHidden);
    EXPECT_EQ(SizesSeen, std::set<uintmax_t>{fs::file_size(Final)});
    EXPECT_EQ(fs::file_size(Final), 44u + 60 * 44100 * 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(Watcher.Dir.File("out")), fs::directory_iterator()), 1);
}

TEST(CliWatch, StartChecksRefuseWithTheirTexts)
{
    TTempDir Dir;
    for (const char* Sub : {"in", "in/out", "inside", "log"})
        fs::create_directories(Dir.File(Sub));
    const auto Run = [&](const std::string& In, const std::string& Out, const std::string& Log, std::string& Said) {
        return RunCommand("XDG_CONFIG_HOME='" + Dir.Path() + "/config' " + Cli() + " watch --in '" + Dir.File(In) +
                              "' --out '" + Dir.File(Out) + "' --log '" + Dir.File(Log) + "' 2>&1 </dev/null",
                          &Said);
    };
    std::string Said;
    EXPECT_EQ(Run("none", "inside", "log", Said), 2);
    EXPECT_NE(Said.find("input folder that exists"), std::string::npos) << Said;
    Said.clear();
    EXPECT_EQ(Run("in", "none", "log", Said), 2);
    EXPECT_NE(Said.find("output folder that exists"), std::string::npos) << Said;
    Said.clear();
    EXPECT_EQ(Run("in", "inside", "none", Said), 2);
    EXPECT_NE(Said.find("log folder that exists"), std::string::npos) << Said;
    for (const char* Inside : {"in/out", "in"}) {
        Said.clear();
        EXPECT_EQ(Run("in", Inside, "log", Said), 2) << Inside;
        EXPECT_NE(Said.find("must not be the input folder"), std::string::npos) << Said;
    }
    Said.clear();
    EXPECT_EQ(RunCommand(Cli() + " watch -j 0 2>&1", &Said), 2);
    EXPECT_NE(Said.find("option -j needs a number"), std::string::npos) << Said;
    for (const char* After : {"--after keep", "--after move=inside"}) {
        Said.clear();
        EXPECT_EQ(RunCommand("cd '" + Dir.Path() + "' && XDG_CONFIG_HOME=config " + Cli() +
                                 " watch --in in --out inside --log log " + After + " 2>&1 </dev/null",
                             &Said),
                  2)
            << After;
        EXPECT_NE(Said.find(std::string(After) == "--after move=inside" ? "must not be the input folder, nor the output"
                                                                          : "--after takes leave, delete or move=FOLDER"),
                  std::string::npos)
            << Said;
    }
}

// Two hundred files at once: each is converted exactly once.
TEST(CliWatchLoad, TwoHundredFilesAtOnceAreEachConvertedOnce)
{
    TWatcher Watcher;
    const std::string Short = Watcher.Dir.File("short.wma");
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=300:duration=0.2 -c:a wmav2 " + Quote(Short));
    const std::string Staging = Watcher.Dir.File("staging");
    fs::create_directories(Staging);
    for (int I = 0; I < 200; ++I)
        fs::copy_file(Short, Staging + "/f" + std::to_string(I) + ".wma");
    // One move of a whole batch, as fast as files can arrive.
    Shell("mv " + Quote(Staging) + "/*.wma " + Quote(Watcher.Dir.File("in")));
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string Log = Watcher.Log();
            size_t Count = 0;
            for (size_t At = Log.find("Finish: ["); At != std::string::npos; At = Log.find("Finish: [", At + 1))
                ++Count;
            return Count >= 200;
        },
        120));
    EXPECT_EQ(Watcher.End(), 0);
    const std::string Log = Watcher.Log();
    for (int I = 0; I < 200; ++I) {
        const std::string Line = "Save to: " + Watcher.Dir.File("out/f" + std::to_string(I) + ".wav") + " [Success]";
        size_t Count = 0;
        for (size_t At = Log.find(Line); At != std::string::npos; At = Log.find(Line, At + 1))
            ++Count;
        EXPECT_EQ(Count, 1u) << Line;
    }
}
