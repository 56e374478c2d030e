// SPDX-License-Identifier: GPL-3.0-or-later
// ASF header surgery, for the cases encoders never write.
#pragma once

#include "support/TestUtil.h"

#include "audio/core/ByteOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace autest {

using TAsfGuid = std::array<uint8_t, 16>;

// A GUID written as text ("8CABDCA1-A947-11CF-8EE4-00C00C205365") in the byte
// order an ASF file stores it: the 32-, 16- and 16-bit fields little-endian,
// the last eight bytes as written.
inline TAsfGuid AsfGuid(const std::string& Text)
{
    std::string Hex;
    for (const char C : Text)
        if (std::isxdigit(static_cast<unsigned char>(C)))
            Hex += C;
    EXPECT_EQ(Hex.size(), 32u) << Text;
    Hex.resize(32, '0');
    TAsfGuid Guid{};
    for (size_t I = 0; I < Guid.size(); ++I)
        Guid[I] = static_cast<uint8_t>(std::stoul(Hex.substr(2 * I, 2), nullptr, 16));
    std::reverse(Guid.begin(), Guid.begin() + 4);
    std::reverse(Guid.begin() + 4, Guid.begin() + 6);
    std::reverse(Guid.begin() + 6, Guid.begin() + 8);
    return Guid;
}

inline uint64_t LE64(const std::vector<uint8_t>& B, size_t At)
{
    return static_cast<uint64_t>(LE32(B, At)) | static_cast<uint64_t>(LE32(B, At + 4)) << 32;
}

inline void PutLE64(std::vector<uint8_t>& B, size_t At, uint64_t V)
{
    for (int I = 0; I < 8; ++I)
        B[At + I] = static_cast<uint8_t>(V >> (8 * I));
}

// Where the header object with Guid starts in File.
inline size_t FindObject(const std::vector<uint8_t>& File, const TAsfGuid& Guid)
{
    for (size_t At = 30; At + 24 <= File.size(); At += LE64(File, At + 16))
        if (std::memcmp(&File[At], Guid.data(), 16) == 0)
            return At;
    ADD_FAILURE() << "no such ASF object";
    return 0;
}

// Puts a header object with Guid and Body first among the header's objects.
inline void InsertObject(const std::string& File, const TAsfGuid& Guid, const std::vector<uint8_t>& Body)
{
    std::vector<uint8_t> Bytes = ReadBytes(File);
    std::vector<uint8_t> Object(Guid.begin(), Guid.end());
    Object.resize(24);
    PutLE64(Object, 16, 24 + Body.size());
    Object.insert(Object.end(), Body.begin(), Body.end());
    Bytes.insert(Bytes.begin() + 30, Object.begin(), Object.end());
    PutLE64(Bytes, 16, LE64(Bytes, 16) + Object.size());
    au::PutLE32(&Bytes[24], LE32(Bytes, 24) + 1);
    WriteBytes(File, Bytes);
}

// The two header objects that mark protected content, each with a small body of
// its layout: the Content Encryption object (secret data, protection type
// "DRM", key id and licence URL, each after its length) and the Extended
// Content Encryption object (its data after its length).
inline std::vector<std::pair<TAsfGuid, std::vector<uint8_t>>> ProtectionObjects()
{
    return {{AsfGuid("2211B3FB-BD23-11D2-B4B7-00A0C955FC6E"),
             {0, 0, 0, 0, 4, 0, 0, 0, 'D', 'R', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0}},
            {AsfGuid("298AE614-2622-4C17-B935-DAE07EE9289C"), {4, 0, 0, 0, 1, 2, 3, 4}}};
}

} // namespace autest
