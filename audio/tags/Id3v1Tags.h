// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuTags.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace au {

// The ID3v1 (and v1.1) block in the last 128 bytes of a file. Its text fields
// hold ISO-8859-1: they are read into UTF-8 and written back as ISO-8859-1
// (characters it lacks become '?'), cut to the field's width in bytes.
//
// Keys: "artist", "album", "genre" (8-bit integer, 12 when new), "year"
// (16-bit integer), "track" (8-bit integer), "title", "comment" (8-bit text).
class TId3v1Tags : public TAuTags {
public:
    static constexpr int GenreCount = 148;
    // The genre table: 0..79 of the original list, then its common extension.
    static std::string_view GenreName(int Id);

    TId3v1Tags();

    // Tests for "TAG" 128 bytes before the end; the position is kept.
    bool IsPresent(int Handle) override;
    // Reads the block; the file is left at its end. False (values Null) when the
    // file is shorter than 128 bytes, unreadable, or does not end in a block.
    bool ReadFromFile(int Handle) override;
    // Appends a block at the end of the file (an existing one stays); Unicode is
    // ignored. True only when all 128 bytes were written.
    bool WriteToFile(int Handle, bool Unicode = true) override;

    std::string Title() const { return AsString("title"); }
    void SetTitle(const std::string& Value) { SetValue("title", Value); }
    // Empty when the stored value is not text.
    std::string Artist() const;
    void SetArtist(const std::string& Value) { SetValue("artist", Value); }
    std::string Album() const { return AsString("album"); }
    void SetAlbum(const std::string& Value) { SetValue("album", Value); }
    uint16_t Year() const { return static_cast<uint16_t>(AsInteger("year")); }
    void SetYear(uint16_t Value) { SetValue("year", Value); }
    std::string Comment() const { return AsString("comment"); }
    void SetComment(const std::string& Value) { SetValue("comment", Value); }
    uint8_t Track() const { return static_cast<uint8_t>(AsInteger("track")); }
    void SetTrack(uint8_t Value) { SetValue("track", Value); }
    // The stored genre when it is in the table, else 12 ("Other").
    uint8_t GenreId() const;
    void SetGenreId(uint8_t Value) { SetValue("genre", Value); }
    std::string Genre() const { return std::string(GenreName(GenreId())); }
    // Selects the first table entry equal to the trimmed name, ignoring ASCII
    // case; a name not in the table changes nothing.
    void SetGenre(std::string_view Name);
};

} // namespace au
