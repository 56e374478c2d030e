// SPDX-License-Identifier: GPL-3.0-or-later
// Preview playback of listed files on the tests' private sound server.
#include "BatchPageFixture.h"

#include "audio/playback/SoundServer.h"

#include <QAccessible>
#include <QProgressBar>
#include <QTest>

using namespace uitest;

namespace {

class BatchPreviewTest : public BatchPageTest {
protected:
    app::TPreviewControl& Preview() { return Page->Preview(); }
    au::TOutputStatus State() { return Player.Output().Status(); }
    QString Panel() { return Status().PanelText(1); }
    QProgressBar* Bar() { return Preview().Bar(); }
    bool PlaysSoon(const QString& Name)
    {
        return autest::RunUntil([&] { return State() == au::osRunning && Panel() == "Playing:" + Name; });
    }
    // The output is past its start-up, where it does not take a pause yet.
    bool ProgressShown()
    {
        return autest::RunUntil([&] { return Bar()->value() > 0; });
    }
    bool EndsSoon()
    {
        return autest::RunUntil([&] { return State() == au::osIdle && Panel().isEmpty(); });
    }
    // Nothing starts for a while.
    bool StaysIdle()
    {
        return !autest::RunUntil([&] { return State() != au::osIdle; }, 800);
    }
    void DoubleClick(int Row)
    {
        app::TFileListView& View = Page->FileList();
        const QRect Cell = View.visualRect(View.model()->index(Row, 0));
        QTest::mouseClick(View.viewport(), Qt::LeftButton, Qt::NoModifier, Cell.center());
        QTest::mouseDClick(View.viewport(), Qt::LeftButton, Qt::NoModifier, Cell.center());
    }
};

} // namespace

TEST_F(BatchPreviewTest, DoubleClickPlaysARowAndAnotherSwitchesAtOnce)
{
    Drop({LongWma("first.wma", 30), LongWma("second.wma", 30)});
    DoubleClick(0);
    ASSERT_TRUE(PlaysSoon("first.wma"));
    EXPECT_TRUE(Preview().Pause()->isEnabled());
    EXPECT_TRUE(Preview().Stop()->isEnabled());
    DoubleClick(1);
    EXPECT_EQ(Panel(), "Playing:second.wma");
    EXPECT_EQ(State(), au::osRunning);
    EXPECT_TRUE(Player.Plays(Path("second.wma")));
}

TEST_F(BatchPreviewTest, PlayOverThreeSelectedRowsEndsWithTheLastPlaying)
{
    Drop({LongWma("a.wma", 30), LongWma("b.wma", 30), LongWma("c.wma", 30)});
    Select({0, 1, 2});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("c.wma"));
    // With a gap in the selection it is still the last selected row, not the
    // one as many rows below the first.
    Select({0, 2});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("c.wma"));
    EXPECT_FALSE(Player.Plays(Path("b.wma")));
}

TEST_F(BatchPreviewTest, StopEmptiesThePanelReturnsTheBarAndDisablesPauseAndStop)
{
    Drop({LongWma("a.wma", 30), LongWma("b.wma", 30)});
    EXPECT_FALSE(Preview().Pause()->isEnabled());
    EXPECT_FALSE(Preview().Stop()->isEnabled());
    Select({0});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("a.wma"));
    ASSERT_TRUE(ProgressShown());
    Select({0, 1});
    Preview().Stop()->trigger();
    EXPECT_FALSE(Preview().Pause()->isEnabled());
    EXPECT_FALSE(Preview().Stop()->isEnabled());
    ASSERT_TRUE(EndsSoon());
    EXPECT_TRUE(autest::RunUntil([&] { return Bar()->value() == 0; }));
}

TEST_F(BatchPreviewTest, PauseTogglesCaptionAndPanelAndAnEndedFileDisablesBoth)
{
    Drop({Wma("a.wma")});
    Select({0});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("a.wma"));
    Preview().Pause()->trigger();
    EXPECT_EQ(Panel(), "Pause:a.wma");
    EXPECT_EQ(Preview().Pause()->text(), "Res&ume");
    EXPECT_EQ(Child<QPushButton>("btnPause")->text(), "Res&ume");
    EXPECT_EQ(State(), au::osPaused);
    Preview().Pause()->trigger();
    EXPECT_EQ(Panel(), "Playing:a.wma");
    EXPECT_EQ(Preview().Pause()->text(), "Pa&use");
    ASSERT_TRUE(EndsSoon());
    EXPECT_FALSE(Preview().Pause()->isEnabled());
    EXPECT_FALSE(Preview().Stop()->isEnabled());
}

TEST_F(BatchPreviewTest, AClickOnTheBarSeeksThereAlsoWhilePausedAndTheBarSaysTheTime)
{
    Drop({LongWma("long.wma", 60)});
    Bar()->setFixedWidth(200);
    Select({0});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("long.wma"));
    ASSERT_TRUE(ProgressShown());
    QAccessibleInterface* Access = QAccessible::queryAccessibleInterface(Bar());
    ASSERT_NE(Access, nullptr);
    EXPECT_EQ(Access->text(QAccessible::Name), "Position");
    // The middle of the bar is the middle of the file.
    Preview().Pause()->trigger();
    QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, QPoint(100, Bar()->height() / 2));
    EXPECT_NEAR(Bar()->value(), 50, 1);
    EXPECT_EQ(Access->text(QAccessible::Description), "0:30 of 1:00");
}

TEST_F(BatchPreviewTest, AFileThatDoesNotDecodeSaysSoAndDoesNotPlay)
{
    autest::WriteBytes(Path("bad.wma").toStdString(), std::vector<uint8_t>(3000, 0x41));
    Drop({Path("bad.wma")});
    Select({0});
    Preview().Play()->trigger();
    EXPECT_EQ(Panel(), app::LangStrings()[17]);
    EXPECT_TRUE(StaysIdle());
    // Pause has nothing to pause.
    Preview().Pause()->trigger();
    EXPECT_EQ(Panel(), app::LangStrings()[17]);
}

TEST_F(BatchPreviewTest, RemovingThePlayingRowStopsThePreview)
{
    Drop({LongWma("a.wma", 30), LongWma("b.wma", 30)});
    Select({0});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("a.wma"));
    // Another row goes and the preview plays on.
    Select({1});
    Page->ListActions().Remove()->trigger();
    EXPECT_EQ(State(), au::osRunning);
    Select({0});
    Page->ListActions().Remove()->trigger();
    EXPECT_FALSE(Preview().Pause()->isEnabled());
    EXPECT_FALSE(Preview().Stop()->isEnabled());
    ASSERT_TRUE(EndsSoon());
}

TEST_F(BatchPreviewTest, AConversionRunStopsThePreview)
{
    Drop({LongWma("a.wma", 30), Wma("b.wma")});
    Select({0});
    Preview().Play()->trigger();
    ASSERT_TRUE(PlaysSoon("a.wma"));
    Select({0, 1});
    QDir().mkpath(Path("out"));
    Dialogs.FolderAnswers.push_back(Path("out"));
    Page->Run().Convert()->trigger();
    EXPECT_FALSE(Preview().Play()->isEnabled());
    ASSERT_TRUE(EndsSoon());
    ASSERT_TRUE(autest::RunUntil([&] { return !Dialogs.Messages.empty(); }));
    EXPECT_EQ(State(), au::osIdle);
    // Nothing plays after the run: only Play comes back.
    EXPECT_TRUE(Preview().Play()->isEnabled());
    EXPECT_FALSE(Preview().Pause()->isEnabled());
    EXPECT_FALSE(Preview().Stop()->isEnabled());
}
