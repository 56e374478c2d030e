// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestUtil.h"

#include "audio/core/ProgramFolder.h"

#include <string>

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

} // namespace autest
