// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace autest {

// A private sound server with one null sink ("null", 44100 Hz 16-bit stereo)
// for the test program, started before the first test and stopped after the
// last. Clients of this process (and the tools it starts) reach it, and only it,
// through PULSE_SERVER.
class TSoundServer {
public:
    static void Start();
    static void Stop();
    // The address the tests' clients use ("unix:<socket>").
    static std::string Address();
};

// Records the null sink's monitor with parec, as 44100 Hz 16-bit stereo.
class TMonitorRecorder {
public:
    // Returns once parec is connected and recording.
    TMonitorRecorder();
    ~TMonitorRecorder();
    TMonitorRecorder(const TMonitorRecorder&) = delete;
    TMonitorRecorder& operator=(const TMonitorRecorder&) = delete;

    // Ends the recording and returns the interleaved samples.
    std::vector<int16_t> Finish();

private:
    std::string FFile;
    pid_t FPid = -1;
};

// Starts a program with the process's environment plus Environment, standard
// output to OutputFile and errors appended to ErrorFile; it ends with this
// program. Returns its id.
pid_t Spawn(const std::vector<std::string>& Arguments, const std::string& OutputFile,
            const std::string& ErrorFile, const std::vector<std::string>& Environment = {});

} // namespace autest
