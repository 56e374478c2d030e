// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayCommand.h"

#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/system/SignalWatcher.h"

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
    app::TPreviewPlayer Player;
    if (!Player.PlayFile(File))
        return Fail(File + QStringLiteral(": ") + Player.ErrorText());
    QObject::connect(&Player, &app::TPreviewPlayer::StateChanged, [](app::TPreviewPlayer::TState State) {
        if (State == app::TPreviewPlayer::psIdle)
            QCoreApplication::exit();
    });

    TRawTerminal Terminal;
    const bool Show = ::isatty(STDERR_FILENO) == 1;
    const QString Total = app::PlayClock(Player.DurationSeconds());
    auto Draw = [&] {
        if (!Show)
            return;
        const char* State = Player.State() == app::TPreviewPlayer::psPaused ? "Paused " : "Playing";
        const QString Line = QStringLiteral("%1 %2  %3 / %4")
                                 .arg(QLatin1String(State), Player.Name(), app::PlayClock(Player.PositionSeconds()),
                                      Total);
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
                if (Player.State() == app::TPreviewPlayer::psPaused)
                    Player.Resume();
                else
                    Player.Pause();
            } else if (Keystroke == "\033[C") {
                Player.SeekTo(Player.Position() + SeekStep);
            } else if (Keystroke == "\033[D") {
                Player.SeekTo(Player.Position() - SeekStep);
            } else if (Keystroke == "q" || Keystroke == "Q") {
                Player.Stop();
            }
            Draw();
        });
    }
    app::TSignalWatcher Signals([&](int) { Player.Stop(); });
    QTimer Redraw;
    QObject::connect(&Redraw, &QTimer::timeout, Draw);
    Redraw.start(250);

    QCoreApplication::exec();
    if (Show)
        std::fprintf(stderr, "\r\033[K");
    Player.StopAndWait();
    if (!Player.ErrorText().isEmpty())
        return Fail(File + QStringLiteral(": ") + Player.ErrorText());
    return 0;
}

} // namespace cli
