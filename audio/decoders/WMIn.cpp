// SPDX-License-Identifier: GPL-3.0-or-later
#include "WMIn.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/core/Rounding.h"
#include "audio/tags/TagText.h"

#include <algorithm>
#include <memory>

namespace au {
namespace {

constexpr const char* MsgNoFileName = "File name is not assigned";
constexpr const char* MsgProtected = "File is protected";

int ChannelCode(TChannelsNumber Value)
{
    switch (Value) {
    case cnMaxAvailable:
        return TWMReader::ccMaxAvailable;
    case cn5dot1:
        return TWMReader::cc5dot1;
    case cn7dot1:
        return TWMReader::cc7dot1;
    default:
        return TWMReader::ccMonoOrStereo;
    }
}

} // namespace

TWMIn::TWMIn() = default;

TWMIn::~TWMIn()
{
    Destroying();
    CloseFile();
}

void TWMIn::OpenFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0)
        return;
    OpenOwnStream(MsgNoFileName);
    // Nothing of a file opened before may survive a failed open.
    FChannels = 0;
    FSampleRate = 0;
    FBitsPerSample = 0;
    FSize = 0;
    FDurationCs = 0;
    FFileTotalSamples = 0;
    FTotalSamples = 0;

    FReader.Open(*FStream, FHighPrecision, ChannelCode(FOutputChannels));
    FValid = FReader.Found();
    if (!FReader.Opened())
        return;
    if (FReader.Protected()) {
        FReader.Close();
        FValid = false;
        throw EAuException(MsgProtected);
    }
    // A damaged duration saturates instead of wrapping to a negative length.
    FDurationCs = static_cast<int32_t>(
        std::min<int64_t>(RoundToEven(static_cast<long double>(FReader.Duration()) / 100000), INT32_MAX));
    FChannels = FReader.Channels();
    FSampleRate = FReader.SampleRate();
    FBitsPerSample = FReader.BitsPerSample();
    FFileTotalSamples = static_cast<int64_t>(FDurationCs) * FSampleRate / 100;
    FTotalSamples = FFileTotalSamples;
    FSize = FFileTotalSamples * FChannels * (FBitsPerSample / 8);
    FSeekable = true;
    FillTags();
    ++FOpenCount;
}

void TWMIn::FillTags()
{
    TId3v2Tags& Tags = Id3v2Tags();
    Tags.SetArtist(FReader.AttributeText(u"Author"));
    Tags.SetTitle(FReader.AttributeText(u"Title"));
    Tags.SetAlbum(FReader.AttributeText(u"WM/AlbumTitle"));
    Tags.SetGenre(FReader.AttributeText(u"WM/Genre"));
    Tags.SetTrack(Utf16ToUtf8(FReader.AttributeText(u"WM/Track")));
    Tags.SetYear(Utf16ToUtf8(FReader.AttributeText(u"WM/Year")));
    Tags.SetComment(FReader.AttributeText(u"Copyright"));
    FReader.ReadPicture(Picture());
}

void TWMIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    FReader.Close();
    FOpenCount = 0;
    if (FStreamAssigned) {
        FStream->SetPosition(0);
    } else {
        FOwnStream.reset();
        FStream = nullptr;
    }
}

int64_t TWMIn::GetTotalSamples()
{
    OpenFile();
    return FTotalSamples;
}

uint32_t TWMIn::Bitrate()
{
    OpenFile();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    return FOpenCount > 0 ? FReader.AttributeDword(u"Bitrate") : 0;
}

uint64_t TWMIn::PlayDuration()
{
    OpenFile();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    return FOpenCount > 0 ? FReader.Duration() : 0;
}

void TWMIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    const int64_t Left = FSize - FPosition;
    if (FSize > 0 && Left < Bytes)
        Bytes = static_cast<uint32_t>(std::max<int64_t>(Left, 0));
    FReader.Read(Buffer, Bytes);
}

bool TWMIn::DoSeek(int64_t& SampleNum)
{
    if (!FBusy)
        return false;
    // Without a length the sample rate tells the time, instead of a division by zero.
    long double Centiseconds;
    if (FFileTotalSamples > 0)
        Centiseconds = static_cast<long double>(SampleNum) / FFileTotalSamples * FDurationCs;
    else if (FSampleRate > 0)
        Centiseconds = static_cast<long double>(SampleNum) * 100 / FSampleRate;
    else
        return false;
    FReader.Seek(RoundToEven(Centiseconds));
    return true;
}

void TWMIn::Reopen()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    CloseFile();
    OpenFile();
}

void TWMIn::SetHighPrecision(bool Value)
{
    if (FBusy || FOutputChannels != cnMonoOrStereo)
        return;
    FHighPrecision = Value;
    Reopen();
}

void TWMIn::SetOutputChannels(TChannelsNumber Value)
{
    if (FBusy)
        return;
    FOutputChannels = Value;
    if (Value != cnMonoOrStereo)
        FHighPrecision = true;
    Reopen();
}

} // namespace au
