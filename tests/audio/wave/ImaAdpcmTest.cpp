// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wave/ImaAdpcm.h"

#include <gtest/gtest.h>

#include <vector>

using namespace au;

TEST(ImaAdpcm, SamplesPerBlockFollowTheBlockSize)
{
    EXPECT_EQ(ImaSamplesPerBlock(512, 1), 1017);
    EXPECT_EQ(ImaSamplesPerBlock(512, 2), 505);
    EXPECT_EQ(ImaSamplesPerBlock(256, 1), 505);
    EXPECT_EQ(ImaSamplesPerBlock(256, 2), 249);
    EXPECT_TRUE(ImaBlockSizeSuits(512, 2));
    EXPECT_TRUE(ImaBlockSizeSuits(32768, 1));
    // Codes of the last group would run past the block, or the count past 16 bits.
    EXPECT_FALSE(ImaBlockSizeSuits(516, 2));
    EXPECT_FALSE(ImaBlockSizeSuits(32772, 1));
    EXPECT_FALSE(ImaBlockSizeSuits(510, 1));
    EXPECT_FALSE(ImaBlockSizeSuits(512, 3));
}

TEST(ImaAdpcm, SilenceGivesZeroCodesAndKeepsTheIndex)
{
    std::vector<int16_t> Frames(1017, 0);
    TImaChannelState State[2];
    std::vector<uint8_t> Block(512, 0xEE);
    ImaEncodeBlock(Frames.data(), 1, 512, State, Block.data());
    EXPECT_EQ(Block, std::vector<uint8_t>(512, 0));
    EXPECT_EQ(State[0].StepIndex, 0);
}

TEST(ImaAdpcm, FullScaleSquareWaveSaturatesIndexAndPredictor)
{
    TImaChannelState State;
    int Highest = 0, Lowest = 0, TopIndex = 0;
    for (int I = 0; I < 400; ++I) {
        const int Sample = (I / 4) % 2 == 0 ? 32767 : -32768;
        ImaEncodeSample(Sample, State);
        Highest = std::max<int>(Highest, State.Predictor);
        Lowest = std::min<int>(Lowest, State.Predictor);
        TopIndex = std::max<int>(TopIndex, State.StepIndex);
    }
    EXPECT_EQ(TopIndex, 88);
    EXPECT_EQ(Highest, 32767);
    EXPECT_EQ(Lowest, -32767);
}

TEST(ImaAdpcm, FirstStepsMatchTheQuantiser)
{
    TImaChannelState State;
    // step 7: d = 100 >= 7, 100-7 >= 3, 90 >= 1 -> code 7, delta 0+7+3+1 = 11, index 0+8.
    EXPECT_EQ(ImaEncodeSample(100, State), 7);
    EXPECT_EQ(State.Predictor, 11);
    EXPECT_EQ(State.StepIndex, 8);
    // step 16: d = -11 -> code 8 | (11 >= 8: 2, 3 >= 4? no) = 10, delta -(2+8) = -10.
    EXPECT_EQ(ImaEncodeSample(0, State), 10);
    EXPECT_EQ(State.Predictor, 1);
    EXPECT_EQ(State.StepIndex, 7);
}

TEST(ImaAdpcm, StereoCodesInterleaveInGroupsOfEightBytes)
{
    // Left rises by 100 per frame, right falls: their first codes differ in sign.
    std::vector<int16_t> Frames(2 * 249);
    for (int F = 0; F < 249; ++F) {
        Frames[2 * F] = static_cast<int16_t>(F * 100);
        Frames[2 * F + 1] = static_cast<int16_t>(-F * 100);
    }
    Frames[0] = 1000;
    Frames[1] = -1000;
    TImaChannelState State[2];
    State[1].StepIndex = 5;
    std::vector<uint8_t> Block(256);
    ImaEncodeBlock(Frames.data(), 2, 256, State, Block.data());
    EXPECT_EQ(Block[0] | (Block[1] << 8), 1000);
    EXPECT_EQ(Block[2], 0);
    EXPECT_EQ(static_cast<int16_t>(Block[4] | (Block[5] << 8)), -1000);
    EXPECT_EQ(Block[6], 5);
    EXPECT_EQ(Block[3], 0);
    EXPECT_EQ(Block[7], 0);
    // Frame 1 of each channel is below its predictor: sign bit in the low nibble.
    EXPECT_EQ(Block[8] & 0x8, 0x8);
    EXPECT_EQ(Block[12] & 0x8, 0x0);
}
