// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayCommand.h"

#include "app/engine/system/SignalWatcher.h"
#include "app/engine/chain/DecoderSet.h"
#include "app/engine/settings/Language.h"
#include "audio/playback/DXAudioOut.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

constexpr int SeekStep = 10;
constexpr int StringCannotPlay = 17;

// Keys one at a time without echo, for as long as the object lives.
class TRawTerminal {
public:
    TRawTerminal() : FActive(::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &FSaved) == 0)
    {
        if (!FActive)
            return;
        termios Raw = FSaved;
        Raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        Raw.c_cc[VMIN] = 1;
        Raw.c_cc[VTIME] = 0;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &Raw);
    }
    ~TRawTerminal()
    {
        if (FActive)
            ::tcsetattr(STDIN_FILENO, TCSANOW, &FSaved);
    }
    TRawTerminal(const TRawTerminal&) = delete;
    TRawTerminal& operator=(const TRawTerminal&) = delete;
    bool Active() const { return FActive; }

private:
    termios FSaved{};
    bool FActive;
};

QString Clock(int64_t Seconds)
{
    return QString::asprintf("%lld:%02lld", static_cast<long long>(Seconds / 60), static_cast<long long>(Seconds % 60));
}

int Fail(const QString& Text)
{
    std::fprintf(stderr, "kelvaro-cli: %s\n", Text.toUtf8().constData());
    return 1;
}

} // namespace

int RunPlay(const QString& File)
{
    if (!QFileInfo(File).isFile())
        return Fail(File + QStringLiteral(": no such file"));
    app::TDecoderSet Decoders;
    au::TAuFileIn* Decoder = Decoders.ForFile(File);
    if (Decoder == nullptr)
        return Fail(File + QStringLiteral(": no decoder reads files of this kind"));
    Decoder->SetFileName(File.toStdString());
    if (!Decoder->Valid()) {
        const QString Text = app::LangStrings()[StringCannotPlay];
        return Fail(File + QStringLiteral(": ") + (Text.isEmpty() ? QStringLiteral("the file cannot be played") : Text));
    }

    au::TDXAudioOut Output;
    QString Error;
    bool Ended = false;
    Output.SetOnThreadException([&](au::TAuComponent*) { Error = QString::fromStdString(Output.ExceptionMessage()); });
    Output.SetOnDone([&](au::TAuComponent*) {
        Ended = true;
        QCoreApplication::exit();
    });
    Output.SetInput(Decoder);

    TRawTerminal Terminal;
    const bool Show = ::isatty(STDERR_FILENO) == 1;
    const int64_t Rate = std::max(1, Decoder->SampleRate());
    const int64_t Frame = std::max<int64_t>(1, (static_cast<int64_t>(Decoder->Channels()) * Decoder->BitsPerSample()) / 8);
    const QString Name = QFileInfo(File).fileName();
    const QString Total = Clock(Decoder->Duration());
    auto Draw = [&] {
        if (!Show)
            return;
        const char* State = Output.Status() == au::osPaused ? "Paused " : "Playing";
        const QString Line = QStringLiteral("%1 %2  %3 / %4")
                                 .arg(QLatin1String(State), Name, Clock(Decoder->Position() / Frame / Rate), Total);
        std::fprintf(stderr, "\r\033[K%s", Line.toUtf8().constData());
        std::fflush(stderr);
    };

    std::unique_ptr<QSocketNotifier> Keys;
    if (Terminal.Active()) {
        Keys = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(Keys.get(), &QSocketNotifier::activated, [&] {
            char Key[8];
            const ssize_t Got = ::read(STDIN_FILENO, Key, sizeof Key);
            if (Got <= 0)
                return;
            const QByteArray Keystroke(Key, static_cast<int>(Got));
            if (Keystroke == " ") {
                if (Output.Status() == au::osPaused)
                    Output.Resume();
                else
                    Output.Pause();
            } else if (Keystroke == "\033[C") {
                Decoder->SeekRelative(SeekStep);
            } else if (Keystroke == "\033[D") {
                Decoder->SeekRelative(-SeekStep);
            } else if (Keystroke == "q" || Keystroke == "Q") {
                Output.Stop(true);
            }
            Draw();
        });
    }
    app::TSignalWatcher Signals([&](int) { Output.Stop(true); });
    QTimer Redraw;
    QObject::connect(&Redraw, &QTimer::timeout, Draw);
    Redraw.start(250);

    try {
        Output.Run();
    } catch (const std::exception& E) {
        return Fail(File + QStringLiteral(": ") + QString::fromUtf8(E.what()));
    }
    if (!Ended)
        QCoreApplication::exec();
    if (Show)
        std::fprintf(stderr, "\r\033[K");
    Output.SetInput(nullptr);
    if (!Error.isEmpty())
        return Fail(File + QStringLiteral(": ") + Error);
    return 0;
}

} // namespace cli
