// SPDX-License-Identifier: GPL-3.0-or-later
// kelvaro-cli convert on big batches: several files at once, folder trees,
// files that appear only when complete, and ends by signal or by a full disk.
#include "CliTestUtil.h"
#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace autest;
namespace fs = std::filesystem;

namespace {

// Every file below Folder, as paths relative to it.
std::set<std::string> Tree(const std::string& Folder)
{
    std::set<std::string> Found;
    for (const auto& Entry : fs::recursive_directory_iterator(Folder))
        Found.insert(fs::relative(Entry.path(), Folder).string() + (Entry.is_directory() ? "/" : ""));
    return Found;
}

// The log with its time stamps blanked.
std::string PlainLog(const std::string& Log)
{
    return std::regex_replace(Log, std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\]"), "[T]");
}

// A sine at Frequency, Seconds long, 44100 Hz stereo, in the format Name's
// extension says.
void Sine(const std::string& Name, int Seconds, int Frequency = 440)
{
    fs::create_directories(fs::path(Name).parent_path());
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=" + std::to_string(Frequency) + ":duration=" +
          std::to_string(Seconds) + " -ac 2 -ar 44100 " + Quote(Name));
}

// kelvaro-cli run in the background from Dir, with its own settings folder
// and a file-size limit when one is given; what it prints goes to Dir/run.out.
class TCliProcess {
public:
    TCliProcess(const TTempDir& Dir, const std::vector<std::string>& Arguments, rlim_t FileSizeLimit = RLIM_INFINITY)
        : FOut(Dir.File("run.out"))
    {
        const std::string Program = au::ProgramFolder() + "/kelvaro-cli";
        std::vector<std::string> Texts = {Program};
        Texts.insert(Texts.end(), Arguments.begin(), Arguments.end());
        std::vector<char*> Argv;
        for (std::string& Text : Texts)
            Argv.push_back(Text.data());
        Argv.push_back(nullptr);
        std::string Config = "XDG_CONFIG_HOME=" + Dir.File("config");
        char* Envp[] = {Config.data(), nullptr};
        // Only calls that are safe in a child of a threaded program, up to exec.
        FPid = ::fork();
        if (FPid == 0) {
            const int Out = ::open(FOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const rlimit Limit{FileSizeLimit, FileSizeLimit};
            if (Out < 0 || ::dup2(Out, 1) < 0 || ::dup2(Out, 2) < 0 || ::chdir(Dir.Path().c_str()) != 0 ||
                ::setrlimit(RLIMIT_FSIZE, &Limit) != 0)
                ::_exit(126);
            ::execve(Program.c_str(), Argv.data(), Envp);
            ::_exit(127);
        }
    }
    ~TCliProcess()
    {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            Wait();
        }
    }

    void Signal(int Number) const { ::kill(FPid, Number); }
    // The exit status, or 1000 + the signal that ended the program.
    int Wait()
    {
        int Status = 0;
        ::waitpid(FPid, &Status, 0);
        FPid = 0;
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : 1000 + WTERMSIG(Status);
    }
    std::string Out() const { return Text(FOut); }

private:
    std::string FOut;
    pid_t FPid = 0;
};

// Six kinds of input, a long one, a damaged one, and one more whose output
// name is that of an earlier file.
class CliBatch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Dir = new TTempDir();
        WriteOneOfEachKind(Dir->File("in"));
        Sine(Dir->File("in/long.flac"), 30);
        WriteBytes(Dir->File("in/broken.wma"), std::vector<uint8_t>(5000, 0x30));
        // The later file must win: another sound under stereo.flac's name.
        Sine(Dir->File("again/stereo.ogg"), 2, 1000);
    }
    static void TearDownTestSuite()
    {
        delete Dir;
        Dir = nullptr;
    }

    static TTempDir* Dir;
};

TTempDir* CliBatch::Dir = nullptr;

} // namespace

