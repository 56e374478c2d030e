// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewPlayer.h"

#include "app/engine/settings/Language.h"

#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <utility>

namespace app {
namespace {

constexpr int StrCannotPlay = 17;
// When the language file lacks its text.
constexpr const char* CannotPlayFallback = "This file cannot be played.";
constexpr const char* NoDecoder = "No decoder reads files of this kind.";

QString CannotPlay()
{
    const QString Text = LangStrings()[StrCannotPlay];
    return Text.isEmpty() ? QString::fromLatin1(CannotPlayFallback) : Text;
}

} // namespace

TPreviewPlayer::TPreviewPlayer(QObject* Parent) : QObject(Parent)
{
    FOutput.SetDeviceNumber(0);
    FOutput.SetFramesInBuffer(24576);
    FOutput.SetPollingInterval(100);
    FOutput.SetPrefetchData(true);
    // The output is a member: it stops, and forgets its events, before the
    // rest of the player goes.
    FOutput.SetOnDone([this](au::TAuComponent*) { OnDone(); });
    FOutput.SetOnProgress([this](au::TAuComponent*) { emit PositionChanged(Position()); });
    FOutput.SetOnThreadException([this](au::TAuComponent*) { OnThreadException(); });
}

TPreviewPlayer::~TPreviewPlayer() = default;

void TPreviewPlayer::SetRows(TRowPath Path, TRowLimit Limit)
{
    FRowPath = std::move(Path);
    FRowLimit = std::move(Limit);
}

bool TPreviewPlayer::PlayRow(int Row)
{
    FRow = Row;
    FFromRows = true;
    return Start(FRowPath(Row));
}

bool TPreviewPlayer::PlayFile(const QString& File)
{
    FFromRows = false;
    return Start(File);
}

bool TPreviewPlayer::Start(const QString& Path)
{
    // Synchronous: the file it played gets no completion, so starts no row;
    // one already on its way is delivered while the stop waits, and ignored.
    FReplacing = true;
    FOutput.Stop(false);
    FReplacing = false;
    FStopRequested = false;
    FDecoder = nullptr;
    FErrorText.clear();
    FName = QFileInfo(Path).fileName();
    au::TAuFileIn* Decoder = FDecoders.ForFile(Path);
    if (Decoder == nullptr)
        return Fail(CannotPlay() + QLatin1Char(' ') + QLatin1String(NoDecoder));
    FOutput.SetInput(Decoder);
    Decoder->SetFileName(Path.toStdString());
    // A file that does not decode is not started, so that its text stays
    // instead of a "Playing:" that nothing backs.
    if (!Decoder->Valid())
        return Fail(CannotPlay());
    FDecoder = Decoder;
    // Read before the run: the format queries would reopen a file the run
    // closed at its end.
    FDuration = Decoder->Duration();
    const int64_t Frame = static_cast<int64_t>(Decoder->Channels()) * Decoder->BitsPerSample() / 8;
    FBytesPerSecond = std::max<int64_t>(1, Frame * Decoder->SampleRate());
    // A sound server started after the program is found at the next play.
    if (FOutput.DeviceCount() == 0)
        FOutput.ReadDevices();
    try {
        FOutput.Run();
    } catch (const std::exception& E) {
        return Fail(CannotPlay() + QLatin1Char(' ') + QString::fromUtf8(E.what()));
    }
    SetState(psPlaying);
    emit PositionChanged(0);
    return true;
}

bool TPreviewPlayer::Fail(const QString& Text)
{
    FErrorText = Text;
    SetState(psIdle);
    emit Failed(Text);
    return false;
}

void TPreviewPlayer::Pause()
{
    if (FState != psPlaying)
        return;
    FPauseUsed = true;
    FOutput.Pause();
    SetState(psPaused);
}

void TPreviewPlayer::Resume()
{
    if (FState != psPaused)
        return;
    FPauseUsed = true;
    FOutput.Resume();
    SetState(psPlaying);
}

void TPreviewPlayer::Stop()
{
    if (FState == psIdle)
        return;
    FStopRequested = true;
    FOutput.Stop(true);
    SetState(psIdle);
}

void TPreviewPlayer::StopAndWait()
{
    FStopRequested = true;
    FOutput.Stop(false);
    if (FState != psIdle) {
        SetState(psIdle);
        emit PositionChanged(0);
    }
}

void TPreviewPlayer::SeekTo(int Percent)
{
    const int Now = Position();
    if (FState == psIdle || FDecoder == nullptr || Now < 0)
        return;
    FDecoder->SeekRelative(Percent - Now);
    // A paused output reports no progress until it goes on.
    emit PositionChanged(Position());
}

bool TPreviewPlayer::Plays(const QString& Path) const
{
    if (FState != psPlaying)
        return false;
    const QStringList Kinds = FDecoders.Extensions();
    return std::any_of(Kinds.begin(), Kinds.end(), [&](const QString& Kind) {
        return QString::fromStdString(FDecoders.ForExtension(Kind)->FileName()) == Path;
    });
}

int TPreviewPlayer::Position() const
{
    return FDecoder == nullptr ? 0 : FOutput.Progress();
}

int64_t TPreviewPlayer::PositionSeconds() const
{
    return FDecoder == nullptr ? 0 : FDecoder->Position() / FBytesPerSecond;
}

void TPreviewPlayer::SetState(TState State)
{
    FState = State;
    emit StateChanged(State);
}

void TPreviewPlayer::OnThreadException()
{
    QString Text = CannotPlay() + QLatin1Char(' ') + QString::fromStdString(FOutput.ExceptionMessage());
    const std::string Reason = FOutput.NoDeviceReason();
    if (!Reason.empty())
        Text += QStringLiteral(": ") + QString::fromStdString(Reason);
    // The completion follows: a failed file ends the playback, as a stop does.
    FStopRequested = true;
    FErrorText = Text;
    emit Failed(Text);
}

void TPreviewPlayer::OnDone()
{
    // A completion that comes late, from a file another one replaced.
    if (FReplacing || FOutput.Busy())
        return;
    const bool Ended = !FStopRequested;
    FStopRequested = false;
    if (FState != psIdle)
        SetState(psIdle);
    emit PositionChanged(0);
    if (!Ended || FPauseUsed || !FFromRows || !FRowLimit)
        return;
    ++FRow;
    if (FRow < FRowLimit())
        PlayRow(FRow);
}

QString PlayClock(int64_t Seconds)
{
    return QString::asprintf("%lld:%02lld", static_cast<long long>(Seconds / 60),
                             static_cast<long long>(Seconds % 60));
}

} // namespace app
