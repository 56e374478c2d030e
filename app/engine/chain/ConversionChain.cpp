// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionChain.h"

#include "app/engine/settings/CdSettings.h"
#include "audio/core/AuException.h"
#include "audio/core/AuFileIn.h"
#include "audio/wave/WaveOut.h"

namespace app {
namespace {

int SettingAsInteger(const QString& Text)
{
    bool Ok = false;
    const int Value = Text.trimmed().toInt(&Ok);
    if (!Ok)
        throw au::EAuException("'" + Text.toStdString() + "' is not a valid integer value");
    return Value;
}

} // namespace

TConversionChain::TConversionChain()
{
    FConverter.SetInput(&FResampler);
    FConverter.SetMode(au::msmMonoToBoth);
}

bool TConversionChain::PrepareChain(const QString& InFile, const QString& OutFile, au::TAuFileIn* Decoder,
                                    au::TWaveOut& Output, const TcdSettings& Settings)
{
    if (Decoder == nullptr)
        throw au::EAuException("No decoder reads files of this kind.");
    FResampler.SetInput(Decoder);
    Output.SetInput(&FConverter);
    Decoder->SetFileName(InFile.toStdString());
    FConverter.SetOutBitsPerSample(0);
    FConverter.SetOutChannels(0);
    if (Decoder->Valid()) {
        FConverter.SetOutBitsPerSample(SettingAsInteger(Settings.MBit()));
        const int Channels = Settings.MChannel();
        if (Channels >= 0 && Channels <= 2)
            FConverter.SetOutChannels(Channels);
        const int Rate = SettingAsInteger(Settings.MRate());
        if (Rate <= 0)
            throw au::EAuException("'" + Settings.MRate().toStdString() + "' is not a valid sample rate");
        FResampler.SetOutSampleRate(static_cast<uint32_t>(Rate));
        if (Settings.MEncoding() == 0)
            Output.SetWavType(au::wtPCM);
        else if (Settings.MEncoding() == 1)
            Output.SetWavType(au::wtDVIADPCM);
    }
    Output.SetFileName(OutFile.toStdString());
    Output.Run();
    return !InFile.isEmpty();
}

void SetUpWriter(au::TWaveOut& Output)
{
    Output.SetWavType(au::wtPCM);
    Output.SetBlockSize(512);
    Output.SetCreateNonMsHeaders(true);
    Output.SetFileMode(au::foRewrite);
    Output.SetShareMode(0);
}

} // namespace app
