// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagText.h"

#include <limits>

namespace au {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Decodes the code point at Text[At] and moves At past it. Overlong forms,
// surrogates and values above U+10FFFF are malformed: one byte is consumed and
// U+FFFD returned, so that decoding always makes progress.
char32_t NextCodePoint(std::string_view Text, size_t& At)
{
    const auto Byte = [&](size_t I) { return static_cast<uint8_t>(Text[I]); };
    const uint8_t Lead = Byte(At);
    if (Lead < 0x80) {
        ++At;
        return Lead;
    }
    size_t Length = 0;
    char32_t Code = 0;
    char32_t Minimum = 0;
    if ((Lead & 0xE0) == 0xC0) {
        Length = 2, Code = Lead & 0x1F, Minimum = 0x80;
    } else if ((Lead & 0xF0) == 0xE0) {
        Length = 3, Code = Lead & 0x0F, Minimum = 0x800;
    } else if ((Lead & 0xF8) == 0xF0) {
        Length = 4, Code = Lead & 0x07, Minimum = 0x10000;
    } else {
        ++At;
        return Replacement;
    }
    if (Text.size() - At < Length) {
        ++At;
        return Replacement;
    }
    for (size_t I = 1; I < Length; ++I) {
        const uint8_t Next = Byte(At + I);
        if ((Next & 0xC0) != 0x80) {
            ++At;
            return Replacement;
        }
        Code = (Code << 6) | (Next & 0x3F);
    }
    if (Code < Minimum || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) {
        ++At;
        return Replacement;
    }
    At += Length;
    return Code;
}

void AppendUtf8(std::string& Out, char32_t Code)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xC0 | (Code >> 6));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Out += static_cast<char>(0xE0 | (Code >> 12));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Code >> 18));
        Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    }
}

} // namespace

std::string Latin1ToUtf8(std::string_view Latin1)
{
    std::string Out;
    Out.reserve(Latin1.size());
    for (const char C : Latin1)
        AppendUtf8(Out, static_cast<uint8_t>(C));
    return Out;
}

bool Utf8ToLatin1(std::string_view Utf8, std::string& Latin1)
{
    Latin1.clear();
    bool Exact = true;
    for (size_t At = 0; At < Utf8.size();) {
        const char32_t Code = NextCodePoint(Utf8, At);
        if (Code > 0xFF) {
            Latin1 += '?';
            Exact = false;
        } else {
            Latin1 += static_cast<char>(Code);
        }
    }
    return Exact;
}

std::u16string Utf8ToUtf16(std::string_view Utf8)
{
    std::u16string Out;
    Out.reserve(Utf8.size());
    for (size_t At = 0; At < Utf8.size();) {
        const char32_t Code = NextCodePoint(Utf8, At);
        if (Code < 0x10000) {
            Out += static_cast<char16_t>(Code);
        } else {
            Out += static_cast<char16_t>(0xD800 + ((Code - 0x10000) >> 10));
            Out += static_cast<char16_t>(0xDC00 + ((Code - 0x10000) & 0x3FF));
        }
    }
    return Out;
}

std::string Utf16ToUtf8(std::u16string_view Utf16)
{
    std::string Out;
    Out.reserve(Utf16.size());
    for (size_t At = 0; At < Utf16.size(); ++At) {
        const char16_t Unit = Utf16[At];
        if (Unit >= 0xD800 && Unit <= 0xDBFF && At + 1 < Utf16.size() && Utf16[At + 1] >= 0xDC00 &&
            Utf16[At + 1] <= 0xDFFF) {
            AppendUtf8(Out, 0x10000 + ((static_cast<char32_t>(Unit) - 0xD800) << 10) + (Utf16[At + 1] - 0xDC00));
            ++At;
        } else if (Unit >= 0xD800 && Unit <= 0xDFFF) {
            AppendUtf8(Out, Replacement);
        } else {
            AppendUtf8(Out, Unit);
        }
    }
    return Out;
}

std::string_view TrimBlanks(std::string_view Text)
{
    const auto Blank = [](char C) { return static_cast<uint8_t>(C) <= 32; };
    while (!Text.empty() && Blank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && Blank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

bool ParseDecimal(std::string_view Text, int32_t& Value)
{
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    if (Text.empty())
        return false;
    int64_t Magnitude = 0;
    for (const char C : Text) {
        if (C < '0' || C > '9')
            return false;
        Magnitude = Magnitude * 10 + (C - '0');
        if (Magnitude > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    const int64_t Signed = Negative ? -Magnitude : Magnitude;
    if (Signed > std::numeric_limits<int32_t>::max())
        return false;
    Value = static_cast<int32_t>(Signed);
    return true;
}

} // namespace au
