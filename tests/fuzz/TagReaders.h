// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/tags/Id3v1Tags.h"
#include "audio/tags/Id3v2Tags.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace autest {

// Runs the ID3v1 and ID3v2 readers over bytes held in memory files, and checks
// what must hold for any input: IsPresent keeps the position and agrees with
// ReadFromFile, a tag read leaves the file at the end its header states, a
// failed read leaves no values, and a version 2.3/2.4 tag we write again reads
// back with the same values. Used by the fuzz target and the mutation test.
class TTagReaders {
public:
    TTagReaders() : FInput(::memfd_create("tag-input", 0)), FOutput(::memfd_create("tag-output", 0)) {}
    ~TTagReaders()
    {
        ::close(FInput);
        ::close(FOutput);
    }
    TTagReaders(const TTagReaders&) = delete;
    TTagReaders& operator=(const TTagReaders&) = delete;

    // Empty when everything held, else what did not.
    std::string Check(const uint8_t* Data, size_t Size)
    {
        if (FInput < 0 || FOutput < 0)
            return "no memory file";
        if (!Fill(FInput, Data, Size))
            return "cannot fill the memory file";
        if (std::string Fault = CheckId3v2(Data, Size); !Fault.empty())
            return Fault;
        return CheckId3v1();
    }

private:
    static bool Fill(int Handle, const uint8_t* Data, size_t Size)
    {
        return ::ftruncate(Handle, 0) == 0 &&
               (Size == 0 || ::pwrite(Handle, Data, Size, 0) == static_cast<ssize_t>(Size)) &&
               ::lseek(Handle, 0, SEEK_SET) == 0;
    }

    static bool AllNull(const au::TAuTags& Tags)
    {
        for (int I = 0; I < Tags.Count(); ++I)
            if (!std::holds_alternative<std::monostate>(Tags.GetValue(Tags.KeyAt(I))))
                return false;
        return true;
    }

    // What the header states, worked out apart from the reader: -1 for no tag.
    static int64_t StatedLength(const uint8_t* D, size_t Size)
    {
        if (Size < 10 || D[0] != 'I' || D[1] != 'D' || D[2] != '3' || D[4] == 0xFF)
            return -1;
        const uint8_t Mask = D[3] == 2 ? 0x3F : D[3] == 3 ? 0x1F : D[3] == 4 ? 0x0F : 0;
        if (Mask == 0 || (D[5] & Mask) != 0 || ((D[6] | D[7] | D[8] | D[9]) & 0x80) != 0)
            return -1;
        return ((int64_t{D[6]} << 21) | (D[7] << 14) | (D[8] << 7) | D[9]) + 10 + ((D[5] & 0x10) ? 10 : 0);
    }

    std::string CheckId3v2(const uint8_t* Data, size_t Size)
    {
        au::TId3v2Tags Tags;
        const bool Present = Tags.IsPresent(FInput);
        if (::lseek(FInput, 0, SEEK_CUR) != 0)
            return "ID3v2 IsPresent moved the file";
        const bool Read = Tags.ReadFromFile(FInput);
        const int64_t Stated = StatedLength(Data, Size);
        if (Present != Read || Read != (Stated >= 0))
            return "ID3v2 IsPresent, ReadFromFile and the header disagree";
        if (!Read)
            return AllNull(Tags) ? std::string() : "a failed ID3v2 read left values";
        if (::lseek(FInput, 0, SEEK_CUR) != Stated)
            return "ID3v2 ReadFromFile did not stop at the tag end";
        // Every getter, for the sanitizers' sake.
        const std::u16string Texts[] = {Tags.Album(), Tags.Artist(), Tags.Genre(), Tags.Title(),
                                        Tags.Comment(), Tags.Composer(), Tags.Encoder(), Tags.Copyright(),
                                        Tags.Language(), Tags.Link()};
        const std::string Narrow = Tags.Track() + Tags.Year();
        (void)Texts;
        (void)Narrow;
        if (!Tags.UsesFourCharIds())
            return {};

        if (!Fill(FOutput, nullptr, 0) || !Tags.WriteToFile(FOutput) || ::lseek(FOutput, 0, SEEK_SET) != 0)
            return "ID3v2 WriteToFile failed";
        au::TId3v2Tags Back;
        if (!Back.ReadFromFile(FOutput))
            return "the ID3v2 tag written does not read";
        for (int I = 0; I < Tags.Count(); ++I) {
            const std::string Key = Tags.KeyAt(I);
            if (Key.size() == 4 && Key != "COMM" && Back.AsString(Key) != Tags.AsString(Key))
                return "the ID3v2 tag written reads back another " + Key;
        }
        return {};
    }

    std::string CheckId3v1()
    {
        au::TId3v1Tags Tags;
        ::lseek(FInput, 0, SEEK_SET);
        const bool Present = Tags.IsPresent(FInput);
        if (::lseek(FInput, 0, SEEK_CUR) != 0)
            return "ID3v1 IsPresent moved the file";
        const bool Read = Tags.ReadFromFile(FInput);
        if (Present != Read)
            return "ID3v1 IsPresent and ReadFromFile disagree";
        if (!Read)
            return AllNull(Tags) ? std::string() : "a failed ID3v1 read left values";
        if (Tags.GenreId() >= au::TId3v1Tags::GenreCount || Tags.Genre().empty())
            return "ID3v1 genre outside the table";
        const std::string All = Tags.Title() + Tags.Artist() + Tags.Album() + Tags.Comment();
        (void)All;
        return {};
    }

    int FInput;
    int FOutput;
};

} // namespace autest
