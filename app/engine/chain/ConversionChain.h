// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/convert/AudioConverter.h"
#include "audio/convert/FastResampler.h"

#include <QString>

namespace au {
class TAuFileIn;
class TWaveOut;
} // namespace au

namespace app {

class TcdSettings;

// The resampler and the converter every conversion runs through (the batch list
// and the hot directory share them, so only one converts at a time), and the
// routine that wires a decoder and a writer to them and starts the writer.
class TConversionChain {
public:
    TConversionChain();

    au::TFastResampler& Resampler() { return FResampler; }
    au::TAudioConverter& Converter() { return FConverter; }

    // UI thread. Decoder -> resampler -> converter -> Output; when the decoder
    // finds the file usable, the output format of Settings applies. Starts
    // Output; returns whether InFile is not empty. Throws EAuException when there
    // is no decoder, a setting is not a number, or the writer cannot start.
    bool PrepareChain(const QString& InFile, const QString& OutFile, au::TAuFileIn* Decoder, au::TWaveOut& Output,
                      const TcdSettings& Settings);

private:
    au::TFastResampler FResampler;
    au::TAudioConverter FConverter;
};

// UI thread, while Output is idle. Sets Output up as every conversion's writer:
// plain PCM, 512-byte ADPCM blocks, the classic header for any format, files
// rewritten and shared with no one.
void SetUpWriter(au::TWaveOut& Output);

} // namespace app
