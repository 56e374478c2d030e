// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OutputFormat.h"
#include "audio/convert/AudioConverter.h"
#include "audio/convert/FastResampler.h"

#include <QString>

namespace au {
class TAuFileIn;
class TWaveOut;
} // namespace au

namespace app {

// The resampler and the converter a conversion runs through, and the routine
// that wires a decoder and a writer to them and starts the writer. One file at
// a time is pulled through a chain.
class TConversionChain {
public:
    TConversionChain();
    TConversionChain(const TConversionChain&) = delete;
    TConversionChain& operator=(const TConversionChain&) = delete;

    au::TFastResampler& Resampler() { return FResampler; }
    au::TAudioConverter& Converter() { return FConverter; }

    // UI thread. Decoder -> resampler -> converter -> Output; when the decoder
    // finds the file usable, Format applies. Starts Output; returns whether
    // InFile is not empty. Throws EAuException when there is no decoder or the
    // writer cannot start.
    bool PrepareChain(const QString& InFile, const QString& OutFile, au::TAuFileIn* Decoder, au::TWaveOut& Output,
                      const TOutputFormat& Format);

private:
    au::TFastResampler FResampler;
    au::TAudioConverter FConverter;
};

} // namespace app
