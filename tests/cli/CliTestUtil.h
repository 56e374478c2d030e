// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace autest {

struct TCliResult {
    int Status = -1;
    std::string Out;
};

// Runs kelvaro-cli with Arguments in Dir, with a settings folder of its own and
// no terminal. Out is its standard output; standard error goes to ErrorsTo (a
// shell redirection target), by default into Out as well.
inline TCliResult Cli(const TTempDir& Dir, const std::string& Arguments, const std::string& ErrorsTo = "&1")
{
    TCliResult Result;
    Result.Status = RunCommand("cd '" + Dir.Path() + "' && XDG_CONFIG_HOME='" + Dir.Path() + "/config' '" +
                                   au::ProgramFolder() + "/kelvaro-cli' " + Arguments + " 2>" + ErrorsTo,
                               &Result.Out);
    return Result;
}

// Polls Done every Interval milliseconds for up to Seconds; returns Done().
inline bool WaitFor(const std::function<bool()>& Done, int Seconds, int Interval = 20)
{
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > Deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(Interval));
    }
    return true;
}

inline std::string Text(const std::string& File)
{
    const std::vector<uint8_t> Bytes = ReadBytes(File);
    return std::string(Bytes.begin(), Bytes.end());
}

} // namespace autest
