// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion runs started, watched and stopped in the window.
#include "BatchPageFixture.h"

#include "app/engine/chain/FileProbe.h"
#include "app/ui/batch/FileListIcons.h"

#include <QApplication>
#include <QProgressBar>
#include <QRegularExpression>

using namespace uitest;
using app::TFileListModel;

namespace {

// Log lines with their time stamps replaced by [T].
QStringList Plain(QStringList Lines)
{
    for (QString& Line : Lines)
        Line.replace(QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\]"), "[T]");
    return Lines;
}

class BatchRunTest : public BatchPageTest {
protected:
    // Appends the probe's rows for Paths, as the window's adders do.
    void AddProbed(const QStringList& Paths)
    {
        std::vector<TFileListModel::TRow> Rows;
        for (const QString& File : Paths)
            Rows.push_back(app::ProbeFile(File).Row);
        Files().AddRows(std::move(Rows));
        Actions().UpdateListActions();
    }
    QString Out() const { return Path("out"); }
    // Starts a run into the output folder and answers the end question with Answer.
    void Convert(QMessageBox::StandardButton Answer = QMessageBox::Ok)
    {
        QDir().mkpath(Out());
        Dialogs.FolderAnswers.push_back(Out());
        Dialogs.MessageAnswers.push_back(Answer);
        Page->Run().Convert()->trigger();
    }
    bool Finished()
    {
        return autest::RunUntil([this] { return !Dialogs.Messages.empty(); }, 60000);
    }
    QStringList Log() { return Plain(Page->Log().Lines()); }
    QPushButton* ConvertButton() { return Child<QPushButton>("btnConvert"); }
    QPushButton* StopButton() { return Child<QPushButton>("btnStopConvert"); }
};

} // namespace

TEST_F(BatchRunTest, CancellingTheFolderBrowserChangesNothing)
{
    AddProbed({Wma("a.wma")});
    Files().SetState(0, TFileListModel::rsConverted);
    Page->Run().Convert()->trigger();
    EXPECT_EQ(Dialogs.FolderTitles, QStringList{app::LangStrings()[12]});
    EXPECT_EQ(Page->Log().Lines(), QStringList{""});
    EXPECT_FALSE(Child("pnlLog")->isVisible());
    EXPECT_EQ(Files().Row(0).State, TFileListModel::rsConverted);
    EXPECT_EQ(Status().PanelText(0), "");
    EXPECT_FALSE(Page->Converting());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(ConvertButton()->isVisible());
}

// The hot directory converts through the same resampler and converter.
TEST_F(BatchRunTest, AWatchingHotDirectoryRefusesTheRun)
{
    AddProbed({Wma("a.wma")});
    for (const char* Folder : {"in", "out", "log"})
        QDir().mkpath(Path(Folder));
    HotDir.Start(Path("in"), Path("out"), Path("log"), false);
    Dialogs.FolderAnswers.push_back(Out());
    Page->Run().Convert()->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Warning);
    EXPECT_TRUE(Dialogs.FolderTitles.isEmpty());
    EXPECT_FALSE(Page->Converting());

    HotDir.Stop();
    Page->Run().Convert()->trigger();
    EXPECT_EQ(Dialogs.FolderTitles.size(), 1);
    EXPECT_TRUE(autest::RunUntil([&] { return !Page->Converting(); }));
    EXPECT_EQ(Files().Row(0).State, TFileListModel::rsConverted);
}

TEST_F(BatchRunTest, AListedFileThatIsGoneRefusesTheRun)
{
    Settings.SetSavePath(Path("no such folder"));
    AddProbed({Wma("a.wma"), Wma("b.wma")});
    QFile::remove(Path("b.wma"));
    Page->Run().Convert()->trigger();
    Dialogs.FolderAnswers.push_back(Out());
    QDir().mkpath(Out());
    Page->Run().Convert()->trigger();
    // A start folder that does not exist is not offered.
    EXPECT_EQ(Dialogs.FolderStarts, (QStringList{"", ""}));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, app::LangStrings()[14]);
    EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Information);
    EXPECT_FALSE(Page->Converting());
    EXPECT_TRUE(ConvertButton()->isVisible());
    EXPECT_FALSE(StopButton()->isVisible());
    EXPECT_TRUE(Page->FileList().isEnabled());
    EXPECT_TRUE(Page->Run().Convert()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(Out() + "/a.wav"));
}

