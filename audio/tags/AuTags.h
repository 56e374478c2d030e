// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace au {

// A tag value: Null (std::monostate), 8-bit text (UTF-8), wide text (UTF-16) or
// an integer. The tag classes store unsigned 8- and 16-bit integers; the other
// widths are accepted from callers and read back through the same accessors.
using TTagValue = std::variant<std::monostate, std::string, std::u16string, uint8_t, uint16_t, int8_t,
                               int16_t, int32_t, uint32_t>;

// The metadata of an input file: a fixed set of keys, chosen by each kind's
// constructor, mapped to values. Keys compare without regard to ASCII case and
// are kept sorted that way. No operation throws for bad data or a failed file
// operation; file operations answer false instead. The file handle is a file
// descriptor the caller opened and closes; -1 (any negative value) is invalid.
//
// Threads: not locked; one thread at a time, the one that opens the owning input.
class TAuTags {
public:
    TAuTags() = default;
    TAuTags(const TAuTags&) = delete;
    TAuTags& operator=(const TAuTags&) = delete;
    virtual ~TAuTags() = default;

    // Clears Dest, then sets each of this object's keys on Dest, in this
    // object's order; keys Dest does not have are skipped.
    virtual void AssignTo(TAuTags& Dest) const;
    // The mirror of AssignTo. Assigning an object to itself keeps its values.
    virtual void Assign(const TAuTags& Source);

    // True when the handle is valid (kinds that read files test for their tag).
    virtual bool IsPresent(int Handle);
    // Valid handle: Clear and true; kinds that read files then read their tag.
    virtual bool ReadFromFile(int Handle);
    // True when the handle is valid (kinds that write files write their tag).
    virtual bool WriteToFile(int Handle, bool Unicode = true);

    int Count() const { return static_cast<int>(FEntries.size()); }
    // The key at Index of the sorted store; empty when Index is out of range.
    std::string KeyAt(int Index) const;
    // A copy of the value; Null when the key is absent.
    TTagValue GetValue(std::string_view Key) const;
    // Ignored for an absent key or a value the same as the stored one (two
    // Nulls are the same; numbers compare by value, texts by content whatever
    // their width). Otherwise stores it, clears Empty and sets Changed.
    void SetValue(std::string_view Key, const TTagValue& Value);
    // 0 for an absent key or Null; text counts when it is a decimal integer.
    int32_t AsInteger(std::string_view Key) const;
    // Empty for an absent key or Null; integers as decimal text.
    std::string AsString(std::string_view Key) const;
    std::u16string AsWideString(std::string_view Key) const;
    // Every value Null; Empty and Changed true.
    void Clear();

    bool Empty() const { return FEmpty; }
    bool Changed() const { return FChanged; }

protected:
    // Constructors only. False for an empty key; a key already present keeps
    // its value.
    bool AddKey(std::string_view Key, const TTagValue& Initial);

private:
    using TEntry = std::pair<std::string, TTagValue>;

    size_t LowerBound(std::string_view Key) const;
    const TTagValue* Find(std::string_view Key) const;

    std::vector<TEntry> FEntries;
    bool FEmpty = true;
    bool FChanged = false;
};

} // namespace au
