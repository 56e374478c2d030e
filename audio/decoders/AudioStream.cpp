// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioStream.h"

namespace au {

wmf::HRESULT TAudioStream::Read(void* Buffer, uint32_t Count, uint32_t* CountRead)
{
    uint32_t Done = 0;
    try {
        Done = static_cast<uint32_t>(FStream.Read(Buffer, Count));
    } catch (...) {
        Done = 0;
    }
    if (CountRead != nullptr)
        *CountRead = Done;
    return Done > 0 ? wmf::S_OK : wmf::STREAM_FAILURE;
}

wmf::HRESULT TAudioStream::Write(const void* Buffer, uint32_t Count, uint32_t* CountWritten)
{
    uint32_t Done = 0;
    try {
        FStream.Write(Buffer, Count);
        Done = Count;
    } catch (...) {
        Done = 0;
    }
    if (CountWritten != nullptr)
        *CountWritten = Done;
    return Done > 0 ? wmf::S_OK : wmf::STREAM_FAILURE;
}

wmf::HRESULT TAudioStream::Seek(int64_t Move, uint32_t Origin, uint64_t* NewPosition)
{
    if (Origin > 2)
        return wmf::E_INVALIDARG;
    try {
        // The whole 64-bit offset, so that files beyond 4 GiB are read right.
        const int64_t Position = FStream.Seek(Move, static_cast<TSeekOrigin>(Origin));
        if (NewPosition != nullptr)
            *NewPosition = static_cast<uint64_t>(Position);
        return wmf::S_OK;
    } catch (...) {
        return wmf::E_FAIL;
    }
}

wmf::HRESULT TAudioStream::SetSize(uint64_t NewSize)
{
    try {
        FStream.SetPosition(static_cast<int64_t>(NewSize));
        return wmf::S_OK;
    } catch (...) {
        return wmf::E_FAIL;
    }
}

wmf::HRESULT TAudioStream::CopyTo(wmf::IStream*, uint64_t, uint64_t*, uint64_t*) { return wmf::E_NOTIMPL; }
wmf::HRESULT TAudioStream::Commit(uint32_t) { return wmf::E_NOTIMPL; }
wmf::HRESULT TAudioStream::Revert() { return wmf::E_NOTIMPL; }
wmf::HRESULT TAudioStream::LockRegion(uint64_t, uint64_t, uint32_t) { return wmf::E_NOTIMPL; }
wmf::HRESULT TAudioStream::UnlockRegion(uint64_t, uint64_t, uint32_t) { return wmf::E_NOTIMPL; }

wmf::HRESULT TAudioStream::Stat(wmf::STATSTG* Stat, uint32_t)
{
    if (Stat == nullptr)
        return wmf::E_POINTER;
    try {
        Stat->cbSize = static_cast<uint64_t>(FStream.Size());
        Stat->grfMode = 0;
        Stat->grfLocksSupported = 0;
        return wmf::S_OK;
    } catch (...) {
        return wmf::E_FAIL;
    }
}

wmf::HRESULT TAudioStream::Clone(wmf::IStream** Copy)
{
    if (Copy != nullptr)
        *Copy = nullptr;
    return wmf::E_NOTIMPL;
}

} // namespace au