TEST_F(CliBatch, TwoJobsWriteWhatOneWritesAndLogTheSame)
{
    const std::string Inputs = " -r 22050 in again";
    const TCliResult One = Cli(*Dir, "convert -j 1 -o one" + Inputs);
    const TCliResult Two = Cli(*Dir, "convert -j 2 -o two" + Inputs);
    EXPECT_EQ(One.Status, 1) << One.Out;
    EXPECT_EQ(Two.Status, 1) << Two.Out;
    EXPECT_EQ(PlainLog(Two.Out), PlainLog(One.Out));
    // Folder order, the damaged file's failure, and stereo.wav twice.
    std::string Expected = "Task Begin\n";
    for (const std::string Name : {"broken.wma", "deep.tta", "example.wma", "long.flac", "mono.ogg", "narrow.ape",
                                   "stereo.flac", "voice.mp3"}) {
        const std::string Wav = Name.substr(0, Name.find('.')) + ".wav";
        Expected += "[T]Load: in/" + Name + " [Success]\n[T]Convert to: " + Wav +
                    (Name == "broken.wma" ? " [Failed]\nThe file reports no usable audio format\n" : " [Success]\n");
    }
    Expected += "[T]Load: again/stereo.ogg [Success]\n[T]Convert to: stereo.wav [Success]\n"
                "stereo.wav now holds again/stereo.ogg; it replaced the file converted from in/stereo.flac "
                "earlier in this run.\nTask End\n\n";
    EXPECT_EQ(PlainLog(Two.Out), Expected);

    const std::set<std::string> Written = {"deep.wav", "example.wav", "long.wav", "mono.wav",
                                           "narrow.wav", "stereo.wav", "voice.wav"};
    ASSERT_EQ(Tree(Dir->File("two")), Written);
    ASSERT_EQ(Tree(Dir->File("one")), Written);
    for (const std::string& Name : Written)
        EXPECT_EQ(ReadBytes(Dir->File("two/" + Name)), ReadBytes(Dir->File("one/" + Name))) << Name;
    const TCliResult Later = Cli(*Dir, "convert -o later -r 22050 again/stereo.ogg");
    EXPECT_EQ(ReadBytes(Dir->File("two/stereo.wav")), ReadBytes(Dir->File("later/stereo.wav")));
}

TEST_F(CliBatch, AFailedFileLeavesNothingAndAnOlderWavKeepsItsBytes)
{
    const std::string Out = Dir->File("kept");
    fs::create_directories(Out);
    const std::vector<uint8_t> Older = {'o', 'l', 'd', ' ', 'w', 'a', 'v'};
    WriteBytes(Out + "/broken.wav", Older);
    WriteBytes(Out + "/stereo.wav", Older);
    // A file that does not decode, and a cut download that decodes for a
    // moment once its hidden file exists: a quarter of a 3-second file.
    const std::vector<uint8_t> Whole = ReadBytes(Dir->File("in/example.wma"));
    fs::create_directories(Dir->File("cut"));
    WriteBytes(Dir->File("cut/stereo.wma"), std::vector<uint8_t>(Whole.begin(), Whole.begin() + Whole.size() / 4));
    const TCliResult R = Cli(*Dir, "convert -o kept in/broken.wma cut/stereo.wma");
    EXPECT_EQ(R.Status, 1) << R.Out;
    const std::regex CutShort("Convert to: stereo.wav \\[Failed\\]\nThe audio ends at 0\\.[0-9]+ s, but the file states "
                              "a length of [0-9]+\\.[0-9]+ s: the file is cut short\\.\n");
    EXPECT_TRUE(std::regex_search(R.Out, CutShort)) << R.Out;
    EXPECT_EQ(Tree(Out), (std::set<std::string>{"broken.wav", "stereo.wav"}));
    EXPECT_EQ(ReadBytes(Out + "/broken.wav"), Older);
    EXPECT_EQ(ReadBytes(Out + "/stereo.wav"), Older);
}

// SIGTERM, and SIGHUP from a closed terminal, mid-file.
TEST_F(CliBatch, ATerminationSignalMidFileRemovesItsHiddenFileAndExitsWithTheSignal)
{
    for (const int Number : {SIGTERM, SIGHUP}) {
        const std::string Out = Dir->File("term" + std::to_string(Number));
        fs::create_directories(Out);
        const std::vector<uint8_t> Older = {'o', 'l', 'd'};
        WriteBytes(Out + "/long.wav", Older);
        TCliProcess Run(*Dir, {"convert", "-j", "1", "-o", Out, "-r", "22050", "in/long.flac", "in/stereo.flac"});
        ASSERT_TRUE(WaitFor([&] { return Tree(Out).size() == 2; }, 30)) << Run.Out();
        Run.Signal(Number);
        EXPECT_EQ(Run.Wait(), 128 + Number) << Run.Out();
        EXPECT_EQ(Tree(Out), std::set<std::string>{"long.wav"});
        EXPECT_EQ(ReadBytes(Out + "/long.wav"), Older);
        EXPECT_EQ(PlainLog(Run.Out()), "Task Begin\n[T]Load: in/long.flac [Success]\n[T]Convert to: long.wav [Failed]\n"
                                       "Stopped before the end; the file was not written.\n"
                                       "kelvaro-cli: interrupted: 0 of 2 files were converted\n");
    }
}

