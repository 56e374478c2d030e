// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodecVersions.h"

#include "FlacBinding.h"
#include "VorbisBinding.h"
#include "WMFBinding.h"

namespace au {
namespace {

// FFmpeg's libraries give their version as major << 16 | minor << 8 | micro.
std::string FFmpegVersion(void* Function)
{
    if (Function == nullptr)
        return {};
    const unsigned Version = reinterpret_cast<unsigned (*)()>(Function)();
    return std::to_string(Version >> 16) + '.' + std::to_string((Version >> 8) & 0xFF) + '.' +
           std::to_string(Version & 0xFF);
}

std::string Text(const char* Value)
{
    return Value != nullptr ? Value : "";
}

} // namespace

std::vector<std::pair<std::string, std::string>> CodecLibraryVersions()
{
    // FFmpeg is reached through the stand-in that links it.
    TLibraryBinding& FFmpeg = WMFLibrary();
    const auto* Flac = static_cast<const char* const*>(FlacLibrary().FindLoadedSymbol("FLAC__VERSION_STRING"));
    void* Vorbis = VorbisLibrary().FindLoadedSymbol("vorbis_version_string");
    return {
        {"libavcodec", FFmpegVersion(FFmpeg.FindLoadedSymbol("avcodec_version"))},
        {"libavformat", FFmpegVersion(FFmpeg.FindLoadedSymbol("avformat_version"))},
        {"libFLAC", Flac != nullptr ? Text(*Flac) : std::string()},
        {"libvorbis", Vorbis != nullptr ? Text(reinterpret_cast<const char* (*)()>(Vorbis)()) : std::string()},
    };
}

} // namespace au
