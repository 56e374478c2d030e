// SPDX-License-Identifier: GPL-3.0-or-later
#include "VorbisTags.h"

namespace au {

TVorbisTags::TVorbisTags()
{
    for (const char* Key : {
             VorbisKeyAlbum,
             VorbisKeyArtist,
             VorbisKeyDate,
             VorbisKeyGenre,
             VorbisKeyTitle,
             VorbisKeyTrackNumber,
             VorbisKeyDiscNumber,
             VorbisKeyReferenceLoudness,
             VorbisKeyTrackGain,
             VorbisKeyTrackPeak,
             VorbisKeyAlbumGain,
             VorbisKeyAlbumPeak,
         })
        AddKey(Key, {});
}

} // namespace au