TEST_F(CliBatch, AFileSizeLimitFailsTheFileThatOutgrowsIt)
{
    const std::string Out = Dir->File("limited");
    // 30 s at 22050 Hz stereo is 2.6 MB; the tone of narrow.ape stays far below.
    TCliProcess Run(*Dir, {"convert", "-o", "limited", "-r", "22050", "in/long.flac", "in/narrow.ape"}, 1000000);
    EXPECT_EQ(Run.Wait(), 1) << Run.Out();
    EXPECT_NE(PlainLog(Run.Out()).find("[T]Convert to: long.wav [Failed]\n" + std::string(std::strerror(EFBIG)) +
                                       "\n[T]Load: in/narrow.ape [Success]\n[T]Convert to: narrow.wav [Success]\n"),
              std::string::npos)
        << Run.Out();
    EXPECT_EQ(Tree(Out), std::set<std::string>{"narrow.wav"});
}

TEST(CliTree, RecursiveKeepsTheTreeAndOnlyTheFoldersWithAudio)
{
    TTempDir Dir;
    const std::string Tone = FixturesDir() + "/tone-8000-8-1.wav";
    Shell("mkdir -p " + Quote(Dir.File("tree/a/b")) + " " + Quote(Dir.File("tree/empty")));
    for (const char* Name : {"tree/z.flac", "tree/a/m.flac", "tree/a/b/d.flac"})
        Shell("flac -s -f -o " + Quote(Dir.File(Name)) + " " + Quote(Tone));
    WriteBytes(Dir.File("tree/empty/notes.txt"), {'n'});
    // A link back up the tree must not make the walk go round for ever.
    fs::create_directory_symlink("..", Dir.File("tree/a/b/up"));

    const TCliResult Flat = Cli(Dir, "convert -o flat tree");
    EXPECT_EQ(Flat.Status, 0) << Flat.Out;
    EXPECT_EQ(Tree(Dir.File("flat")), std::set<std::string>{"z.wav"});

    const TCliResult Deep = Cli(Dir, "convert -R -o deep tree");
    EXPECT_EQ(Deep.Status, 0) << Deep.Out;
    // A folder's own files come before those of its sub-folders; each output
    // is named by its place below the output folder.
    EXPECT_EQ(PlainLog(Deep.Out), "Task Begin\n"
                                  "[T]Load: tree/z.flac [Success]\n[T]Convert to: z.wav [Success]\n"
                                  "[T]Load: tree/a/m.flac [Success]\n[T]Convert to: a/m.wav [Success]\n"
                                  "[T]Load: tree/a/b/d.flac [Success]\n[T]Convert to: a/b/d.wav [Success]\n"
                                  "Task End\n\n");
    EXPECT_EQ(Tree(Dir.File("deep")), (std::set<std::string>{"z.wav", "a/", "a/m.wav", "a/b/", "a/b/d.wav"}));
    EXPECT_EQ(ReadBytes(Dir.File("deep/a/b/d.wav")), ReadBytes(Dir.File("flat/z.wav")));

    const TCliResult Long = Cli(Dir, "convert --recursive -o long tree/a");
    EXPECT_EQ(Tree(Dir.File("long")), (std::set<std::string>{"m.wav", "b/", "b/d.wav"})) << Long.Out;

    // A file met again, by another name or through another folder, converts
    // where it came first and once: renaming would have made copies.
    const TCliResult Twice = Cli(Dir, "convert -q -R --if-exists rename -o twice tree/a ./tree/a tree/a/b tree/a/m.flac");
    EXPECT_EQ(Twice.Status, 0) << Twice.Out;
    EXPECT_EQ(Tree(Dir.File("twice")), (std::set<std::string>{"m.wav", "b/", "b/d.wav"}));
}

TEST(CliProgress, AProgressLineOnATerminalAndNothingElsewhere)
{
    TTempDir Dir;
    Sine(Dir.File("a.flac"), 5);
    Sine(Dir.File("b.flac"), 5);
    const std::string Convert = "XDG_CONFIG_HOME='" + Dir.File("config") + "' '" + au::ProgramFolder() +
                                "/kelvaro-cli' convert -j 1 -r 22050 -o '" + Dir.File("out") + "' '" +
                                Dir.File("a.flac") + "' '" + Dir.File("b.flac") + "' >'" + Dir.File("log") + "'";
    std::string Terminal;
    ASSERT_EQ(RunCommand("script -qec \"" + Convert + "\" /dev/null", &Terminal), 0) << Terminal;
    EXPECT_TRUE(std::regex_search(Terminal, std::regex("\r\x1b\\[K\\[[#.]{30}\\] +\\d+% [01]/2 files, 0:0\\d elapsed")))
        << Terminal;
    std::string Plain;
    ASSERT_EQ(RunCommand(Convert + " 2>&1", &Plain), 0);
    EXPECT_EQ(Plain, "");
}
