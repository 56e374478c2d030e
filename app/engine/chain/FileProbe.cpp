// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include "DecoderSet.h"
#include "app/engine/system/PathUtils.h"
#include "TagJson.h"
#include "audio/core/Rounding.h"
#include "audio/decoders/MACIn.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/decoders/WMIn.h"
#include "audio/core/AuFileStream.h"
#include "audio/wave/WaveReader.h"

#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <cstdint>
#include <exception>
#include <stdexcept>

namespace app {
namespace {

const char* const MsgNoFileName = "No file name given";
const char* const MsgUnknownKind = "Not an audio file of a kind this program reads";
// The decoder opened nothing and had nothing to say why (the Windows Media
// reader refuses a file silently).
const char* const MsgNotReadable = "The file cannot be read as audio of its kind";
const char* const MsgNoFormat = "The file reports no usable audio format";
const char* const MsgNotRegular = "Not a regular file";
// The header promised audio, yet the first block decoded to nothing.
const char* const MsgNoAudio = "The file holds no audio that can be decoded";
// Enough for a frame of every kind read, little enough to keep probing a long
// list quick.
constexpr uint32_t FirstBlockBytes = 8192;

int KiloRounded(long double BitsPerSecond)
{
    return static_cast<int>(au::RoundToEven(BitsPerSecond / 1000));
}

// The kinds with a bit rate give it in their own unit: Windows Media, MPEG
// audio and Ogg Vorbis in bits per second, Monkey's Audio in kbit/s already.
std::optional<int> Bitrate(au::TAuFileIn& Decoder)
{
    if (auto* Wm = dynamic_cast<au::TWMIn*>(&Decoder))
        return KiloRounded(Wm->Bitrate());
    if (auto* Vorbis = dynamic_cast<au::TVorbisIn*>(&Decoder))
        return KiloRounded(Vorbis->Bitrate());
    if (auto* Mac = dynamic_cast<au::TMACIn*>(&Decoder))
        return Mac->Bitrate();
    return std::nullopt;
}

double MilliRounded(long double Seconds) { return static_cast<double>(au::RoundToEven(Seconds * 1000)) / 1000; }

// Frames over the rate, to the millisecond. Windows Media files state their
// length in 100 ns, finer than the frames counted from it.
double ExactSeconds(au::TAuFileIn& Decoder, int SampleRate)
{
    long double Seconds = 0;
    if (auto* Wm = dynamic_cast<au::TWMIn*>(&Decoder))
        Seconds = static_cast<long double>(Wm->PlayDuration()) / 10'000'000;
    else if (const int64_t Frames = Decoder.TotalSamples(); Frames > 0)
        Seconds = static_cast<long double>(Frames) / SampleRate;
    return MilliRounded(Seconds);
}

// Asks Decoder, opened on Path, for everything the row shows. Throws what the
// decoder throws, and its own texts for a file it silently refused.
void QueryFormat(au::TAuFileIn& Decoder, const QString& Path, TProbeResult& Result)
{
    Decoder.SetFileName(Path.toStdString());
    TFileListModel::TRow& Row = Result.Row;
    Row.Duration = Decoder.Duration();
    Row.SampleRate = Decoder.SampleRate();
    Row.BitsPerSample = Decoder.BitsPerSample();
    Row.Channels = Decoder.Channels();
    Row.BitrateKbps = Bitrate(Decoder);
    if (!Decoder.Valid())
        throw std::runtime_error(MsgNotReadable);
    // Init would refuse such a file; the row must not promise a conversion.
    if (Row.SampleRate <= 0 || Row.BitsPerSample <= 0 || Row.Channels <= 0)
        throw std::runtime_error(MsgNoFormat);
    Result.Seconds = ExactSeconds(Decoder, Row.SampleRate);
    Result.Tags = TagsJson(Decoder);
}

// A header can read well over audio that does not decode; only decoding tells.
// Throws the decoder's message, or the probe's own when the decoder delivered
// nothing and said nothing. The decoder is idle and closed afterwards, whatever
// happened, so that it is freed like one that never ran.
void DecodeFirstBlock(au::TAuFileIn& Decoder)
{
    const auto Idle = qScopeGuard([&Decoder] { Decoder.Reset(); });
    Decoder.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = FirstBlockBytes;
    Decoder.GetData(Buffer, Bytes);
    if (Bytes == 0 && Decoder.Size() > 0)
        throw std::runtime_error(MsgNoAudio);
}

// Keeps the size and path; every format value goes back to nothing.
void MarkInvalid(TProbeResult& Result, const QString& Error)
{
    TProbeResult Invalid;
    Invalid.Row.Path = Result.Row.Path;
    Invalid.Row.SizeBytes = Result.Row.SizeBytes;
    Invalid.Row.ProbeError = Error;
    Invalid.SizeBytes = Result.SizeBytes;
    Result = std::move(Invalid);
}

void QueryWave(const QString& Path, TProbeResult& Result)
{
    au::TAuFileStream Stream(Path.toStdString(), au::TAuFileStream::fmOpenRead | au::TAuFileStream::fmShareDenyNone);
    const au::TWaveFacts Facts = au::ReadWaveFacts(Stream);
    TFileListModel::TRow& Row = Result.Row;
    Row.SampleRate = static_cast<int>(Facts.SampleRate);
    Row.BitsPerSample = Facts.BitsPerSample;
    Row.Channels = Facts.Channels;
    if (Row.SampleRate <= 0 || Row.Channels <= 0 || Facts.BlockAlign == 0)
        throw std::runtime_error(MsgNoFormat);
    Row.BitrateKbps = KiloRounded(Facts.BytesPerSecond * 8.0L);
    const long double Seconds = static_cast<long double>(Facts.Frames) / Row.SampleRate;
    Row.Duration = static_cast<int>(au::RoundToEven(Seconds));
    Result.Seconds = MilliRounded(Seconds);
    QJsonObject Info;
    for (const auto& [Id, Text] : Facts.Info)
        if (!Text.empty())
            Info.insert(QString::fromLatin1(Id.data(), 4), QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())));
    if (!Info.isEmpty())
        Result.Tags.insert(QStringLiteral("info"), Info);
    Row.Valid = true;
}

