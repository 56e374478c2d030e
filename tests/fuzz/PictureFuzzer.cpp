// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the cover readers: the input is at once a FLAC
// picture block, the base64 text of an Ogg Vorbis picture comment and a file
// whose APEv2 tag may hold a front cover. What is read must lie in the input.
#include "MemoryFile.h"
#include "audio/tags/PictureReaders.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool Read, const au::TTagPicture& Picture, size_t Size, const char* Reader)
{
    // Base64 gives at most three bytes for four characters.
    if (Read && Picture.Data.size() + Picture.LeftOutBytes > Size) {
        std::fprintf(stderr, "%s: a picture larger than its input\n", Reader);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 20;
    if (Size > MaxInput)
        return -1;
    au::TTagPicture Picture;
    Check(au::ReadFlacPicture(Data, Size, Picture), Picture, Size, "FLAC");
    Picture = au::TTagPicture();
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    Check(au::ReadVorbisCommentPicture(Text, Picture), Picture, Size, "Vorbis");
    static autest::TMemoryFile File("picture");
    if (File.Fill(Data, Size)) {
        Picture = au::TTagPicture();
        Check(au::ReadApeCover(File.Handle(), Picture), Picture, Size, "APEv2");
        for (const auto& [Key, Value] : au::ReadApeTexts(File.Handle()))
            if (Key.size() + Value.size() > Size)
                std::abort();
    }
    return 0;
}
