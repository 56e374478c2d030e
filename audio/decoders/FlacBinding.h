// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the decoders: only FLACIn.cpp and the tests include it.
#include "LibraryBinding.h"

#include <FLAC/stream_decoder.h>

namespace au {

// libFLAC's stream decoder, loaded at run time.
class TFlacBinding final : public TLibraryBinding {
public:
    TFlacBinding();

    TEntryPoint<decltype(FLAC__stream_decoder_new)> StreamDecoderNew{"FLAC__stream_decoder_new"};
    TEntryPoint<decltype(FLAC__stream_decoder_delete)> StreamDecoderDelete{"FLAC__stream_decoder_delete"};
    TEntryPoint<decltype(FLAC__stream_decoder_set_md5_checking)> StreamDecoderSetMd5Checking{
        "FLAC__stream_decoder_set_md5_checking"};
    TEntryPoint<decltype(FLAC__stream_decoder_set_metadata_respond_all)> StreamDecoderSetMetadataRespondAll{
        "FLAC__stream_decoder_set_metadata_respond_all"};
    TEntryPoint<decltype(FLAC__stream_decoder_init_stream)> StreamDecoderInitStream{
        "FLAC__stream_decoder_init_stream"};
    TEntryPoint<decltype(FLAC__stream_decoder_process_single)> StreamDecoderProcessSingle{
        "FLAC__stream_decoder_process_single"};
    TEntryPoint<decltype(FLAC__stream_decoder_get_state)> StreamDecoderGetState{"FLAC__stream_decoder_get_state"};
    TEntryPoint<decltype(FLAC__stream_decoder_seek_absolute)> StreamDecoderSeekAbsolute{
        "FLAC__stream_decoder_seek_absolute"};
    TEntryPoint<decltype(FLAC__stream_decoder_reset)> StreamDecoderReset{"FLAC__stream_decoder_reset"};
    TEntryPoint<decltype(FLAC__stream_decoder_finish)> StreamDecoderFinish{"FLAC__stream_decoder_finish"};

protected:
    void Resolve(void* Handle) override;
};

TFlacBinding& FlacLibrary();

} // namespace au
