// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuTags.h"

#include "TagText.h"

#include <algorithm>
#include <optional>

namespace au {

namespace {

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; }

bool KeyLess(std::string_view A, std::string_view B)
{
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(),
                                        [](char X, char Y) { return LowerAscii(X) < LowerAscii(Y); });
}

bool KeyEqual(std::string_view A, std::string_view B) { return !KeyLess(A, B) && !KeyLess(B, A); }

std::optional<int64_t> IntegerOf(const TTagValue& Value)
{
    return std::visit(
        [](const auto& V) -> std::optional<int64_t> {
            using T = std::decay_t<decltype(V)>;
            if constexpr (std::is_integral_v<T>)
                return static_cast<int64_t>(V);
            else
                return std::nullopt;
        },
        Value);
}

bool IsText(const TTagValue& Value)
{
    return std::holds_alternative<std::string>(Value) || std::holds_alternative<std::u16string>(Value);
}

std::string TextOf(const TTagValue& Value)
{
    if (const auto* Narrow = std::get_if<std::string>(&Value))
        return *Narrow;
    if (const auto* Wide = std::get_if<std::u16string>(&Value))
        return Utf16ToUtf8(*Wide);
    if (const auto Number = IntegerOf(Value))
        return std::to_string(*Number);
    return {};
}

bool SameValue(const TTagValue& A, const TTagValue& B)
{
    const bool NullA = std::holds_alternative<std::monostate>(A);
    const bool NullB = std::holds_alternative<std::monostate>(B);
    if (NullA || NullB)
        return NullA && NullB;
    const auto NumberA = IntegerOf(A), NumberB = IntegerOf(B);
    if (NumberA && NumberB)
        return *NumberA == *NumberB;
    if (IsText(A) && IsText(B))
        return TextOf(A) == TextOf(B);
    return false;
}

} // namespace

void TAuTags::AssignTo(TAuTags& Dest) const { Dest.Assign(*this); }

void TAuTags::Assign(const TAuTags& Source)
{
    if (&Source == this)
        return;
    Clear();
    for (const auto& [Key, Value] : Source.FEntries)
        SetValue(Key, Value);
}

bool TAuTags::IsPresent(int Handle) { return Handle >= 0; }

bool TAuTags::ReadFromFile(int Handle)
{
    if (Handle < 0)
        return false;
    Clear();
    return true;
}

bool TAuTags::WriteToFile(int Handle, bool /*Unicode*/) { return Handle >= 0; }

std::string TAuTags::KeyAt(int Index) const
{
    if (Index < 0 || Index >= Count())
        return {};
    return FEntries[static_cast<size_t>(Index)].first;
}

size_t TAuTags::LowerBound(std::string_view Key) const
{
    const auto At = std::lower_bound(FEntries.begin(), FEntries.end(), Key,
                                     [](const TEntry& E, std::string_view K) { return KeyLess(E.first, K); });
    return static_cast<size_t>(At - FEntries.begin());
}

const TTagValue* TAuTags::Find(std::string_view Key) const
{
    const size_t At = LowerBound(Key);
    if (At < FEntries.size() && KeyEqual(FEntries[At].first, Key))
        return &FEntries[At].second;
    return nullptr;
}

TTagValue TAuTags::GetValue(std::string_view Key) const
{
    const TTagValue* Found = Find(Key);
    return Found == nullptr ? TTagValue{} : *Found;
}

void TAuTags::SetValue(std::string_view Key, const TTagValue& Value)
{
    const size_t At = LowerBound(Key);
    if (At == FEntries.size() || !KeyEqual(FEntries[At].first, Key) || SameValue(FEntries[At].second, Value))
        return;
    FEntries[At].second = Value;
    FEmpty = false;
    FChanged = true;
}

int32_t TAuTags::AsInteger(std::string_view Key) const
{
    const TTagValue Value = GetValue(Key);
    if (const auto Number = IntegerOf(Value))
        return static_cast<int32_t>(*Number);
    int32_t Parsed = 0;
    if (IsText(Value) && ParseDecimal(TextOf(Value), Parsed))
        return Parsed;
    return 0;
}

std::string TAuTags::AsString(std::string_view Key) const { return TextOf(GetValue(Key)); }

std::u16string TAuTags::AsWideString(std::string_view Key) const
{
    const TTagValue Value = GetValue(Key);
    if (const auto* Wide = std::get_if<std::u16string>(&Value))
        return *Wide;
    return Utf8ToUtf16(TextOf(Value));
}

void TAuTags::Clear()
{
    for (auto& Entry : FEntries)
        Entry.second = std::monostate{};
    FEmpty = true;
    FChanged = true;
}

bool TAuTags::AddKey(std::string_view Key, const TTagValue& Initial)
{
    if (Key.empty())
        return false;
    const size_t At = LowerBound(Key);
    if (At == FEntries.size() || !KeyEqual(FEntries[At].first, Key))
        FEntries.emplace(FEntries.begin() + static_cast<std::ptrdiff_t>(At), std::string(Key), Initial);
    return true;
}

} // namespace au