// Every kind the decoders read, a damaged file and an upper-case extension, in
// one run; the window must write what kelvaro-cli writes with the same format.
TEST_F(BatchRunTest, AWholeRunWritesWhatTheCommandLineToolWrites)
{
    const QString Wma1 = Wma("a.wma");
    const QString Mp3 = Make("c.mp3", "ffmpeg -v error -y -i %1 -c:a libmp3lame -b:a 128k %2");
    const QString Flac = Make("d.flac", "flac -s -f -o %2 %1", "tone-48000-24-2.wav");
    const QString Damaged = Path("damaged.wma");
    autest::WriteBytes(Damaged.toStdString(), std::vector<uint8_t>(6000, 0x41));
    const QString Ogg = Make("e.ogg", "oggenc -Q -o %2 %1", "tone-22050-16-1.wav");
    const QString Ape = Path("f.ape");
    QFile::copy(QString::fromStdString(autest::FixturesDir() + "/tone-8000-8-1.ape"), Ape);
    const QString Tta = Make("g.tta", "ffmpeg -v error -y -i %1 -c:a tta %2");
    const QString Upper = Wma("B.WMA", "tone-22050-16-1.wav");
    AddProbed({Wma1, Mp3, Flac, Damaged, Ogg, Ape, Tta});
    Drop({Upper});
    ASSERT_EQ(Files().Count(), 8);

    Settings.SetMRate("22050");
    Settings.SetMBit("24");
    Settings.SetMChannel(0);
    Settings.SetMEncoding(0);
    Page->setWindowTitle("Converter");
    Convert();
    // The first files start at once.
    EXPECT_TRUE(Status().PanelText(0).startsWith("Converting: "));
    EXPECT_TRUE(StopButton()->isVisible());
    EXPECT_FALSE(ConvertButton()->isVisible());
    EXPECT_FALSE(Page->FileList().isEnabled());
    EXPECT_FALSE(Page->Preview().Play()->isEnabled());
    EXPECT_FALSE(Child<QPushButton>("btnOption")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(Child("pnlLog")->isVisible());
    EXPECT_EQ(Child<QPushButton>("btnOpenLog")->text(), "H&ide log...");
    // Rows do not move under a run: a drop meanwhile adds nothing.
    Drop({Wma("late.wma")});
    EXPECT_EQ(Files().Count(), 8);
    bool SawPercent = false, SawConverting = false, SawWholeRun = false;
    const QRegularExpression WholeRun("^Converting (1 file|[2-8] files), [0-7] of 8 done(, \\d+:\\d\\d left)?$");
    ASSERT_TRUE(autest::RunUntil(
        [&] {
            const auto Percent = QRegularExpression("^(\\d+)%$").match(Status().PanelText(4));
            SawPercent |= Status().Progress()->isVisible() && Percent.hasMatch() &&
                          Status().Progress()->value() == Percent.captured(1).toInt();
            SawConverting |= Status().PanelText(0).startsWith("Converting: ");
            SawWholeRun |= WholeRun.match(Status().PanelText(3)).hasMatch() && Percent.hasMatch() &&
                           Page->windowTitle() == Percent.captured(1) + "% - Converter";
            return !Dialogs.Messages.empty();
        },
        60000));
    EXPECT_TRUE(SawPercent);
    EXPECT_TRUE(SawConverting);
    EXPECT_TRUE(SawWholeRun);

    // The same list through kelvaro-cli.
    const QString CliOut = Path("cli");
    std::string CliLog;
    std::string Command = "'" + app::ExeFolderFile("kelvaro-cli").toStdString() +
                          "' convert -o '" + CliOut.toStdString() + "' -r 22050 -b 24 -c keep -e pcm";
    for (const QString& File : Paths())
        Command += " '" + File.toStdString() + "'";
    EXPECT_EQ(autest::RunCommand(Command + " 2>/dev/null", &CliLog), 1); // one file failed
    // The tool ends its output with a line break after the empty last line.
    EXPECT_EQ(Log(), Plain(QString::fromStdString(CliLog).chopped(1).split('\n')));

    const QStringList Names{"a.wav", "c.wav", "d.wav", "e.wav", "f.wav", "g.wav", "B.wav"};
    for (const QString& Name : Names) {
        const auto Mine = autest::ReadBytes((Out() + "/" + Name).toStdString());
        EXPECT_GT(Mine.size(), 44u) << Name.toStdString();
        EXPECT_TRUE(Mine == autest::ReadBytes((CliOut + "/" + Name).toStdString())) << Name.toStdString();
    }
    std::string Format;
    autest::RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 '" +
                           (Out() + "/d.wav").toStdString() + "'",
                       &Format);
    EXPECT_EQ(Format, "pcm_s24le,22050,2\n");

    // The log as written: load and result lines per row, the error on a line
    // of its own, then the end.
    const QStringList Lines = Log();
    ASSERT_GE(Lines.size(), 20);
    EXPECT_EQ(Lines.front(), "Task Begin");
    EXPECT_EQ(Lines.mid(1, 2), (QStringList{"[T]Load: " + Wma1 + " [Success]", "[T]Convert to: a.wav [Success]"}));
    const int Bad = static_cast<int>(Lines.indexOf("[T]Convert to: damaged.wav [Failed]"));
    ASSERT_GT(Bad, 0);
    const QString Error = Lines[Bad + 1];
    EXPECT_FALSE(Error.isEmpty());
    EXPECT_EQ(Lines.mid(Lines.size() - 4),
              (QStringList{"[T]Load: " + Upper + " [Success]", "[T]Convert to: B.wav [Success]", "Task End", ""}));

    // Each row's result as a picture and as text.
    const auto* Icons = static_cast<const app::TFileListIcons*>(Page->FileList().model());
    for (int Row = 0; Row < Files().Count(); ++Row) {
        const bool Failed = Row == 3;
        EXPECT_EQ(Files().Row(Row).State, Failed ? TFileListModel::rsFailed : TFileListModel::rsConverted);
        const QIcon Shown = Page->FileList().model()->index(Row, 0).data(Qt::DecorationRole).value<QIcon>();
        EXPECT_EQ(Shown.cacheKey(), Icons->Icon(Failed ? 1 : 2).cacheKey());
        const QString Text = Failed ? "Failed: " + Error : QString("Succeeded");
        EXPECT_EQ(Cell(Row, 0, Qt::ToolTipRole), Text);
        EXPECT_EQ(Cell(Row, 0, Qt::AccessibleDescriptionRole), Text);
        EXPECT_EQ(Cell(Row, 1), "Save to: " + QFileInfo(Files().Row(Row).Output).fileName());
    }

    // The end: not every row converted, so the question says what happened;
    // the last output shown, the controls back.
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "Converted 7 of 8 files: 1 failed, 0 skipped.\nFailed: damaged.wma\n\nOpen the output folder?");
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(Shell.ShownItems, QStringList{Out() + "/B.wav"});
    EXPECT_TRUE(ConvertButton()->isVisible());
    EXPECT_FALSE(StopButton()->isVisible());
    EXPECT_TRUE(Page->FileList().isEnabled());
    EXPECT_TRUE(Page->Preview().Play()->isEnabled());
    EXPECT_EQ(Status().PanelText(0), "");
    EXPECT_EQ(Status().PanelText(4), "");
    EXPECT_EQ(Status().PanelText(3), "");
    EXPECT_EQ(Page->windowTitle(), "Converter");
    EXPECT_FALSE(Status().Progress()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Settings.SavePath(), Out());

    // A second run starts the rows afresh: pending rows say nothing.
    Files().SetState(3, TFileListModel::rsPending);
    EXPECT_TRUE(Cell(3, 0, Qt::ToolTipRole).isEmpty());
}

