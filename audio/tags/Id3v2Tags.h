// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuTags.h"

#include <cstdint>
#include <string>

namespace au {

// The ID3v2 tag at the start of a file: reads the text frames it knows from
// versions 2.2, 2.3 and 2.4, and writes a new version 2.4 tag in front of a
// file's content. Frames are read as stored: unsynchronisation, extended headers
// and frame flags are not interpreted, and comment frames are skipped.
//
// Values sit under the frame ids of the version read: three-character ids for
// 2.2, four-character ids for 2.3 and 2.4 (UsesFourCharIds). Text in encoding 0
// (ISO-8859-1) becomes 8-bit UTF-8 text; UTF-16 and UTF-8 frames become wide text.
class TId3v2Tags : public TAuTags {
public:
    TId3v2Tags();

    // Tests for a valid tag header at the current position; the position is kept.
    bool IsPresent(int Handle) override;
    // True when a valid header is at the current position S; the file is then
    // left at S plus the tag's total length, whatever its frames hold. False
    // (values Null, position unspecified) otherwise.
    bool ReadFromFile(int Handle) override;
    // Puts a version 2.4 tag in front of the file's content (an existing tag is
    // not replaced). With Unicode, wide values are written as UTF-8; other
    // values as ISO-8859-1, or as UTF-8 when ISO-8859-1 cannot hold them. The
    // handle must be open for reading and writing. False, with the file as it
    // was, when the file cannot be grown, mapped or the tag would be too large.
    bool WriteToFile(int Handle, bool Unicode = true) override;

    // True after a 2.3 or 2.4 header, false after a 2.2 header.
    bool UsesFourCharIds() const { return FUsesFourCharIds; }

    std::u16string Album() const { return Wide(rAlbum); }
    void SetAlbum(const std::u16string& Value) { Set(rAlbum, Value); }
    std::u16string Artist() const { return Wide(rArtist); }
    void SetArtist(const std::u16string& Value) { Set(rArtist, Value); }
    std::u16string Genre() const { return Wide(rGenre); }
    void SetGenre(const std::u16string& Value) { Set(rGenre, Value); }
    std::u16string Title() const { return Wide(rTitle); }
    void SetTitle(const std::u16string& Value) { Set(rTitle, Value); }
    std::string Track() const { return AsString(Key(rTrack)); }
    void SetTrack(const std::string& Value) { Set(rTrack, Value); }
    std::string Year() const { return AsString(Key(rYear)); }
    void SetYear(const std::string& Value) { Set(rYear, Value); }
    std::u16string Comment() const { return Wide(rComment); }
    void SetComment(const std::u16string& Value) { Set(rComment, Value); }
    std::u16string Composer() const { return Wide(rComposer); }
    void SetComposer(const std::u16string& Value) { Set(rComposer, Value); }
    std::u16string Encoder() const { return Wide(rEncoder); }
    void SetEncoder(const std::u16string& Value) { Set(rEncoder, Value); }
    std::u16string Copyright() const { return Wide(rCopyright); }
    void SetCopyright(const std::u16string& Value) { Set(rCopyright, Value); }
    std::u16string Language() const { return Wide(rLanguage); }
    void SetLanguage(const std::u16string& Value) { Set(rLanguage, Value); }
    std::u16string Link() const { return Wide(rLink); }
    void SetLink(const std::u16string& Value) { Set(rLink, Value); }

private:
    // Rows of the frame-id table; the writer walks them in this order.
    enum TRow : uint8_t {
        rAlbum, rArtist, rGenre, rTitle, rTrack, rYear, rComment,
        rComposer, rEncoder, rCopyright, rLanguage, rLink, rRowCount
    };

    const char* Key(TRow Row) const;
    std::u16string Wide(TRow Row) const { return AsWideString(Key(Row)); }
    void Set(TRow Row, const TTagValue& Value) { SetValue(Key(Row), Value); }
    void ReadFrames(int Handle, int64_t Start, int64_t End, uint8_t Version);

    bool FUsesFourCharIds = true;
};

} // namespace au
