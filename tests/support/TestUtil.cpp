// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestUtil.h"

#include "audio/core/Synchronize.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>

namespace autest {

bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout)
{
    const auto Deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Done()) {
        if (std::chrono::steady_clock::now() >= Deadline)
            return false;
        au::CheckSynchronize(std::chrono::milliseconds(5));
    }
    return true;
}

TTempDir::TTempDir()
{
    std::string Pattern = (std::filesystem::temp_directory_path() / "kelvaro-test-XXXXXX").string();
    if (::mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    FPath = Pattern;
}

TTempDir::~TTempDir()
{
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
}

std::vector<uint8_t> ReadBytes(const std::string& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes)
{
    std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

int RunCommand(const std::string& Command, std::string* Output)
{
    FILE* Pipe = ::popen(Command.c_str(), "r");
    if (Pipe == nullptr)
        return -1;
    std::array<char, 4096> Chunk{};
    size_t Got = 0;
    while ((Got = std::fread(Chunk.data(), 1, Chunk.size(), Pipe)) > 0)
        if (Output != nullptr)
            Output->append(Chunk.data(), Got);
    const int Status = ::pclose(Pipe);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

std::string WavTagsScript() { return KELVARO_WAV_TAGS_SCRIPT; }

std::string FixturesDir()
{
    if (const char* Dir = std::getenv("KELVARO_FIXTURES"))
        return Dir;
    return KELVARO_FIXTURES_DIR;
}

uint32_t LE32(const std::vector<uint8_t>& Bytes, size_t At)
{
    return static_cast<uint32_t>(Bytes.at(At)) | (static_cast<uint32_t>(Bytes.at(At + 1)) << 8) |
           (static_cast<uint32_t>(Bytes.at(At + 2)) << 16) |
           (static_cast<uint32_t>(Bytes.at(At + 3)) << 24);
}

uint16_t LE16(const std::vector<uint8_t>& Bytes, size_t At)
{
    return static_cast<uint16_t>(Bytes.at(At) | (Bytes.at(At + 1) << 8));
}

} // namespace autest
