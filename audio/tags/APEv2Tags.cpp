// SPDX-License-Identifier: GPL-3.0-or-later
#include "APEv2Tags.h"

namespace au {

TAPEv2Tags::TAPEv2Tags()
{
    for (const char* Key : {
             "Artist",
             "Composer",
             "Album",
             "Debut album",
             "Publisher",
             "Conductor",
             "Copyright",
             "ISBN",
             "ISRC",
             "EAN/UPC",
             "LC",
             "Catalog",
             "Language",
             "Genre",
             "Year",
             "Record Date",
             "Record Location",
             "File",
             "Related",
             "Abstract",
             "Bibliography",
             "Track",
             "Title",
             "Subtitle",
             "Comment",
         })
        AddKey(Key, {});
}

} // namespace au
