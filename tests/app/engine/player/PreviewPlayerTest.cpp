// SPDX-License-Identifier: GPL-3.0-or-later
// The preview player on the tests' private sound server, with FLAC files made
// by sox.
#include "app/QtTestUtil.h"
#include "audio/decoders/DecoderTestUtil.h"
#include "audio/playback/SoundServer.h"
#include "support/TestUtil.h"

#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QStringList>
#include <gtest/gtest.h>

using app::TPreviewPlayer;

// Readable texts in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace {

class PreviewPlayerTest : public ::testing::Test {
protected:
    PreviewPlayerTest()
    {
        app::LoadLanguageStrings(app::LangStrings(), 450, app::ExeFolderFile(QStringLiteral("English.lng")),
                                 QStringLiteral("Strings"));
        QObject::connect(&Player, &TPreviewPlayer::StateChanged, [this](TPreviewPlayer::TState State) {
            static const char* const Names[] = {"idle", "playing", "paused"};
            States << QString::fromLatin1(Names[State]) + (State == TPreviewPlayer::psPlaying ? ":" + Player.Name() : "");
        });
    }
    ~PreviewPlayerTest() override { Player.StopAndWait(); }

    QString Tone(const std::string& Name, double Seconds)
    {
        const std::string Path = Dir.File(Name);
        autest::Shell("sox -n -r 44100 -b 16 -c 2 " + autest::Quote(Path) + " synth " + std::to_string(Seconds) +
                      " sine 440 gain -6");
        return QString::fromStdString(Path);
    }
    bool Idle()
    {
        return autest::RunUntil([&] {
            return Player.State() == TPreviewPlayer::psIdle && Player.Output().Status() == au::osIdle;
        });
    }
    // Nothing starts for a while.
    bool StaysIdle()
    {
        return !autest::RunUntil([&] { return Player.State() != TPreviewPlayer::psIdle; }, 800);
    }

    autest::TTempDir Dir;
    TPreviewPlayer Player;
    QStringList States;
};

} // namespace

TEST_F(PreviewPlayerTest, AnEndedRowHandsOverBelowTheLimitUnlessStoppedOrPauseWasUsed)
{
    const QStringList Rows = {Tone("a.flac", 0.3), Tone("b.flac", 0.3), Tone("long.flac", 30)};
    int Limit = 2;
    Player.SetRows([&](int Row) { return Rows[Row]; }, [&] { return Limit; });
    ASSERT_TRUE(Player.PlayRow(0));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(States, QStringList({"playing:a.flac", "idle", "playing:b.flac", "idle"}));
    EXPECT_EQ(Player.ErrorText(), "");

    // A stop is idle at once and ends there.
    Limit = 3;
    States.clear();
    ASSERT_TRUE(Player.PlayRow(1));
    Player.Stop();
    EXPECT_EQ(Player.State(), TPreviewPlayer::psIdle);
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(StaysIdle());
    EXPECT_EQ(States, QStringList({"playing:b.flac", "idle"}));

    // Once Pause was used, no file hands over again.
    ASSERT_TRUE(Player.PlayRow(0));
    Player.Pause();
    Player.Resume();
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(StaysIdle());
}

TEST_F(PreviewPlayerTest, APauseAtTheStartHoldsUntilResume)
{
    ASSERT_TRUE(Player.PlayFile(Tone("long.flac", 30)));
    // While the output is still connecting and opening the file.
    Player.Pause();
    EXPECT_EQ(Player.State(), TPreviewPlayer::psPaused);
    autest::RunUntil([] { return false; }, 600);
    EXPECT_EQ(Player.Output().Status(), au::osPaused);
    EXPECT_EQ(Player.PositionSeconds(), 0);
    EXPECT_EQ(Player.Output().Input()->Position(), 0);

    Player.Resume();
    EXPECT_EQ(Player.State(), TPreviewPlayer::psPlaying);
    EXPECT_TRUE(autest::RunUntil([&] { return Player.Position() > 0; }));
}

TEST_F(PreviewPlayerTest, SeekingWhilePausedMovesWherePlaybackGoesOn)
{
    ASSERT_TRUE(Player.PlayFile(Tone("long.flac", 60)));
    ASSERT_TRUE(autest::RunUntil([&] { return Player.Position() > 0; }));
    Player.Pause();
    int Shown = -1;
    QObject::connect(&Player, &TPreviewPlayer::PositionChanged, [&](int Percent) { Shown = Percent; });
    Player.SeekTo(50);
    EXPECT_EQ(Shown, Player.Position());
    EXPECT_NEAR(Player.Position(), 50, 1);
    EXPECT_NEAR(Player.PositionSeconds(), 30, 1);
    EXPECT_EQ(Player.DurationSeconds(), 60);

    Player.Resume();
    ASSERT_TRUE(autest::RunUntil([&] { return Shown > 51; }));
    EXPECT_LT(Shown, 60);
}

TEST_F(PreviewPlayerTest, WithoutASoundServerTheFailureSaysWhy)
{
    const QByteArray Saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", ("unix:" + Dir.File("none")).c_str());
    TPreviewPlayer Lonely;
    QString Failure;
    QObject::connect(&Lonely, &TPreviewPlayer::Failed, [&](const QString& Text) { Failure = Text; });
    const bool Started = Lonely.PlayFile(Tone("a.flac", 0.3));
    qputenv("PULSE_SERVER", Saved);
    ASSERT_TRUE(Started);
    ASSERT_TRUE(autest::RunUntil([&] { return Lonely.State() == TPreviewPlayer::psIdle; }));
    EXPECT_EQ(Failure, "This file cannot be played. Invalid device number: the sound server cannot be reached "
                       "(Connection refused)");
    EXPECT_EQ(Lonely.ErrorText(), Failure);
}
