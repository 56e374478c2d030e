// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace autest {

// Services the user-interface-thread queue until Done() holds or the time runs
// out; returns Done(). Tests run on the thread that started the program.
bool PumpUntil(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::milliseconds(20000));

// A fresh folder below the temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return FPath + "/" + Name; }

private:
    std::string FPath;
};

std::vector<uint8_t> ReadBytes(const std::string& FileName);
void WriteBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes);

// Runs a shell command; returns its exit status and, in Output, what it printed
// on standard output.
int RunCommand(const std::string& Command, std::string* Output = nullptr);

// The folder of the shared test audio.
std::string FixturesDir();
// tests/support/wav-tags.py: makes tagged sources; reads a WAV file's ID3 tag
// as the mutagen library does ("read FILE").
std::string WavTagsScript();

uint32_t LE32(const std::vector<uint8_t>& Bytes, size_t At);
uint16_t LE16(const std::vector<uint8_t>& Bytes, size_t At);

} // namespace autest
