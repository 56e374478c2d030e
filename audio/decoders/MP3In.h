// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WMIn.h"

namespace au {

// MPEG audio files, read like Windows Media files; the reported length gets a
// third of a second more than the file's "Duration" attribute.
class TMP3In final : public TWMIn {
public:
    ~TMP3In() override;

protected:
    void OpenFile() override;
};

} // namespace au
