// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestUtil.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace autest {

using TBytes = std::vector<uint8_t>;

inline TBytes Bytes(const std::string& Text) { return TBytes(Text.begin(), Text.end()); }
// A literal with the zero bytes inside it (but not its terminator).
template <size_t N>
TBytes Raw(const char (&Text)[N])
{
    return TBytes(Text, Text + N - 1);
}

inline TBytes operator+(TBytes A, const TBytes& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// A file in a fresh folder holding Content, open for reading and writing.
class TTagFile {
public:
    explicit TTagFile(const TBytes& Content = {}, const std::string& Name = "tagged.mp3")
        : FName(FDir.File(Name))
    {
        WriteBytes(FName, Content);
        Open();
    }
    ~TTagFile() { ::close(FHandle); }
    TTagFile(const TTagFile&) = delete;
    TTagFile& operator=(const TTagFile&) = delete;

    int Handle() const { return FHandle; }
    const std::string& Name() const { return FName; }
    TBytes Content() const { return ReadBytes(FName); }
    int64_t Position() const { return ::lseek(FHandle, 0, SEEK_CUR); }
    void Seek(int64_t At) const { ::lseek(FHandle, At, SEEK_SET); }
    // After another program changed the file.
    void Reopen()
    {
        ::close(FHandle);
        Open();
    }

private:
    void Open()
    {
        FHandle = ::open(FName.c_str(), O_RDWR);
        if (FHandle < 0)
            throw std::runtime_error("cannot open " + FName);
    }

    TTempDir FDir;
    std::string FName;
    int FHandle = -1;
};

inline void PutSynchsafe(uint8_t* P, uint32_t V)
{
    for (int I = 0; I < 4; ++I)
        P[I] = static_cast<uint8_t>((V >> (21 - 7 * I)) & 0x7F);
}

inline TBytes Id3v2Header(uint8_t Version, uint8_t Flags, uint32_t Size)
{
    TBytes H = {'I', 'D', '3', Version, 0, Flags, 0, 0, 0, 0};
    PutSynchsafe(H.data() + 6, Size);
    return H;
}

// A frame of the given version: 2 (six-byte header), 3 (big-endian size) or 4
// (synchsafe size). DeclaredSize overrides the data's length.
inline TBytes Id3v2Frame(uint8_t Version, const std::string& Id, const TBytes& Data,
                         int64_t DeclaredSize = -1)
{
    const auto Size = static_cast<uint32_t>(DeclaredSize >= 0 ? DeclaredSize : static_cast<int64_t>(Data.size()));
    TBytes F(Id.begin(), Id.end());
    if (Version == 2) {
        F.push_back(static_cast<uint8_t>(Size >> 16));
        F.push_back(static_cast<uint8_t>(Size >> 8));
        F.push_back(static_cast<uint8_t>(Size));
    } else {
        F.resize(10, 0);
        if (Version == 3)
            for (int I = 0; I < 4; ++I)
                F[4 + I] = static_cast<uint8_t>(Size >> (24 - 8 * I));
        else
            PutSynchsafe(F.data() + 4, Size);
    }
    return F + Data;
}

// A tag of the given version holding Frames and Padding zero bytes.
inline TBytes Id3v2Tag(uint8_t Version, const TBytes& Frames, size_t Padding = 0)
{
    return Id3v2Header(Version, 0, static_cast<uint32_t>(Frames.size() + Padding)) + Frames +
           TBytes(Padding, 0);
}

// Text frame data: encoding byte, then the bytes.
inline TBytes TextData(uint8_t Encoding, const TBytes& Text) { return TBytes{Encoding} + Text; }

// A 128-byte ID3v1 block; Comment is the raw 30-byte field (shorter is zero-padded).
inline TBytes Id3v1Block(const std::string& Title, const std::string& Artist, const std::string& Album,
                         const std::string& Year, const TBytes& Comment, uint8_t Genre,
                         const std::string& Magic = "TAG")
{
    TBytes B(128, 0);
    const auto Put = [&](size_t At, const TBytes& Field, size_t Width) {
        std::copy_n(Field.begin(), std::min(Field.size(), Width), B.begin() + static_cast<long>(At));
    };
    Put(0, Bytes(Magic), 3);
    Put(3, Bytes(Title), 30);
    Put(33, Bytes(Artist), 30);
    Put(63, Bytes(Album), 30);
    Put(93, Bytes(Year), 4);
    Put(97, Comment, 30);
    B[127] = Genre;
    return B;
}

} // namespace autest
