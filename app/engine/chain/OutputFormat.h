// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace app {

class TcdSettings;

// The format every conversion writes, and the one list of what a user may
// choose: the Option dialog offers it, kelvaro-cli checks its options against
// it, and the chain is configured from it.
struct TOutputFormat {
    enum TChannels { chKeep = 0, chMono = 1, chStereo = 2 };
    enum TEncoding { enPCM = 0, enADPCM = 1 };

    static constexpr int MinRate = 8000, MaxRate = 48000;
    static constexpr int DefaultRate = 44100, DefaultBits = 16;
    // IMA ADPCM codes 16-bit samples only.
    static constexpr int AdpcmBits = 16;

    int Rate = DefaultRate;      // Hz
    int Bits = DefaultBits;      // per sample
    int Channels = chKeep;       // TChannels
    int Encoding = enPCM;        // TEncoding

    // The rates the Option dialog lists; any rate from MinRate to MaxRate converts.
    static const QList<int>& OfferedRates();
    static const QList<int>& BitDepths();
    static bool RateAllowed(int Rate);
    static bool BitsAllowed(int Bits, int Encoding);

    // The format the settings hold. A rate or bit depth that is not a number
    // throws EAuException ("'x' is not a valid integer value"), as a setting
    // nobody could have chosen is a damaged settings file worth reporting;
    // numbers outside the lists fall back as the Option dialog shows them
    // (rate 44100, 16 bits, channels as the input, PCM), and ADPCM takes 16 bits.
    static TOutputFormat FromSettings(const TcdSettings& Settings);
    // Stores the format in the settings' text form.
    void ToSettings(TcdSettings& Settings) const;
};

} // namespace app
