// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFormat.h"

#include "app/engine/settings/CdSettings.h"
#include "audio/core/AuException.h"

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

const QList<int>& TOutputFormat::OfferedRates()
{
    static const QList<int> Rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
    return Rates;
}

const QList<int>& TOutputFormat::BitDepths()
{
    static const QList<int> Depths = {8, 16, 24, 32};
    return Depths;
}

bool TOutputFormat::RateAllowed(int Rate)
{
    return Rate >= MinRate && Rate <= MaxRate;
}

bool TOutputFormat::BitsAllowed(int Bits, int Encoding)
{
    return BitDepths().contains(Bits) && (Encoding != enADPCM || Bits == AdpcmBits);
}

TOutputFormat TOutputFormat::FromSettings(const TcdSettings& Settings)
{
    TOutputFormat Format;
    const int Rate = SettingAsInteger(Settings.MRate());
    const int Bits = SettingAsInteger(Settings.MBit());
    if (RateAllowed(Rate))
        Format.Rate = Rate;
    if (Settings.MChannel() >= chKeep && Settings.MChannel() <= chStereo)
        Format.Channels = Settings.MChannel();
    if (Settings.MEncoding() == enADPCM)
        Format.Encoding = enADPCM;
    if (BitsAllowed(Bits, Format.Encoding))
        Format.Bits = Bits;
    else if (Format.Encoding == enADPCM)
        Format.Bits = AdpcmBits;
    return Format;
}

void TOutputFormat::ToSettings(TcdSettings& Settings) const
{
    Settings.SetMRate(QString::number(Rate));
    Settings.SetMBit(QString::number(Bits));
    Settings.SetMChannel(Channels);
    Settings.SetMEncoding(Encoding);
}

} // namespace app
