// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/DecoderSet.h"
#include "audio/playback/DXAudioOut.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace app {

// Lets the user hear a file before converting it, in the file's own format,
// through decoders and a sound output of its own: the batch page and
// `kelvaro-cli play` drive it alike. Played as a list row, a file that plays to
// its end hands over to the next row while that row's index is below the
// count the row source gives (the selected rows), unless Pause was ever used;
// a stop (by the user, a removal, a conversion run) or a failure ends there.
// User-interface thread only.
class TPreviewPlayer final : public QObject {
    Q_OBJECT

public:
    enum TState { psIdle, psPlaying, psPaused };
    // The path of a list row; the count a row index must stay below to follow.
    using TRowPath = std::function<QString(int Row)>;
    using TRowLimit = std::function<int()>;

    explicit TPreviewPlayer(QObject* Parent = nullptr);
    ~TPreviewPlayer() override;
    TPreviewPlayer(const TPreviewPlayer&) = delete;
    TPreviewPlayer& operator=(const TPreviewPlayer&) = delete;

    // Empty functions end the hand-over (the list's view went away).
    void SetRows(TRowPath Path, TRowLimit Limit);

    // Stop what plays (waiting), then play row Row of the row source (which
    // SetRows must have given), or File alone. False, with ErrorText set and Failed emitted, when it cannot start;
    // a failure of the sound output after the start is reported the same way.
    bool PlayRow(int Row);
    bool PlayFile(const QString& File);
    // Take effect at once, also while playback is still starting; ignored in
    // the wrong state. Either one ends the hand-over to the next row for good.
    void Pause();
    void Resume();
    // Returns at once; the player is idle from here on and nothing follows.
    void Stop();
    // Returns once the sound output has let go of the file (closing, quitting).
    void StopAndWait();
    // Moves to Percent of the file, playing or paused.
    void SeekTo(int Percent);

    TState State() const { return FState; }
    // Whether it plays (not paused) and Path is the file of one of its decoders.
    bool Plays(const QString& Path) const;
    // The file name (without folder) of what plays or played last.
    QString Name() const { return FName; }
    // Percent of the file delivered; -1 when its size is not known.
    int Position() const;
    int64_t PositionSeconds() const;
    int DurationSeconds() const { return FDuration; }
    // Why the last start failed; empty after a start that worked.
    QString ErrorText() const { return FErrorText; }

    // The underlying output, for its settings (device, buffer).
    au::TDXAudioOut& Output() { return FOutput; }

signals:
    // Each start emits psPlaying, also when one file replaces another.
    void StateChanged(app::TPreviewPlayer::TState State);
    void PositionChanged(int Percent);
    void Failed(const QString& Text);

private:
    bool Start(const QString& Path);
    bool Fail(const QString& Text);
    void SetState(TState State);
    void OnDone();
    void OnThreadException();

    TRowPath FRowPath;
    TRowLimit FRowLimit;
    int FRow = 0;
    bool FFromRows = false;
    bool FPauseUsed = false;
    // A stop of ours: its completion starts no other row.
    bool FStopRequested = false;
    bool FReplacing = false;
    TState FState = psIdle;
    QString FName;
    QString FErrorText;
    // The file that plays, for positions and seeking, whatever became of its row.
    au::TAuFileIn* FDecoder = nullptr;
    int FDuration = 0;
    int64_t FBytesPerSecond = 1;
    // Declared before the output, which stops before they go.
    TDecoderSet FDecoders;
    au::TDXAudioOut FOutput;
};

// Seconds as minutes and seconds ("3:05").
QString PlayClock(int64_t Seconds);

} // namespace app
