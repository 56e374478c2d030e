// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The synchronous reader of the Windows Media stand-in library, as the
// Windows Media input calls it: reference-counted interfaces with the layout
// and result conventions of the runtime it replaces (0 success, a failure code
// otherwise). Shared by the library (codecs/wmvcore) and its caller
// (audio/decoders); nothing of FFmpeg appears here. Both sides are built by the
// same compiler, so the virtual tables match.

#include <atomic>
#include <cstdint>

namespace wmf {

using HRESULT = uint32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = 0x80004005;
constexpr HRESULT E_NOTIMPL = 0x80004001;
constexpr HRESULT E_NOINTERFACE = 0x80004002;
constexpr HRESULT E_POINTER = 0x80004003;
constexpr HRESULT E_INVALIDARG = 0x80070057;
constexpr HRESULT E_OUTOFMEMORY = 0x8007000E;
constexpr HRESULT E_UNEXPECTED = 0x8000FFFF;
// What a stream adapter answers for a read or write that moved no bytes.
constexpr HRESULT STREAM_FAILURE = 0xFFFFFFFF;
constexpr HRESULT ASF_E_BUFFERTOOSMALL = 0xC00D07D1;
constexpr HRESULT ASF_E_NOTFOUND = 0xC00D07F0;
constexpr HRESULT NS_E_INVALID_REQUEST = 0xC00D002B;
constexpr HRESULT NS_E_NO_MORE_SAMPLES = 0xC00D0BCF;
constexpr HRESULT NS_E_INVALID_OUTPUT_FORMAT = 0xC00D0BB9;
constexpr HRESULT NS_E_PROTECTED_CONTENT = 0xC00D0BBD;
constexpr HRESULT NS_E_UNRECOGNIZED_STREAM_TYPE = 0xC00D0036;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

inline bool operator==(const GUID& A, const GUID& B)
{
    if (A.Data1 != B.Data1 || A.Data2 != B.Data2 || A.Data3 != B.Data3)
        return false;
    for (int I = 0; I < 8; ++I)
        if (A.Data4[I] != B.Data4[I])
            return false;
    return true;
}

constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IWMHeaderInfo = {0x96406BDA, 0x2B2B, 0x11D3, {0xB3, 0x6B, 0x00, 0xC0, 0x4F, 0x61, 0x08, 0xFF}};
constexpr GUID IID_IWMHeaderInfo3 = {0x15CC68E3, 0x27CC, 0x4ECD, {0xB2, 0x22, 0x3F, 0x5D, 0x02, 0xD8, 0x0B, 0xD5}};
constexpr GUID WMMEDIATYPE_Audio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID WMMEDIASUBTYPE_PCM = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID WMFORMAT_WaveFormatEx = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

enum WMT_ATTR_DATATYPE : uint32_t {
    WMT_TYPE_DWORD = 0,
    WMT_TYPE_STRING = 1,
    WMT_TYPE_BINARY = 2,
    WMT_TYPE_BOOL = 3,
    WMT_TYPE_QWORD = 4,
    WMT_TYPE_WORD = 5,
    WMT_TYPE_GUID = 6,
};

#pragma pack(push, 2)
struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

constexpr uint16_t WAVE_FORMAT_PCM = 1;

// The media type of an output or output format. GetMediaType writes it with
// its format block (pbFormat) in the same caller-supplied buffer, right behind it.
struct WM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    int32_t bFixedSizeSamples;
    int32_t bTemporalCompression;
    uint32_t lSampleSize;
    GUID formattype;
    void* pUnk;
    uint32_t cbFormat;
    uint8_t* pbFormat;
};

struct STATSTG {
    uint64_t cbSize;
    uint32_t grfMode;
    uint32_t grfLocksSupported;
};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const GUID& Iid, void** Object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// The byte source the reader decodes from. Origins: 0 beginning, 1 current, 2 end.
class IStream : public IUnknown {
public:
    virtual HRESULT Read(void* Buffer, uint32_t Count, uint32_t* CountRead) = 0;
    virtual HRESULT Write(const void* Buffer, uint32_t Count, uint32_t* CountWritten) = 0;
    virtual HRESULT Seek(int64_t Move, uint32_t Origin, uint64_t* NewPosition) = 0;
    virtual HRESULT SetSize(uint64_t NewSize) = 0;
    virtual HRESULT CopyTo(IStream* Target, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) = 0;
    virtual HRESULT Commit(uint32_t Flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) = 0;
    virtual HRESULT UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) = 0;
    virtual HRESULT Stat(STATSTG* Stat, uint32_t StatFlag) = 0;
    virtual HRESULT Clone(IStream** Copy) = 0;

protected:
    ~IStream() = default;
};

// One decoded sample: interleaved PCM of the output's format, valid until released.
class INSSBuffer : public IUnknown {
public:
    virtual HRESULT GetLength(uint32_t* Length) = 0;
    virtual HRESULT GetBufferAndLength(uint8_t** Buffer, uint32_t* Length) = 0;

protected:
    ~INSSBuffer() = default;
};

