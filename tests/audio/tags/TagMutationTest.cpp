// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged real tags: seeded, bounded mutations of tags that other programs
// wrote, run through the readers; the AddressSanitizer build catches any read
// outside what was read.
#include "TagTestUtil.h"
#include "fuzz/TagReaders.h"

#include <gtest/gtest.h>
#include <random>

using namespace autest;

namespace {

// A file's head, where an ID3v2 tag sits, and its last 128 bytes, where an
// ID3v1 block sits.
TBytes Seed(const std::string& Name)
{
    constexpr size_t Head = 8192;
    const TBytes All = ReadBytes(Name);
    if (All.size() <= Head + 128)
        return All;
    return TBytes(All.begin(), All.begin() + Head) + TBytes(All.end() - 128, All.end());
}

std::vector<std::pair<std::string, TBytes>> Seeds()
{
    std::vector<std::pair<std::string, TBytes>> Result;
    for (const char* Name : {"compressed_id3_frame.mp3", "duplicate_id3v2.mp3", "excessive_alloc.mp3",
                             "extended-header.mp3", "id3v22-tda.mp3", "lame_cbr.mp3", "rare_frames.mp3",
                             "tagged.tta", "mac-399-id3v2.ape", "mac-399-tagged.ape"})
        Result.emplace_back(Name, Seed(FixturesDir() + "/wild/" + Name));
    Result.emplace_back("tagged-id3v1.ape", Seed(FixturesDir() + "/tagged-id3v1.ape"));
    for (const auto& [Name, Bytes] : Result)
        EXPECT_GT(Bytes.size(), 100u) << Name;
    return Result;
}

void Mutate(TBytes& Data, std::mt19937& Random)
{
    const auto Pick = [&](size_t Limit) { return std::uniform_int_distribution<size_t>(0, Limit - 1)(Random); };
    const uint8_t Special[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, ' ', 'A'};
    const int Count = 1 + static_cast<int>(Pick(4));
    for (int I = 0; I < Count && !Data.empty(); ++I) {
        // Headers and the ID3v1 block are where the decisions are made.
        const size_t Near = Pick(2) == 0 ? Pick(std::min<size_t>(Data.size(), 64))
                                         : Data.size() - 1 - Pick(std::min<size_t>(Data.size(), 128));
        switch (Pick(6)) {
        case 0:
            Data[Pick(Data.size())] ^= static_cast<uint8_t>(1u << Pick(8));
            break;
        case 1:
            Data[Near] = Special[Pick(sizeof Special)];
            break;
        case 2:
            Data[Near] = static_cast<uint8_t>(Pick(256));
            break;
        case 3:
            Data.resize(Pick(Data.size() + 1));
            break;
        case 4: {
            // A size field made huge, tiny or odd.
            const size_t At = Pick(Data.size());
            for (size_t K = At; K < std::min(Data.size(), At + 4); ++K)
                Data[K] = Special[Pick(sizeof Special)];
            break;
        }
        default: {
            const size_t From = Pick(Data.size()), Length = Pick(64);
            const TBytes Piece(Data.begin() + static_cast<long>(From),
                               Data.begin() + static_cast<long>(std::min(Data.size(), From + Length)));
            Data.insert(Data.begin() + static_cast<long>(Near), Piece.begin(), Piece.end());
        }
        }
    }
}

} // namespace

TEST(TagMutation, DamagedRealTagsNeverBreakTheReaders)
{
    constexpr int Rounds = 1000;
    std::mt19937 Random(20261208);
    TTagReaders Readers;
    for (const auto& [Name, Original] : Seeds()) {
        ASSERT_EQ(Readers.Check(Original.data(), Original.size()), "") << Name;
        for (int Round = 0; Round < Rounds; ++Round) {
            TBytes Data = Original;
            Mutate(Data, Random);
            const std::string Fault = Readers.Check(Data.data(), Data.size());
            ASSERT_EQ(Fault, "") << Name << ", round " << Round;
        }
    }
}
