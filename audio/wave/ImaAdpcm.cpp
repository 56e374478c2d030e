// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImaAdpcm.h"

#include "audio/core/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace au {
namespace {

constexpr int16_t StepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int8_t IndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

void PutHeader(uint8_t* At, const TImaChannelState& State)
{
    PutLE16(At, static_cast<uint16_t>(State.Predictor));
    At[2] = State.StepIndex;
    At[3] = 0;
}

void PutCode(uint8_t* Byte, uint8_t Code, bool High)
{
    *Byte |= High ? static_cast<uint8_t>(Code << 4) : Code;
}

} // namespace

uint16_t ImaSamplesPerBlock(uint16_t BlockSize, int Channels)
{
    // The header field is 16 bits wide; ImaBlockSizeSuits rejects sizes that wrap.
    return static_cast<uint16_t>((2 / Channels) * (BlockSize - 4 * Channels) + 1);
}

bool ImaBlockSizeSuits(uint16_t BlockSize, int Channels)
{
    if (BlockSize == 0 || BlockSize % 4 != 0)
        return false;
    if (Channels == 1)
        return BlockSize >= 4 && 2 * (BlockSize - 4) + 1 <= UINT16_MAX;
    if (Channels == 2)
        return BlockSize >= 8 && (BlockSize - 8) % 8 == 0;
    return false;
}

uint8_t ImaEncodeSample(int Sample, TImaChannelState& State)
{
    const int Step = StepTable[State.StepIndex];
    int Diff = Sample - State.Predictor;
    uint8_t Code = 0;
    if (Diff < 0) {
        Code = 8;
        Diff = -Diff;
    }
    if (Diff >= Step) {
        Code |= 4;
        Diff -= Step;
    }
    if (Diff >= Step / 2) {
        Code |= 2;
        Diff -= Step / 2;
    }
    if (Diff >= Step / 4)
        Code |= 1;

    int Delta = Step / 8;
    if (Code & 4)
        Delta += Step;
    if (Code & 2)
        Delta += Step / 2;
    if (Code & 1)
        Delta += Step / 4;
    if (Code & 8)
        Delta = -Delta;
    // The lower bound is -32767, as the format's reference encoder has it.
    State.Predictor = static_cast<int16_t>(std::clamp(State.Predictor + Delta, -32767, 32767));
    State.StepIndex = static_cast<uint8_t>(std::clamp(State.StepIndex + IndexTable[Code], 0, 88));
    return Code;
}

void ImaEncodeBlock(const int16_t* Frames, int Channels, uint16_t BlockSize,
                    TImaChannelState* States, uint8_t* Block)
{
    std::memset(Block, 0, BlockSize);
    const int Frames1 = ImaSamplesPerBlock(BlockSize, Channels);
    if (Channels == 1) {
        States[0].Predictor = Frames[0];
        PutHeader(Block, States[0]);
        for (int K = 0; K + 1 < Frames1; ++K) {
            const uint8_t Code = ImaEncodeSample(Frames[K + 1], States[0]);
            PutCode(Block + 4 + K / 2, Code, K % 2 != 0);
        }
        return;
    }
    for (int Ch = 0; Ch < 2; ++Ch) {
        States[Ch].Predictor = Frames[Ch];
        PutHeader(Block + 4 * Ch, States[Ch]);
    }
    for (int Ch = 0; Ch < 2; ++Ch) {
        for (int K = 0; K + 1 < Frames1; ++K) {
            const uint8_t Code = ImaEncodeSample(Frames[2 * (K + 1) + Ch], States[Ch]);
            const int Pair = K / 2;
            PutCode(Block + (Pair / 4) * 8 + Pair % 4 + 8 + 4 * Ch, Code, K % 2 != 0);
        }
    }
}

} // namespace au
