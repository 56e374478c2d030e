// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace au {

// The codec libraries the decoders open, each by its name ("libFLAC") and the
// version the library reports about itself, empty when it cannot be loaded.
// Loads what is not loaded yet, as a decoder would. Any thread.
std::vector<std::pair<std::string, std::string>> CodecLibraryVersions();

} // namespace au
