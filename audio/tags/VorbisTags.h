// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuTags.h"

#include <string>

namespace au {

// Vorbis comment field names; the FLAC and Ogg Vorbis inputs pick comments by
// them (compared without regard to case).
inline constexpr const char* VorbisKeyAlbum = "album";
inline constexpr const char* VorbisKeyArtist = "artist";
inline constexpr const char* VorbisKeyDate = "date";
inline constexpr const char* VorbisKeyGenre = "genre";
inline constexpr const char* VorbisKeyTitle = "title";
inline constexpr const char* VorbisKeyTrackNumber = "tracknumber";
inline constexpr const char* VorbisKeyDiscNumber = "discnumber";
inline constexpr const char* VorbisKeyReferenceLoudness = "replaygain_reference_loudness";
inline constexpr const char* VorbisKeyTrackGain = "replaygain_track_gain";
inline constexpr const char* VorbisKeyTrackPeak = "replaygain_track_peak";
inline constexpr const char* VorbisKeyAlbumGain = "replaygain_album_gain";
inline constexpr const char* VorbisKeyAlbumPeak = "replaygain_album_peak";

// The Vorbis comment fields (with ReplayGain) of an Ogg Vorbis or FLAC stream,
// filled value by value by its decoder; this class reads and writes no file.
class TVorbisTags : public TAuTags {
public:
    TVorbisTags();

    std::u16string Album() const { return AsWideString(VorbisKeyAlbum); }
    void SetAlbum(const std::u16string& Value) { SetValue(VorbisKeyAlbum, Value); }
    std::u16string Artist() const { return AsWideString(VorbisKeyArtist); }
    void SetArtist(const std::u16string& Value) { SetValue(VorbisKeyArtist, Value); }
    std::u16string Date() const { return AsWideString(VorbisKeyDate); }
    void SetDate(const std::u16string& Value) { SetValue(VorbisKeyDate, Value); }
    std::u16string Genre() const { return AsWideString(VorbisKeyGenre); }
    void SetGenre(const std::u16string& Value) { SetValue(VorbisKeyGenre, Value); }
    std::u16string Title() const { return AsWideString(VorbisKeyTitle); }
    void SetTitle(const std::u16string& Value) { SetValue(VorbisKeyTitle, Value); }
    std::u16string Track() const { return AsWideString(VorbisKeyTrackNumber); }
    void SetTrack(const std::u16string& Value) { SetValue(VorbisKeyTrackNumber, Value); }
    std::u16string Disc() const { return AsWideString(VorbisKeyDiscNumber); }
    void SetDisc(const std::u16string& Value) { SetValue(VorbisKeyDiscNumber, Value); }
    std::u16string Reference() const { return AsWideString(VorbisKeyReferenceLoudness); }
    void SetReference(const std::u16string& Value) { SetValue(VorbisKeyReferenceLoudness, Value); }
    std::u16string TrackGain() const { return AsWideString(VorbisKeyTrackGain); }
    void SetTrackGain(const std::u16string& Value) { SetValue(VorbisKeyTrackGain, Value); }
    std::u16string TrackPeak() const { return AsWideString(VorbisKeyTrackPeak); }
    void SetTrackPeak(const std::u16string& Value) { SetValue(VorbisKeyTrackPeak, Value); }
    std::u16string AlbumGain() const { return AsWideString(VorbisKeyAlbumGain); }
    void SetAlbumGain(const std::u16string& Value) { SetValue(VorbisKeyAlbumGain, Value); }
    std::u16string AlbumPeak() const { return AsWideString(VorbisKeyAlbumPeak); }
    void SetAlbumPeak(const std::u16string& Value) { SetValue(VorbisKeyAlbumPeak, Value); }
};

} // namespace au
