// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace app {

// The caption of the window and of every message box, and the folder name of
// the default output folder.
inline constexpr const char* ApplicationTitle = "Trevalin free WMA to Wav Converter";

} // namespace app
