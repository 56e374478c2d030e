// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuTaggedFileIn.h"

namespace au {

TAuTaggedFileIn::TAuTaggedFileIn()
    : FId3v1Tags(std::make_unique<TId3v1Tags>()), FId3v2Tags(std::make_unique<TId3v2Tags>()),
      FAPEv2Tags(std::make_unique<TAPEv2Tags>())
{
}

TAuTaggedFileIn::~TAuTaggedFileIn() = default;

} // namespace au
