// SPDX-License-Identifier: GPL-3.0-or-later
#include "TTAIn.h"

#include "TTADecoder.h"
#include "TTALibBinding.h"
#include "audio/core/AuException.h"
#include "audio/tags/TagFile.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

namespace au {
namespace {

constexpr const char* MsgNoFileName = "File name is not defined!";
constexpr const char* MsgOpenFailed = "Unable to open file for input!";
constexpr const char* MsgTemporaryFailed = "Unable to create temporary file!";
constexpr const char* MsgMapFailed = "Unable to map temporary file to memory!";
constexpr const char* MsgBrokenId3v2 = "Broken or unsupported Id3v2 tags was found!";
constexpr const char* MsgNotOpened = "File for input is not opened!";

// Closes a descriptor on the way out unless it was released.
class THandleGuard {
public:
    explicit THandleGuard(int Handle) : FHandle(Handle) {}
    ~THandleGuard()
    {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    THandleGuard(const THandleGuard&) = delete;
    THandleGuard& operator=(const THandleGuard&) = delete;
    int Get() const { return FHandle; }
    int Release()
    {
        const int Handle = FHandle;
        FHandle = -1;
        return Handle;
    }

private:
    int FHandle;
};

} // namespace

TTTAIn::TTTAIn() = default;

TTTAIn::~TTTAIn()
{
    Destroying();
    CloseFile();
}

int TTTAIn::OpenOwnFile()
{
    const std::string Name = FileName();
    if (Name.empty())
        throw EAuException(MsgNoFileName);
    THandleGuard Handle(::open(Name.c_str(), O_RDONLY | O_CLOEXEC));
    // Others may read meanwhile; a writer of this program that shares nothing may not.
    if (Handle.Get() < 0 || ::flock(Handle.Get(), LOCK_SH | LOCK_NB) != 0)
        throw EAuException(MsgOpenFailed);
    return Handle.Release();
}

// The decoder reads a descriptor, so a supplied stream is copied to a file that
// no other name reaches and that disappears when it is closed.
int TTTAIn::CopyStreamToTemporaryFile()
{
    const char* Folder = std::getenv("TMPDIR");
    std::string Path = std::string(Folder != nullptr && *Folder != '\0' ? Folder : "/tmp") + "/pcmXXXXXX";
    THandleGuard Guard(::mkstemp(Path.data()));
    const int Created = Guard.Get();
    if (Created < 0)
        throw EAuException(MsgTemporaryFailed);
    ::unlink(Path.c_str());
    // The whole size: a stream beyond 4 GiB is copied in full.
    const int64_t Size = FStream->Size();
    if (Size > 0) {
        if (::ftruncate(Created, Size) != 0)
            throw EAuException(MsgMapFailed);
        void* View = ::mmap(nullptr, static_cast<size_t>(Size), PROT_READ | PROT_WRITE, MAP_SHARED, Created, 0);
        if (View == MAP_FAILED)
            throw EAuException(MsgMapFailed);
        try {
            FStream->SetPosition(0);
            int64_t Done = 0;
            while (Done < Size) {
                const int64_t Got = FStream->Read(static_cast<uint8_t*>(View) + Done, Size - Done);
                if (Got <= 0)
                    break;
                Done += Got;
            }
        } catch (...) {
            ::munmap(View, static_cast<size_t>(Size));
            throw;
        }
        ::munmap(View, static_cast<size_t>(Size));
    }
    return Guard.Release();
}

void TTTAIn::ReadTags(int Handle)
{
    {
        TTagFilePositionKeeper Keeper(Handle);
        if (Keeper.Valid())
            Id3v1Tags().ReadFromFile(Handle);
    }
    if (Id3v2Tags().IsPresent(Handle) && !Id3v2Tags().ReadFromFile(Handle))
        throw EAuException(MsgBrokenId3v2);
}

void TTTAIn::OpenFile()
{
    TTALibLibrary().Require();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0)
        return;
    FValid = false;
    THandleGuard Closer(FStreamAssigned ? CopyStreamToTemporaryFile() : OpenOwnFile());
    const int Opened = Closer.Get();
    ::lseek(Opened, 0, SEEK_SET);
    ReadTags(Opened);
    auto Decoder = std::make_unique<TTTADecoder>(Opened);
    const int32_t Bits = Decoder->GetBitsPerSample();
    const int32_t Rate = Decoder->GetSampleRate();
    const int32_t Channels = Decoder->GetNumChannels();
    const int64_t Length = Decoder->GetDataLength();
    FSeekable = false;
    FPosition = 0;
    FHandle = Closer.Release();
    FDecoder = std::move(Decoder);
    FBitsPerSample = static_cast<uint32_t>(Bits);
    FSampleRate = static_cast<uint32_t>(Rate);
    FChannels = static_cast<uint32_t>(Channels);
    FTotalSamples = Length;
    const int64_t Width = (Bits + 7) / 8;
    FSize = Length < 0 ? -1 : Length * Width * Channels;
    // Only these depths have a sample layout in the decoder's blocks.
    FValid = Width >= 1 && Width <= 3 && Channels > 0 && Rate > 0;
    ++FOpenCount;
}

void TTTAIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    if (--FOpenCount > 0)
        return;
    FDecoder.reset();
    FSeekable = true;
    ::close(FHandle);
    FHandle = -1;
    FOutput.clear();
    FLeftover.clear();
}

void TTTAIn::AppendBlock(const int32_t* Block, int32_t Length)
{
    const size_t Width = (FBitsPerSample + 7) / 8;
    const size_t Count = static_cast<size_t>(Length) * FChannels;
    const size_t At = FOutput.size();
    FOutput.resize(At + Count * Width);
    uint8_t* Out = FOutput.data() + At;
    for (size_t I = 0; I < Count; ++I) {
        const uint32_t S = static_cast<uint32_t>(Block[I]);
        if (Width == 1) {
            *Out++ = static_cast<uint8_t>(S + 128);
            continue;
        }
        *Out++ = static_cast<uint8_t>(S);
        *Out++ = static_cast<uint8_t>(S >> 8);
        if (Width == 3)
            *Out++ = static_cast<uint8_t>(S >> 16);
    }
}

void TTTAIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (!FBusy)
        throw EAuException(MsgNotOpened);
    if (Bytes == 0)
        return;
    if (FDecoder == nullptr) {
        Bytes = 0;
        return;
    }
    const int64_t Size = FSize;
    if (Size >= 0 && Size - FPosition < Bytes)
        Bytes = static_cast<uint32_t>(std::max<int64_t>(Size - FPosition, 0));
    FOutput.swap(FLeftover);
    FLeftover.clear();
    while (FOutput.size() < Bytes) {
        int32_t* Block = nullptr;
        const int32_t Length = FDecoder->GetBlock(&Block);
        if (Length <= 0 || Block == nullptr) {
            Bytes = static_cast<uint32_t>(FOutput.size());
            break;
        }
        AppendBlock(Block, Length);
    }
    if (FOutput.size() > Bytes)
        FLeftover.assign(FOutput.begin() + Bytes, FOutput.end());
    Buffer = FOutput.data();
}

bool TTTAIn::DoSeek(int64_t&)
{
    return false;
}

} // namespace au
