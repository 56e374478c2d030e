// SPDX-License-Identifier: GPL-3.0-or-later
#include "TTADecoder.h"

#include "TTALibBinding.h"

#include <string>

namespace au {
namespace {

constexpr const char* LibraryName = "TTALib.dll";
constexpr const char* MsgNoHandle = "AHandle is zero!";
constexpr const char* MsgNotLoaded = "TrueAudio library \"%s\" not loaded!";
constexpr const char* MsgNotFound = "Function \"%s\" not found in TrueAudio library!";
constexpr const char* MsgCreate = "Unable to open TrueAudio-file! Error: \"%s\"";
constexpr const char* MsgChannels = "Unable to get number of channels from TrueAudio-file! Error: \"%s\"";
constexpr const char* MsgBits = "Unable to get bits per sample from TrueAudio-file! Error: \"%s\"";
constexpr const char* MsgRate = "Unable to get sample rate from TrueAudio-file! Error: \"%s\"";
constexpr const char* MsgLength = "Unable to get data length from TrueAudio-file! Error: \"%s\"";
constexpr const char* MsgBlock = "Unable to get data block from TrueAudio-file! Error: \"%s\"";

std::string Fill(const char* Pattern, const std::string& Value)
{
    std::string Text = Pattern;
    Text.replace(Text.find("%s"), 2, Value);
    return Text;
}

// The component is there and has the entry point named Label.
void CheckEntry(bool Present, const char* Label)
{
    if (!TTALibLibrary().Loaded())
        throw ETTAException(Fill(MsgNotLoaded, LibraryName));
    if (!Present)
        throw ETTAException(Fill(MsgNotFound, Label));
}

// One of the format queries, which all share a shape.
int32_t Query(TTADecoder* Decoder, const TEntryPoint<decltype(TTADecoder_GetNumChannels)>& Entry, const char* Label,
              const char* Failure)
{
    CheckEntry(Entry.Present(), Label);
    int32_t Value = 0;
    TTAError Error{};
    if (Entry(Decoder, &Value, &Error) != 0)
        throw ETTAException(Fill(Failure, Error.Text));
    return Value;
}

} // namespace

TTTADecoder::TTTADecoder(int Handle) : FHandle(Handle)
{
    if (Handle < 0)
        throw ETTAException(MsgNoHandle);
    TTTALibBinding& Library = TTALibLibrary();
    CheckEntry(Library.Create.Present(), "TTADecoder::TTADecoder");
    TTAError Error{};
    FDecoder = Library.Create(Handle, &Error);
    if (FDecoder == nullptr)
        throw ETTAException(Fill(MsgCreate, Error.Text));
}

TTTADecoder::~TTTADecoder()
{
    TTTALibBinding& Library = TTALibLibrary();
    if (Library.Loaded() && Library.Destroy.Present())
        Library.Destroy(FDecoder);
}

int32_t TTTADecoder::GetNumChannels()
{
    return Query(FDecoder, TTALibLibrary().GetNumChannels, "TTADecoder::GetNumChannels", MsgChannels);
}

int32_t TTTADecoder::GetBitsPerSample()
{
    return Query(FDecoder, TTALibLibrary().GetBitsPerSample, "TTADecoder::GetBitsPerSample", MsgBits);
}

int32_t TTTADecoder::GetSampleRate()
{
    return Query(FDecoder, TTALibLibrary().GetSampleRate, "TTADecoder::GetSampleRate", MsgRate);
}

int32_t TTTADecoder::GetDataLength()
{
    return Query(FDecoder, TTALibLibrary().GetDataLength, "TTADecoder::GetDataLength", MsgLength);
}

int32_t TTTADecoder::GetBlock(int32_t** Block)
{
    TTTALibBinding& Library = TTALibLibrary();
    CheckEntry(Library.GetBlock.Present(), "TTADecoder_GetBlock");
    int32_t Length = 0;
    TTAError Error{};
    if (Library.GetBlock(FDecoder, Block, &Length, &Error) != 0)
        throw ETTAException(Fill(MsgBlock, Error.Text));
    return Length;
}

} // namespace au
