// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "APEv2Tags.h"
#include "FileTags.h"
#include "Id3v1Tags.h"
#include "Id3v2Tags.h"
#include "audio/core/AuFileIn.h"

#include <memory>

namespace au {

// A file input whose file may carry ID3v1, ID3v2 and APEv2 tags. The decoders
// that derive from it fill the tag objects when they open a file; the objects
// live as long as the input. Accessed on the thread that opens the input.
class TAuTaggedFileIn : public TAuFileIn {
public:
    TAuTaggedFileIn();
    ~TAuTaggedFileIn() override;

    TId3v1Tags& Id3v1Tags() { return *FId3v1Tags; }
    TId3v2Tags& Id3v2Tags() { return *FId3v2Tags; }
    TAPEv2Tags& APEv2Tags() { return *FAPEv2Tags; }
    // The cover the decoder found, if any; set with the tags.
    TTagPicture& Picture() { return FPicture; }

private:
    std::unique_ptr<TId3v1Tags> FId3v1Tags;
    std::unique_ptr<TId3v2Tags> FId3v2Tags;
    std::unique_ptr<TAPEv2Tags> FAPEv2Tags;
    TTagPicture FPicture;
};

} // namespace au
