// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuInput.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace autest {

// Everything a started input hands out, pulled in pieces of Chunk bytes.
inline std::vector<uint8_t> PullAll(au::TAuInput& In, uint32_t Chunk = 10000, size_t Cap = size_t{1} << 28)
{
    std::vector<uint8_t> Out;
    std::vector<uint8_t> Piece(Chunk);
    while (Out.size() < Cap) {
        const uint32_t Got = In.CopyData(Piece.data(), Chunk);
        if (Got == 0)
            break;
        Out.insert(Out.end(), Piece.begin(), Piece.begin() + Got);
    }
    return Out;
}

// The samples in the data chunk of a WAV file.
inline std::vector<uint8_t> WavData(const std::string& FileName)
{
    const std::vector<uint8_t> File = ReadBytes(FileName);
    size_t At = 12;
    while (At + 8 <= File.size()) {
        const uint32_t Size = LE32(File, At + 4);
        if (std::equal(File.begin() + At, File.begin() + At + 4, "data"))
            return std::vector<uint8_t>(File.begin() + At + 8, File.begin() + std::min<size_t>(File.size(), At + 8 + Size));
        At += 8 + Size + (Size & 1);
    }
    ADD_FAILURE() << "no data chunk in " << FileName;
    return {};
}

// Runs a shell command that must succeed.
inline void Shell(const std::string& Command)
{
    std::string Out;
    ASSERT_EQ(RunCommand(Command + " 2>&1", &Out), 0) << Command << "\n" << Out;
}

inline std::string Quote(const std::string& Path) { return "'" + Path + "'"; }

} // namespace autest
