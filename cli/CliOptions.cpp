// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliOptions.h"

namespace cli {

QString UsageText()
{
    return QStringLiteral(
        "Usage: kelvaro-cli convert [-o DIR] [-r HZ] [-b 8|16|24|32] [-c keep|mono|stereo] [-e pcm|adpcm]"
        " [-j N] [-R] [-q]\n"
        "                           [--if-exists overwrite|skip|rename] [--keep-time] [--tags]\n"
        "                           [--json] [--progress=json] FILE|FOLDER...\n"
        "       kelvaro-cli watch --in DIR --out DIR --log DIR [--subdirs] [-j N]\n"
        "                         [--after leave|delete|move=DIR] [--keep-time] [--tags] [-q]\n"
        "       kelvaro-cli play FILE\n"
        "       kelvaro-cli info [--json] FILE...\n"
        "       kelvaro-cli --help | --version\n"
        "\n"
        "\"--\" ends the options: what follows are files, even one named \"-x.wma\".\n"
        "\n"
        "convert  turns WMA, MP3, FLAC, Ogg Vorbis, Monkey's Audio and TrueAudio files into WAV files,\n"
        "         several at once, printing the log of the run in the order of the files. A folder\n"
        "         stands for its files of those kinds. Each WAV file is written under a hidden name\n"
        "         ending in \".part\" and takes its own name only once complete; a file that fails\n"
        "         leaves none. On a terminal a progress line on standard error shows the files done,\n"
        "         the share of the audio converted, the time taken and an estimate of the time left.\n"
        "         Ctrl+C or SIGTERM ends the run at once, removing the files in progress.\n"
        "  -o DIR   output folder (default: the batch output folder of the settings)\n"
        "  -r HZ    sample rate, 8000 to 48000\n"
        "  -b BITS  bits per sample: 8, 16, 24 or 32\n"
        "  -c MODE  channels: keep (as the input), mono or stereo\n"
        "  -e ENC   encoding: pcm or adpcm (DVI IMA ADPCM, 16 bits only)\n"
        "  -j N     files converted at once (default: the number of online processors; 1 converts\n"
        "           one after another)\n"
        "  --if-exists CHOICE\n"
        "           when the WAV file exists: overwrite it (the default), skip the input and\n"
        "           keep the file, or rename: write NAME (2).wav, NAME (3).wav, ...\n"
        "  --keep-time\n"
        "           each WAV file takes the modification time of its input (where the file\n"
        "           system allows; a time that cannot be set fails nothing)\n"
        "  --tags   copy the tags (title, artist, album, track, year, genre, comment) and the cover\n"
        "           picture into the WAV file, as a LIST INFO chunk and an ID3v2 \"id3 \" chunk\n"
        "  -R, --recursive\n"
        "           a folder gives the files of its sub-folders too, a folder's own files first;\n"
        "           each WAV file lands at the same place below the output folder\n"
        "  -q, --quiet\n"
        "           no log: only the files that failed, on standard error\n"
        "  --json   one JSON object per line on standard output for each file as it ends (input,\n"
        "           output, result, message, duration_seconds, size_bytes, elapsed_seconds), then\n"
        "           {\"summary\": {...}}; the log goes to standard error\n"
        "  --progress=json\n"
        "           the progress line as JSON lines on standard error, terminal or not\n"
        "         Options left out take the values of the settings file, which is never written.\n"
        "watch    converts every WMA file copied into the input folder (and its subfolders with\n"
        "         --subdirs), once it is complete, into the output folder, with the output format of\n"
        "         the settings and a log file per day in the log folder; Ctrl+C ends it after the\n"
        "         files in progress. WAV files are written under a hidden \".part\" name until complete.\n"
        "  -j N     files converted at once (default: the settings' parallel conversions, one per\n"
        "           processor unless chosen otherwise)\n"
        "  --after CHOICE\n"
        "           what becomes of a source file once converted: leave it (the default), delete it,\n"
        "           or move=DIR: move it into DIR, at its place below the input folder. Failed and\n"
        "           skipped files stay; a move never replaces a file. DIR may be neither the input\n"
        "           folder nor the output folder or inside it\n"
        "  --keep-time  each WAV file takes the modification time of its source\n"
        "  --tags       copy the tags and the cover into the WAV files, as convert --tags\n"
        "  -q, --quiet  only errors; the day logs still take every line\n"
        "play     plays a file of any of those kinds to the sound card; on a terminal, space pauses\n"
        "         and resumes, the left and right arrows seek by 10 percent, q stops.\n"
        "info     shows what the batch list shows of each file: size, length, sample rate, bits per\n"
        "         sample, channels and bit rate, of WAV files (RIFF and RF64) too; with --json one JSON\n"
        "         object per line and file, tags included.\n"
        "\n"
        "Exit status: 0 when every file converted (info: could be read), 1 when any failed, 2 for\n"
        "bad usage, and 128 plus the signal's number when SIGINT, SIGTERM or SIGHUP ended a\n"
        "conversion run. A skipped file is not a failure.\n");
}

namespace {

bool TakeValue(const QStringList& Arguments, int& At, QString& Value, QString& Error)
{
    if (At + 1 >= Arguments.size()) {
        Error = QStringLiteral("option %1 needs a value").arg(Arguments[At]);
        return false;
    }
    Value = Arguments[++At];
    return true;
}

} // namespace

namespace {

QString NumberList(const QList<int>& Numbers)
{
    QStringList Texts;
    for (int Number : Numbers)
        Texts << QString::number(Number);
    const QString Last = Texts.takeLast();
    return Texts.join(QStringLiteral(", ")) + QStringLiteral(" or ") + Last;
}

} // namespace

bool ParseConvertOptions(const QStringList& Arguments, TConvertOptions& Options, QString& Error)
{
    for (int At = 0; At < Arguments.size(); ++At) {
        const QString& Argument = Arguments[At];
        QString Value;
        if (Argument == QLatin1String("--")) {
            Options.Inputs << Arguments.mid(At + 1);
            break;
        }
        if (Argument == QLatin1String("-o")) {
            if (!TakeValue(Arguments, At, Options.OutputFolder, Error))
                return false;
        } else if (Argument == QLatin1String("-r")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            bool Ok = false;
            const int Rate = Value.toInt(&Ok);
            if (!Ok || !app::TOutputFormat::RateAllowed(Rate)) {
                Error = QStringLiteral("sample rate must be a number from %1 to %2, not '%3'")
                            .arg(app::TOutputFormat::MinRate)
                            .arg(app::TOutputFormat::MaxRate)
                            .arg(Value);
                return false;
            }
            Options.Rate = QString::number(Rate);
        } else if (Argument == QLatin1String("-b")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            bool Ok = false;
            const int Bits = Value.toInt(&Ok);
            if (!Ok || !app::TOutputFormat::BitDepths().contains(Bits)) {
                Error = QStringLiteral("bits per sample must be %1, not '%2'")
                            .arg(NumberList(app::TOutputFormat::BitDepths()), Value);
                return false;
            }
            Options.Bits = QString::number(Bits);
        } else if (Argument == QLatin1String("-c")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            const QStringList Modes = {QStringLiteral("keep"), QStringLiteral("mono"), QStringLiteral("stereo")};
            if (!Modes.contains(Value)) {
                Error = QStringLiteral("channels must be keep, mono or stereo, not '%1'").arg(Value);
                return false;
            }
            Options.Channels = static_cast<int>(Modes.indexOf(Value));
        } else if (Argument == QLatin1String("-e")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            if (Value != QLatin1String("pcm") && Value != QLatin1String("adpcm")) {
                Error = QStringLiteral("encoding must be pcm or adpcm, not '%1'").arg(Value);
                return false;
            }
            Options.Encoding = Value == QLatin1String("pcm") ? 0 : 1;
        } else if (Argument == QLatin1String("--if-exists")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            const int Choice = static_cast<int>(app::IfExistsNames().indexOf(Value));
            if (Choice < 0) {
                Error = QStringLiteral("--if-exists takes %1, not '%2'")
                            .arg(app::IfExistsNames().join(QStringLiteral(", ")), Value);
                return false;
            }
            Options.IfExists = static_cast<app::TIfExists>(Choice);
        } else if (Argument == QLatin1String("-j")) {
            if (!TakeValue(Arguments, At, Value, Error))
                return false;
            bool Ok = false;
            Options.Jobs = Value.toInt(&Ok);
            if (!Ok || Options.Jobs < 1) {
                Error = QStringLiteral("the number of jobs must be a whole number from 1, not '%1'").arg(Value);
                return false;
            }
        } else if (Argument == QLatin1String("--keep-time")) {
            Options.KeepTime = true;
        } else if (Argument == QLatin1String("--tags")) {
            Options.CopyTags = true;
        } else if (Argument == QLatin1String("-R") || Argument == QLatin1String("--recursive")) {
            Options.Recursive = true;
        } else if (Argument == QLatin1String("-q") || Argument == QLatin1String("--quiet")) {
            Options.Quiet = true;
        } else if (Argument == QLatin1String("--json")) {
            Options.Json = true;
        } else if (Argument.startsWith(QLatin1String("--progress="))) {
            if (Argument != QLatin1String("--progress=json")) {
                Error = QStringLiteral("progress can only be json, not '%1'").arg(Argument.mid(11));
                return false;
            }
            Options.ProgressJson = true;
        } else if (Argument.startsWith(QLatin1Char('-')) && Argument.size() > 1) {
            Error = QStringLiteral("unknown option %1").arg(Argument);
            return false;
        } else {
            Options.Inputs << Argument;
        }
    }
    if (Options.Inputs.isEmpty()) {
        Error = QStringLiteral("no file or folder to convert");
        return false;
    }
    if (Options.Encoding == app::TOutputFormat::enADPCM && Options.Bits &&
        !app::TOutputFormat::BitsAllowed(Options.Bits->toInt(), app::TOutputFormat::enADPCM)) {
        Error = QStringLiteral("IMA ADPCM is written from %1-bit samples only, not %2 bits")
                    .arg(app::TOutputFormat::AdpcmBits)
                    .arg(*Options.Bits);
        return false;
    }
    return true;
}

bool ParseInfoOptions(const QStringList& Arguments, TInfoOptions& Options, QString& Error)
{
    for (int At = 0; At < Arguments.size(); ++At) {
        const QString& Argument = Arguments[At];
        if (Argument == QLatin1String("--")) {
            Options.Files << Arguments.mid(At + 1);
            break;
        }
        if (Argument == QLatin1String("--json")) {
            Options.Json = true;
        } else if (Argument.startsWith(QLatin1Char('-')) && Argument.size() > 1) {
            Error = QStringLiteral("unknown option %1").arg(Argument);
            return false;
        } else {
            Options.Files << Argument;
        }
    }
    if (Options.Files.isEmpty()) {
        Error = QStringLiteral("no file to describe");
        return false;
    }
    return true;
}

} // namespace cli
