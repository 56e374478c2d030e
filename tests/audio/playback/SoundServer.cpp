// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundServer.h"

#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/prctl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

// The sound server's client library hands its objects to its own thread in
// ways that ThreadSanitizer does not see (it is not built for it), and so
// reports races inside it.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libpulse.so\n"
           "race:libpulsecommon\n";
}

namespace autest {
namespace {

std::unique_ptr<TTempDir> GFolder;
pid_t GServer = -1;
pid_t GPacer = -1;

constexpr auto StartTimeout = std::chrono::seconds(10);
constexpr auto PollStep = std::chrono::milliseconds(10);

bool WaitUntil(const std::function<bool()>& Done)
{
    const auto Deadline = std::chrono::steady_clock::now() + StartTimeout;
    while (!Done()) {
        if (std::chrono::steady_clock::now() >= Deadline)
            return false;
        std::this_thread::sleep_for(PollStep);
    }
    return true;
}

void EndProcess(pid_t& Pid, int Signal)
{
    if (Pid <= 0)
        return;
    ::kill(Pid, Signal);
    int Status = 0;
    ::waitpid(Pid, &Status, 0);
    Pid = -1;
}

int RecordingStreams()
{
    std::string Streams;
    RunCommand("pactl list short source-outputs", &Streams);
    return static_cast<int>(std::count(Streams.begin(), Streams.end(), '\n'));
}

class TSoundServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override { TSoundServer::Start(); }
    void TearDown() override { TSoundServer::Stop(); }
};

[[maybe_unused]] ::testing::Environment* const GEnvironment =
    ::testing::AddGlobalTestEnvironment(new TSoundServerEnvironment);

} // namespace

pid_t Spawn(const std::vector<std::string>& Arguments, const std::string& OutputFile,
            const std::string& ErrorFile, const std::vector<std::string>& Environment)
{
    std::vector<std::string> Variables;
    for (char** Entry = environ; *Entry != nullptr; ++Entry)
        Variables.emplace_back(*Entry);
    Variables.insert(Variables.end(), Environment.begin(), Environment.end());
    std::vector<char*> Env, Argv;
    for (auto& Text : Variables)
        Env.push_back(Text.data());
    Env.push_back(nullptr);
    std::vector<std::string> Args = Arguments;
    for (auto& Text : Args)
        Argv.push_back(Text.data());
    Argv.push_back(nullptr);

    const int Input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int Output = ::open(OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int Errors = ::open(ErrorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (Input < 0 || Output < 0 || Errors < 0)
        throw std::runtime_error("cannot open the files of " + Arguments[0]);
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        // A crashed test program must not leave its server behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(Input, 0);
        ::dup2(Output, 1);
        ::dup2(Errors, 2);
        ::execvpe(Argv[0], Argv.data(), Env.data());
        ::_exit(127);
    }
    ::close(Input);
    ::close(Output);
    ::close(Errors);
    if (Pid < 0)
        throw std::runtime_error("cannot start " + Arguments[0]);
    return Pid;
}

void TSoundServer::Start()
{
    GFolder = std::make_unique<TTempDir>();
    const std::string Root = GFolder->Path();
    for (const char* Sub : {"/run", "/state", "/config"})
        std::filesystem::create_directories(Root + Sub);
    const std::string ClientConfig = GFolder->File("client.conf");
    WriteBytes(ClientConfig, {'a', 'u', 't', 'o', 's', 'p', 'a', 'w', 'n', '=', 'n', 'o', '\n'});
    // Clients must find this server and never start or use another one.
    ::setenv("PULSE_SERVER", Address().c_str(), 1);
    ::setenv("PULSE_CLIENTCONFIG", ClientConfig.c_str(), 1);

    GServer = Spawn({"pulseaudio", "-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1",
                     "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr",
                     "--load=module-null-sink sink_name=null format=s16le rate=44100 channels=2 norewinds=1",
                     "--load=module-native-protocol-unix auth-anonymous=1 socket=" + GFolder->File("native")},
                    "/dev/null", GFolder->File("server.log"),
                    {"HOME=" + Root, "XDG_RUNTIME_DIR=" + Root + "/run", "PULSE_RUNTIME_PATH=" + Root + "/run",
                     "PULSE_STATE_PATH=" + Root + "/state", "XDG_CONFIG_HOME=" + Root + "/config"});
    if (!WaitUntil([] { return RunCommand("pactl info >/dev/null 2>&1") == 0; }))
        throw std::runtime_error("the test sound server did not start");

    // An idle null sink renders seconds of silence ahead and does not take it
    // back for a new stream, which would hold every test's audio back by that
    // much. A low-latency reader of its monitor keeps it rendering in small
    // blocks; a suspend and resume drops what it rendered before.
    GPacer = Spawn({"parec", "--device=null.monitor", "--raw", "--latency-msec=10"}, "/dev/null",
                   GFolder->File("pacer.log"));
    if (!WaitUntil([] { return RecordingStreams() > 0; }))
        throw std::runtime_error("the test sound server's pacer did not start");
    if (RunCommand("pactl suspend-sink null 1 && pactl suspend-sink null 0") != 0)
        throw std::runtime_error("the test sound server's sink cannot be restarted");
}

void TSoundServer::Stop()
{
    EndProcess(GPacer, SIGINT);
    EndProcess(GServer, SIGTERM);
    GFolder.reset();
}

std::string TSoundServer::Address()
{
    return "unix:" + GFolder->File("native");
}

TMonitorRecorder::TMonitorRecorder()
{
    FFile = std::filesystem::temp_directory_path() / ("kelvaro-monitor-" + std::to_string(::getpid()) + ".raw");
    const int Before = RecordingStreams();
    FPid = Spawn({"parec", "--device=null.monitor", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                  "--latency-msec=10"},
                 FFile, FFile + ".log");
    const bool Connected = WaitUntil([Before] { return RecordingStreams() > Before; });
    if (!Connected) {
        EndProcess(FPid, SIGINT);
        std::filesystem::remove(FFile);
        std::filesystem::remove(FFile + ".log");
        throw std::runtime_error("parec did not start recording");
    }
}

TMonitorRecorder::~TMonitorRecorder()
{
    EndProcess(FPid, SIGINT);
    std::filesystem::remove(FFile);
    std::filesystem::remove(FFile + ".log");
}

std::vector<int16_t> TMonitorRecorder::Finish()
{
    EndProcess(FPid, SIGINT);
    const std::vector<uint8_t> Bytes = ReadBytes(FFile);
    std::vector<int16_t> Samples(Bytes.size() / 2);
    for (size_t I = 0; I < Samples.size(); ++I)
        Samples[I] = static_cast<int16_t>(LE16(Bytes, 2 * I));
    return Samples;
}

} // namespace autest
