// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace au {

enum class TSeekOrigin : uint8_t { Begin, Current, End };

// A byte stream with a position, as decoders read and sinks write them.
// Read returns the count read (0 at the end); failures throw EAuException.
class TAuStream {
public:
    TAuStream() = default;
    TAuStream(const TAuStream&) = delete;
    TAuStream& operator=(const TAuStream&) = delete;
    virtual ~TAuStream() = default;

    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    // Writes all of Buffer or throws.
    virtual void Write(const void* Buffer, int64_t Count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    virtual int64_t Size() = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::Begin); }
    // Reads exactly Count bytes; false (position unspecified) when the stream ends first.
    bool ReadExact(void* Buffer, int64_t Count) { return ReadAll(Buffer, Count) == Count; }
    // Reads until Count bytes or the end; returns the count.
    int64_t ReadAll(void* Buffer, int64_t Count);
};

} // namespace au
