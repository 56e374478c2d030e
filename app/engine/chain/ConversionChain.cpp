// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionChain.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileIn.h"
#include "audio/wave/WaveOut.h"

namespace app {

TConversionChain::TConversionChain()
{
    FConverter.SetInput(&FResampler);
    FConverter.SetMode(au::msmMonoToBoth);
}

bool TConversionChain::PrepareChain(const QString& InFile, const QString& OutFile, au::TAuFileIn* Decoder,
                                    au::TWaveOut& Output, const TOutputFormat& Format)
{
    if (Decoder == nullptr)
        throw au::EAuException("No decoder reads files of this kind.");
    FResampler.SetInput(Decoder);
    Output.SetInput(&FConverter);
    Decoder->SetFileName(InFile.toStdString());
    FConverter.SetOutBitsPerSample(0);
    FConverter.SetOutChannels(0);
    if (Decoder->Valid()) {
        FConverter.SetOutBitsPerSample(Format.Bits);
        FConverter.SetOutChannels(Format.Channels);
        FResampler.SetOutSampleRate(static_cast<uint32_t>(Format.Rate));
        Output.SetWavType(Format.Encoding == TOutputFormat::enADPCM ? au::wtDVIADPCM : au::wtPCM);
    }
    Output.SetFileName(OutFile.toStdString());
    Output.Run();
    return !InFile.isEmpty();
}

} // namespace app