class IWMOutputMediaProps : public IUnknown {
public:
    // With Type null, stores in Size the bytes the type and its format block need.
    virtual HRESULT GetMediaType(WM_MEDIA_TYPE* Type, uint32_t* Size) = 0;

protected:
    ~IWMOutputMediaProps() = default;
};

class IWMHeaderInfo : public IUnknown {
public:
    // With Value null, stores in Length the bytes the value needs. Text values
    // are UTF-16 with a terminating zero; Length counts bytes.
    virtual HRESULT GetAttributeByName(uint16_t* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type,
                                       uint8_t* Value, uint16_t* Length) = 0;

protected:
    ~IWMHeaderInfo() = default;
};

// The value of a "WM/Picture" attribute; the texts and the image lie in the
// same buffer, behind the structure.
struct WM_PICTURE {
    char16_t* pwszMIMEType;
    uint8_t bPictureType;
    char16_t* pwszDescription;
    uint32_t dwDataLen;
    uint8_t* pbData;
};

// Attributes by index, with 32-bit lengths: the way to values too large for
// GetAttributeByName, pictures above all. Of these the stand-in offers
// "WM/Picture" only.
class IWMHeaderInfo3 : public IWMHeaderInfo {
public:
    // With Indices null, stores in Count how many attributes of that name there are.
    virtual HRESULT GetAttributeIndices(uint16_t StreamNum, const char16_t* Name, uint16_t* LangIndex,
                                        uint16_t* Indices, uint16_t* Count) = 0;
    // With Value null, stores in Length the bytes the value needs. Name may be
    // null; NameLength counts characters with the terminator.
    virtual HRESULT GetAttributeByIndexEx(uint16_t StreamNum, uint16_t Index, char16_t* Name,
                                          uint16_t* NameLength, WMT_ATTR_DATATYPE* Type, uint16_t* LangIndex,
                                          uint8_t* Value, uint32_t* Length) = 0;

protected:
    ~IWMHeaderInfo3() = default;
};

class IWMSyncReader : public IUnknown {
public:
    virtual HRESULT OpenStream(IStream* Stream) = 0;
    virtual HRESULT Close() = 0;
    // Start and duration in 100-ns units; duration 0 reads to the end.
    virtual HRESULT SetRange(uint64_t Start, int64_t Duration) = 0;
    virtual HRESULT SetReadStreamSamples(uint16_t StreamNum, int32_t Compressed) = 0;
    // Fails (NS_E_NO_MORE_SAMPLES) once the stream has no sample left.
    virtual HRESULT GetNextSample(uint16_t StreamNum, INSSBuffer** Sample, uint64_t* SampleTime,
                                  uint64_t* Duration, uint32_t* Flags, uint32_t* OutputNum,
                                  uint16_t* StreamNumOut) = 0;
    virtual HRESULT GetOutputCount(uint32_t* Outputs) = 0;
    virtual HRESULT GetOutputProps(uint32_t Output, IWMOutputMediaProps** Props) = 0;
    virtual HRESULT SetOutputProps(uint32_t Output, IWMOutputMediaProps* Props) = 0;
    virtual HRESULT GetOutputFormatCount(uint32_t Output, uint32_t* Formats) = 0;
    virtual HRESULT GetOutputFormat(uint32_t Output, uint32_t Format, IWMOutputMediaProps** Props) = 0;
    virtual HRESULT GetStreamNumberForOutput(uint32_t Output, uint16_t* StreamNum) = 0;
    virtual HRESULT SetOutputSetting(uint32_t Output, const char16_t* Name, WMT_ATTR_DATATYPE Type,
                                     const uint8_t* Value, uint16_t Length) = 0;

protected:
    ~IWMSyncReader() = default;
};

// The reference count and IUnknown answers of one implementation of
// Interface; the object deletes itself when the last reference goes.
template <typename Interface> class TRefCounted : public Interface {
public:
    HRESULT QueryInterface(const GUID& Iid, void** Object) override
    {
        if (Object == nullptr)
            return E_POINTER;
        *Object = nullptr;
        if (!(Iid == IID_IUnknown))
            return E_NOINTERFACE;
        *Object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    uint32_t AddRef() override { return ++FReferences; }
    uint32_t Release() override
    {
        const uint32_t Left = --FReferences;
        if (Left == 0)
            delete this;
        return Left;
    }

protected:
    TRefCounted() = default;
    virtual ~TRefCounted() = default;

private:
    std::atomic<uint32_t> FReferences{1};
};

// Owns one reference to an interface and releases it when it goes.
template <typename Interface> class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    Interface* Get() const { return FPointer; }
    Interface* operator->() const { return FPointer; }
    Interface& operator*() const { return *FPointer; }
    explicit operator bool() const { return FPointer != nullptr; }
    // For the out parameter of a call that hands over a reference.
    Interface** Put()
    {
        Reset();
        return &FPointer;
    }
    void Reset()
    {
        if (FPointer != nullptr)
            FPointer->Release();
        FPointer = nullptr;
    }

private:
    Interface* FPointer = nullptr;
};

} // namespace wmf

extern "C" {
// Creates a reader with one reference. Certificate must be null; Rights is ignored.
wmf::HRESULT WMCreateSyncReader(wmf::IUnknown* Certificate, uint32_t Rights, wmf::IWMSyncReader** Reader);
}