// Fills what both probes share and tells whether a file is there to be read;
// a result that is not is complete.
bool StartProbe(const QString& Path, TProbeResult& Result)
{
    if (LowerTrim(Path).isEmpty()) {
        Result.Row.ProbeError = QString::fromLatin1(MsgNoFileName);
        return false;
    }
    const QFileInfo Info(Path);
    Result.Row.Path = Path;
    if (Info.isFile())
        Result.SizeBytes = Info.size();
    Result.Row.SizeBytes = Result.SizeBytes.value_or(0);
    // Opening a pipe blocks until someone writes to it, and a folder or a device
    // holds no audio file: neither is opened.
    if (Info.exists() && !Info.isFile()) {
        MarkInvalid(Result, QString::fromLatin1(MsgNotRegular));
        return false;
    }
    return true;
}

} // namespace

TProbeResult DescribeFile(const QString& Path)
{
    if (FileExtension(Path) != QLatin1String(".wav"))
        return ProbeFile(Path);
    TProbeResult Result;
    if (!StartProbe(Path, Result))
        return Result;
    try {
        QueryWave(Path, Result);
    } catch (const std::exception& E) {
        MarkInvalid(Result, QString::fromUtf8(E.what()));
    }
    return Result;
}

TProbeResult ProbeFile(const QString& Path)
{
    TProbeResult Result;
    if (!StartProbe(Path, Result))
        return Result;
    try {
        const TDecoderSet Decoders;
        au::TAuFileIn* Decoder = Decoders.ForFile(Path);
        if (Decoder == nullptr) {
            MarkInvalid(Result, QString::fromLatin1(MsgUnknownKind));
            return Result;
        }
        QueryFormat(*Decoder, Path, Result);
        DecodeFirstBlock(*Decoder);
        Result.Row.Valid = true;
    } catch (const std::exception& E) {
        MarkInvalid(Result, QString::fromUtf8(E.what()));
    } catch (...) {
        MarkInvalid(Result, QString::fromLatin1(MsgNotReadable));
    }
    return Result;
}

QString FormatSizeKB(qint64 Bytes)
{
    // The half added to a whole number always rounds up.
    const qint64 Kilobytes = Bytes / 1024 + 1;
    QLocale Locale;
    Locale.setNumberOptions(Locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return Locale.toString(Kilobytes) + QStringLiteral(" KB");
}

} // namespace app