TEST_F(BatchRunTest, TwoRowsWithOneOutputNameBothShowTheirResult)
{
    AddProbed({Wma("one/same.wma"), Wma("two/same.wma")});
    Convert(QMessageBox::Cancel);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(Cell(0, 0, Qt::ToolTipRole), "Succeeded");
    EXPECT_EQ(Cell(1, 0, Qt::ToolTipRole), "Succeeded");
    EXPECT_EQ(Files().Row(0).Output, Out() + "/same.wav");
    EXPECT_EQ(Files().Row(1).Output, Out() + "/same.wav");
    EXPECT_TRUE(Shell.ShownItems.isEmpty());
    EXPECT_TRUE(Shell.OpenedFolders.isEmpty());
}

TEST_F(BatchRunTest, WhenTheLastRowFailedOkOpensTheOutputFolder)
{
    const QString Damaged = Path("bad.wma");
    autest::WriteBytes(Damaged.toStdString(), std::vector<uint8_t>(3000, 0x41));
    AddProbed({Wma("a.wma"), Damaged});
    Convert();
    ASSERT_TRUE(Finished());
    EXPECT_TRUE(Cell(1, 0, Qt::ToolTipRole).startsWith("Failed: "));
    EXPECT_TRUE(Shell.ShownItems.isEmpty());
    EXPECT_EQ(Shell.OpenedFolders, QStringList{Out()});
}

