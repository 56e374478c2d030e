// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WMFInterface.h"

#include <cstdint>

namespace wmvcore {

// What the ASF header says that FFmpeg does not tell: whether the content is
// protected, and the play duration less the preroll.
struct TAsfFacts {
    bool IsAsf = false;
    bool Protected = false;
    // 100-ns units; 0 when the header gives none (broadcast files, damaged headers).
    uint64_t PlayDuration = 0;
};

// Walks the top-level objects of the ASF header at the start of Stream, by
// seeking from object to object: nothing larger than one object header is
// read, whatever sizes a damaged file claims. Leaves the stream position
// unspecified.
TAsfFacts ReadAsfFacts(wmf::IStream& Stream);

} // namespace wmvcore
