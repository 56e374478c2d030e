// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace au {

// A picture a file carries (a cover, mostly), as the ID3v2 APIC frame holds one.
struct TTagPicture {
    // A larger picture is not carried along: it would make every converted
    // file that much larger for an image no player shows at that size.
    static constexpr size_t MaxBytes = size_t{16} << 20;

    std::string Mime;        // "image/jpeg", "image/png", ...
    uint8_t Type = 3;        // the ID3v2 picture type; 3 is the front cover
    std::string Description; // UTF-8
    std::vector<uint8_t> Data;
    // The size of a picture the file has but that was left out for its size.
    uint64_t LeftOutBytes = 0;

    // Keeps Bytes as the picture, or only their count when they pass MaxBytes.
    void Take(const uint8_t* Bytes, uint64_t Count)
    {
        Data.clear();
        LeftOutBytes = 0;
        if (Count > MaxBytes)
            LeftOutBytes = Count;
        else
            Data.assign(Bytes, Bytes + Count);
    }
    bool Present() const { return !Data.empty(); }
    // Of several pictures the front cover is the one kept, else the first.
    bool WouldTake(uint32_t OtherType) const
    {
        return (!Present() && LeftOutBytes == 0) || (Type != 3 && OtherType == 3);
    }
};

// The tags of a file, as a WAV file can carry them: UTF-8 text without zero
// bytes, each at most MaxValueBytes long, and one picture.
struct TFileTags {
    static constexpr size_t MaxValueBytes = 1000;

    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Track;
    std::string Year;
    std::string Genre;
    std::string Comment;
    TTagPicture Picture;
    int CutValues = 0; // values shortened to MaxValueBytes

    bool HasText() const
    {
        return !(Title.empty() && Artist.empty() && Album.empty() && Track.empty() && Year.empty() &&
                 Genre.empty() && Comment.empty());
    }
    bool Empty() const { return !HasText() && !Picture.Present(); }
};

} // namespace au