TEST_F(BatchRunTest, StopDuringTheLastRowEndsWithoutTaskEndOrQuestion)
{
    AddProbed({LongWma("long.wma", 300)});
    Convert();
    ASSERT_TRUE(autest::RunUntil([this] { return Status().PanelText(0) == "Converting: long.wma"; }));
    // Files a second start hands over wait for the run, which the rows must not move under.
    const QString Later = Wma("later.wma");
    Page->OpenFiles({Later});
    StopButton()->click();
    ASSERT_TRUE(autest::RunUntil([this] { return ConvertButton()->isVisible(); }, 120000));
    WaitLoaded();
    EXPECT_EQ(Paths(), (QStringList{Path("long.wma"), Later}));
    // The file's lines come once it has ended, as in kelvaro-cli's log.
    EXPECT_EQ(Log(), (QStringList{"Task Begin", app::LangStrings()[16], "[T]Load: " + Path("long.wma") + " [Success]",
                                  "[T]Convert to: long.wav [Success]"}));
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_FALSE(StopButton()->isVisible());
    EXPECT_TRUE(Page->FileList().isEnabled());
    EXPECT_FALSE(Page->Converting());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A run in which every row fails, into a folder that holds WAV files of the
// rows' names: every one of them keeps its bytes and nothing else is left.
TEST_F(BatchRunTest, AFailingRunLeavesTheWavFilesAlreadyThereAsTheyWere)
{
    const QString Whole = Wma("whole.wma");
    const QByteArray Bytes = [&] {
        QFile File(Whole);
        File.open(QIODevice::ReadOnly);
        return File.readAll();
    }();
    const auto Write = [](const QString& Name, const QByteArray& Data) {
        QFile File(Name);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Data);
    };
    Write(Path("cut.wma"), Bytes.left(Bytes.size() / 4)); // a download that stopped early
    Write(Path("damaged.wma"), QByteArray(5000, '0'));
    Write(Path("notes.wma"), "not audio at all");
    QFile::remove(Whole);
    QDir().mkpath(Out());
    const QStringList Names = {"cut.wav", "damaged.wav", "notes.wav"};
    for (const QString& Name : Names)
        Write(Out() + "/" + Name, "older " + Name.toUtf8());
    AddProbed({Path("cut.wma"), Path("damaged.wma"), Path("notes.wma")});

    Convert(QMessageBox::Cancel);
    ASSERT_TRUE(Finished());
    for (int Row = 0; Row < Files().Count(); ++Row)
        EXPECT_EQ(Files().Row(Row).State, TFileListModel::rsFailed) << Row;
    EXPECT_EQ(QDir(Out()).entryList(QDir::Files | QDir::Hidden, QDir::Name), Names);
    for (const QString& Name : Names) {
        QFile File(Out() + "/" + Name);
        ASSERT_TRUE(File.open(QIODevice::ReadOnly));
        EXPECT_EQ(File.readAll(), "older " + Name.toUtf8());
    }
    EXPECT_TRUE(Log().contains(QRegularExpression("^The audio ends at .* s: the file is cut short\\.$")))
        << Log().join('\n').toStdString();
    EXPECT_EQ(Dialogs.Messages[0].Text, "Converted 0 of 3 files: 3 failed, 0 skipped.\nFailed: cut.wma, damaged.wma, "
                                        "notes.wma\n\nOpen the output folder?");
}

// A run in German: its status, progress, rows, headers and end question all
// read otherwise than in English.
TEST_F(BatchRunTest, AGermanRunShowsNoEnglishText)
{
    autest::WriteBytes(Path("bad.wma").toStdString(), std::vector<uint8_t>(3000, 0x41));
    AddProbed({Wma("kept.wma"), Wma("new.wma"), Path("bad.wma")});
    QDir().mkpath(Out());
    autest::WriteBytes((Out() + "/kept.wav").toStdString(), {1});
    Settings.SetIfExists(1); // skip
    std::vector<QStringList> Shown;
    for (const char* Language : {"English.lng", "Deutsch.lng"}) {
        app::LoadLanguageStrings(app::LangStrings(), 450, app::ExeFolderFile(Language), "Strings");
        QStringList Texts;
        const auto Watch = QObject::connect(&Batch, &app::TListRun::RunProgress, [&] {
            if (Texts.isEmpty())
                Texts << Status().PanelText(0) << Status().PanelText(3);
        });
        QFile::remove(Out() + "/new.wav");
        Dialogs.Messages.clear();
        Convert(QMessageBox::Cancel);
        ASSERT_TRUE(Finished());
        QObject::disconnect(Watch);
        Texts << Dialogs.Messages[0].Text;
        for (int Row = 0; Row < 3; ++Row)
            Texts << Cell(Row, 0, Qt::ToolTipRole) << Cell(Row, 1);
        for (int Column = 1; Column < TFileListModel::VisibleColumns; ++Column) // "Name" is German too
            Texts << Page->FileList().model()->headerData(Column, Qt::Horizontal).toString();
        Shown.push_back(Texts);
    }
    for (qsizetype I = 0; I < Shown[0].size(); ++I)
        EXPECT_NE(Shown[0][I], Shown[1][I]);
}
