// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace au {

// Text conversions of the tag classes. 8-bit text is UTF-8 throughout the
// program; ISO-8859-1 appears only inside tag files. Malformed input never
// fails: an invalid UTF-8 sequence or a lone UTF-16 surrogate becomes U+FFFD.
// All functions are pure and may be called from any thread.

std::string Latin1ToUtf8(std::string_view Latin1);
// Characters above U+00FF become '?'; the result tells whether none did.
bool Utf8ToLatin1(std::string_view Utf8, std::string& Latin1);
std::u16string Utf8ToUtf16(std::string_view Utf8);
std::string Utf16ToUtf8(std::u16string_view Utf16);

// Strips leading and trailing bytes 0 to 32 (blanks and control characters),
// as fixed-width tag fields are padded with either.
std::string_view TrimBlanks(std::string_view Text);

// An optionally signed run of decimal digits that fits 32 bits; nothing else
// (no blanks, no other characters) is accepted.
bool ParseDecimal(std::string_view Text, int32_t& Value);

} // namespace au
