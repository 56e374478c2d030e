// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace au {

// Byte-order helpers for file headers; they work on bytes, so alignment and the
// host's order never matter.

inline uint16_t GetLE16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }

inline uint32_t GetLE32(const uint8_t* P)
{
    return static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) |
           (static_cast<uint32_t>(P[2]) << 16) | (static_cast<uint32_t>(P[3]) << 24);
}

inline uint64_t GetLE64(const uint8_t* P) { return GetLE32(P) | (uint64_t{GetLE32(P + 4)} << 32); }

inline uint32_t GetBE32(const uint8_t* P)
{
    return (static_cast<uint32_t>(P[0]) << 24) | (static_cast<uint32_t>(P[1]) << 16) |
           (static_cast<uint32_t>(P[2]) << 8) | static_cast<uint32_t>(P[3]);
}

inline void PutLE16(uint8_t* P, uint16_t V)
{
    P[0] = static_cast<uint8_t>(V);
    P[1] = static_cast<uint8_t>(V >> 8);
}

inline void PutLE32(uint8_t* P, uint32_t V)
{
    P[0] = static_cast<uint8_t>(V);
    P[1] = static_cast<uint8_t>(V >> 8);
    P[2] = static_cast<uint8_t>(V >> 16);
    P[3] = static_cast<uint8_t>(V >> 24);
}

inline void PutLE64(uint8_t* P, uint64_t V)
{
    PutLE32(P, static_cast<uint32_t>(V));
    PutLE32(P + 4, static_cast<uint32_t>(V >> 32));
}

inline void PutBE32(uint8_t* P, uint32_t V)
{
    P[0] = static_cast<uint8_t>(V >> 24);
    P[1] = static_cast<uint8_t>(V >> 16);
    P[2] = static_cast<uint8_t>(V >> 8);
    P[3] = static_cast<uint8_t>(V);
}

} // namespace au
