// SPDX-License-Identifier: GPL-3.0-or-later
// The batch list as the user fills, orders and empties it.
#include "BatchPageFixture.h"

#include "app/ui/window/MainWindow.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <tuple>

using namespace uitest;
using app::TFileListModel;


TEST_F(BatchPageTest, AnAddedFileShowsWhatItsProbeFound)
{
    const QString A = Wma("a.wma");
    AddByDialog({A});
    ASSERT_EQ(Files().Count(), 1);
    EXPECT_EQ(Dialogs.OpenFilters,
              QStringList{"Audio files (*.wma *.mp3 *.flac *.ape *.ogg *.tta);;WMA FILE(*.wma);;MP3 FILE(*.mp3);;"
                          "FLAC FILE(*.flac);;APE FILE(*.ape);;OGG FILE(*.ogg);;TTA FILE(*.tta)"});
    // What ffprobe reads from the same file.
    std::string Probe;
    autest::RunCommand("ffprobe -v error -show_entries stream=sample_rate,channels -of csv=p=0 '" + A.toStdString() +
                           "'",
                       &Probe);
    EXPECT_EQ(Probe, "44100,2\n");
    EXPECT_EQ(Cell(0, 0), "a.wma");
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(Cell(0, 3), A);
    EXPECT_EQ(Cell(0, 4), "0:01");
    EXPECT_EQ(Cell(0, 5), "44100");
    EXPECT_EQ(Cell(0, 6), "16");
    EXPECT_EQ(Cell(0, 7), "Stereo");
    EXPECT_EQ(Cell(0, 8), "64");
    // Whole kilobytes plus a half, rounded up: one more than the whole kilobytes.
    EXPECT_EQ(Cell(0, 2), QLocale().toString(QFileInfo(A).size() / 1024 + 1) + " KB");
    // Pending: an icon, and no result text yet.
    EXPECT_FALSE(Page->FileList().model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(Cell(0, 0, Qt::ToolTipRole).isEmpty());
    EXPECT_FALSE(Child("pnlempty")->isVisible());
    EXPECT_TRUE(Page->Run().Convert()->isEnabled());
}

TEST_F(BatchPageTest, TheEmptyListShowsItsPanelAndOnlyWhatWorksWithoutRows)
{
    EXPECT_TRUE(Child("pnlempty")->isVisible());
    for (QAction* Action : {Actions().Remove(), Actions().Clear(), Actions().ExportList(),
                            Actions().RemoveFailedItems(), Actions().RemoveSucceededItems(), Page->Run().Convert()})
        EXPECT_FALSE(Action->isEnabled()) << Action->objectName().toStdString();
    EXPECT_TRUE(Actions().Add()->isEnabled());
    // The log panel starts hidden; its button shows and hides it.
    auto* LogButton = Child<QPushButton>("btnOpenLog");
    EXPECT_FALSE(Child("pnlLog")->isVisible());
    EXPECT_EQ(LogButton->text(), "Sho&w log...");
    LogButton->click();
    EXPECT_TRUE(Child("pnlLog")->isVisible());
    EXPECT_EQ(LogButton->text(), "H&ide log...");
    LogButton->click();
    EXPECT_FALSE(Child("pnlLog")->isVisible());
    EXPECT_EQ(LogButton->text(), "Sho&w log...");
    // A cancelled Add leaves the panel as it was.
    Actions().Add()->trigger();
    EXPECT_TRUE(Child("pnlempty")->isVisible());
    EXPECT_EQ(Files().Count(), 0);
}

TEST_F(BatchPageTest, TheExampleLinkAddsTheExampleBesideTheProgram)
{
    QLabel* Link = Child<QLabel>("lblexample");
    ASSERT_NE(Link, nullptr);
    emit Link->linkActivated(QStringLiteral("example"));
    WaitLoaded();
    emit Link->linkActivated(QStringLiteral("example"));
    WaitLoaded();
    EXPECT_EQ(Paths(), QStringList{app::ExeFolderFile("Example.wma")});
    EXPECT_FALSE(Cell(0, 5).isEmpty());
}

TEST_F(BatchPageTest, ExistingFilesOfTheSixKindsComeInAndNothingElse)
{
    const QString A = Wma("a.wma"), Upper = Wma("LOUD.WMA");
    const QString Mp3 = Make("song.mp3", "ffmpeg -v error -y -i %1 -c:a libmp3lame %2");
    const QString Flac = Make("d.flac", "flac -s -f -o %2 %1");
    const QString Ogg = Make("e.ogg", "oggenc -Q -o %2 %1");
    const QString Tta = Make("g.tta", "ffmpeg -v error -y -i %1 -c:a tta %2");
    const QString Ape = Path("f.ape");
    QFile::copy(QString::fromStdString(autest::FixturesDir() + "/tone-44100-16-2.ape"), Ape);
    const QString Wav = Path("tone.wav");
    QFile::copy(QString::fromStdString(autest::FixturesDir() + "/tone-44100-16-2.wav"), Wav);
    QDir().mkpath(Path("folder.wma"));
    // A dropped folder, a missing file and a kind no decoder reads add nothing.
    Drop({Path("folder.wma"), Path("gone.wma"), Wav});
    EXPECT_EQ(Files().Count(), 0);
    EXPECT_TRUE(Child("pnlempty")->isVisible());
    Drop({Mp3, Flac, Ape, Ogg, Tta});
    // The Add dialog's .wav is skipped; the upper-case extension passes.
    AddByDialog({A, Wav, Upper});
    EXPECT_EQ(Paths(), (QStringList{Mp3, Flac, Ape, Ogg, Tta, A, Upper}));
    for (int Row = 0; Row < Files().Count(); ++Row)
        EXPECT_TRUE(Files().Row(Row).Valid) << Paths()[Row].toStdString();
}

TEST_F(BatchPageTest, TheSameFileByAddAndByDropLeavesOneRow)
{
    const QString A = Wma("a.wma"), B = Wma("b.wma");
    AddByDialog({A});
    Drop({B, A, B});
    EXPECT_EQ(Paths(), (QStringList{A, B}));
}

TEST_F(BatchPageTest, AddFolderAppendsTheFoldersFilesAndOnRequestItsSubFolders)
{
    const QString Old = Wma("old.wma");
    AddByDialog({Old});
    const QString One = Wma("music/one.wma"), Two = Wma("music/two.WMA"), Three = Wma("music/.three.wma");
    const QString Four = Wma("music/deeper/four.wma");
    const QString Five = Make("music/five.mp3", "ffmpeg -v error -y -i %1 -c:a libmp3lame %2");
    Make("music/notes.wav", "ffmpeg -v error -y -i %1 %2");
    Dialogs.FolderAnswers.push_back(Path("music"));
    Actions().AddFolder()->trigger();
    WaitLoaded();
    EXPECT_EQ(Dialogs.FolderTitles, QStringList{app::LangStrings()[11]});
    // The old row stays first; the folder's own files follow in name order.
    EXPECT_EQ(Paths(), (QStringList{Old, Three, Five, One, Two}));
    // Again with its sub-folders: only what was not listed yet comes in.
    Dialogs.FolderAnswers.push_back(Path("music"));
    Dialogs.SubFolderAnswers.push_back(true);
    Actions().AddFolder()->trigger();
    WaitLoaded();
    EXPECT_EQ(Paths(), (QStringList{Old, Three, Five, One, Two, Four}));
    // Cancelling the folder browser keeps the list.
    Actions().AddFolder()->trigger();
    WaitLoaded();
    EXPECT_EQ(Files().Count(), 6);
}

// What a list file holds is the loader's; the page asks for the files.
TEST_F(BatchPageTest, ExportAndImportGoThroughTextFiles)
{
    const QString A = Wma("a.wma"), B = Wma("b.wma");
    AddByDialog({B, A});
    Dialogs.SaveAnswers.push_back(Path("list.txt"));
    Actions().ExportList()->trigger();
    EXPECT_EQ(Dialogs.SaveFilters, QStringList{"TEXT FILE(*.txt)"});
    Actions().Clear()->trigger();
    AddByDialog({A});
    Dialogs.OpenAnswers.push_back({Path("list.txt")});
    Actions().ImportList()->trigger();
    WaitLoaded();
    EXPECT_EQ(Dialogs.OpenFilters.last(), "TEXT FILE(*.txt)");
    // In place of the rows there were, in the file's order.
    EXPECT_EQ(Paths(), (QStringList{B, A}));
}

TEST_F(BatchPageTest, ImportingAMissingListFileWarnsAndChangesNothing)
{
    const QString A = Wma("a.wma");
    AddByDialog({A});
    Dialogs.OpenAnswers.push_back({Path("nothing.txt")});
    Actions().ImportList()->trigger();
    WaitLoaded();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(Dialogs.Messages[0].Text, app::LangStrings()[26]);
    EXPECT_EQ(Paths(), QStringList{A});
}

TEST_F(BatchPageTest, AnEmptyFileReadsOneKilobyteAndNoFormat)
{
    autest::WriteBytes(Path("empty.wma").toStdString(), {});
    Drop({Path("empty.wma")});
    ASSERT_EQ(Files().Count(), 1);
    EXPECT_EQ(Cell(0, 2), "1 KB");
    EXPECT_EQ(Cell(0, 5), "");
}

// Rows given straight to the list, as the probe would give them, so that the
// sort sees values no short test file has.
class BatchSortTest : public BatchPageTest {
protected:
    // Kilobytes as the Size cell reads them, Seconds as the length.
    void Row(const QString& Name, qint64 Kilobytes, int Seconds)
    {
        TFileListModel::TRow Row;
        Row.Path = "/music/" + Name;
        Row.SizeBytes = (Kilobytes - 1) * 1024;
        Row.Valid = true;
        Row.Duration = Seconds;
        std::vector<TFileListModel::TRow> Rows;
        Rows.push_back(Row);
        Files().AddRows(std::move(Rows));
        Actions().UpdateListActions();
    }
    // Rows of a name, a size and a length.
    void Rows(std::initializer_list<std::tuple<const char*, qint64, int>> List)
    {
        for (const auto& [Name, Size, Length] : List)
            Row(Name, Size, Length);
    }
    void ClickHeader(int Column) { emit Page->FileList().header()->sectionClicked(Column); }
    int HeaderImage(int Column)
    {
        return Files().headerData(Column, Qt::Horizontal, TFileListModel::ImageIndexRole).toInt();
    }
};

TEST_F(BatchSortTest, LengthsSortAsMinutesThenSeconds)
{
    Rows({{"b", 2048, 4510}, {"a", 999, 599}, {"c", 10, 5}});
    ClickHeader(4);
    EXPECT_EQ(Captions(), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(HeaderImage(4), TFileListModel::imgSortAscending);
    EXPECT_FALSE(Page->FileList().model()->headerData(4, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(HeaderImage(0), TFileListModel::imgNone);
    // Twice reverses.
    ClickHeader(4);
    EXPECT_EQ(Captions(), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(HeaderImage(4), TFileListModel::imgSortDescending);
}

TEST_F(BatchSortTest, SizesSortByTheirDigitsAndTheDirectionIsShared)
{
    Rows({{"b", 2048, 60}, {"a", 999, 60}, {"C", 10, 60}});
    ClickHeader(2);
    EXPECT_EQ(Captions(), (QStringList{"C", "a", "b"}));
    // Another column flips the direction too; captions compare without case.
    ClickHeader(0);
    EXPECT_EQ(Captions(), (QStringList{"C", "b", "a"}));
    EXPECT_EQ(HeaderImage(2), TFileListModel::imgNone);
    EXPECT_EQ(HeaderImage(0), TFileListModel::imgSortDescending);
    // The selection goes with its row.
    Select({0});
    ClickHeader(0);
    EXPECT_EQ(Captions(), (QStringList{"a", "b", "C"}));
    EXPECT_EQ(Page->FileList().SelectedRows(), QList<int>{2});
}

TEST_F(BatchSortTest, RemoveDeletesExactlyTheSelectedRows)
{
    for (const char* Name : {"r0", "r1", "r2", "r3", "r4", "r5", "r6"})
        Row(Name, 1, 1);
    Select({2, 5});
    Actions().Remove()->trigger();
    EXPECT_EQ(Captions(), (QStringList{"r0", "r1", "r3", "r4", "r6"}));
    // Del on the list does the same.
    Select({0});
    QApplication::setActiveWindow(Page.get());
    Page->FileList().setFocus();
    QTest::keyClick(&Page->FileList(), Qt::Key_Delete);
    EXPECT_EQ(Captions(), (QStringList{"r1", "r3", "r4", "r6"}));
}

TEST_F(BatchSortTest, FailedAndSucceededRowsGoByTheirImage)
{
    for (const char* Name : {"ok1", "bad1", "new", "ok2", "bad2"})
        Row(Name, 1, 1);
    Files().SetState(0, TFileListModel::rsConverted);
    Files().SetState(3, TFileListModel::rsConverted);
    Files().SetState(1, TFileListModel::rsFailed);
    Files().SetState(4, TFileListModel::rsFailed);
    Actions().RemoveFailedItems()->trigger();
    EXPECT_EQ(Captions(), (QStringList{"ok1", "new", "ok2"}));
    Actions().RemoveSucceededItems()->trigger();
    EXPECT_EQ(Captions(), QStringList{"new"});
    Status().SetPanelText(0, "old text");
    ClickHeader(0);
    Actions().Clear()->trigger();
    EXPECT_EQ(Files().Count(), 0);
    EXPECT_EQ(Status().PanelText(0), "");
    EXPECT_EQ(HeaderImage(0), TFileListModel::imgNone);
    EXPECT_TRUE(Child("pnlempty")->isVisible());
}

TEST_F(BatchSortTest, ThePopupEnablesByTheSelectionAndTheRows)
{
    QMenu* Menu = Actions().FilesMenu();
    QStringList Texts;
    for (QAction* Item : Menu->actions())
        Texts << (Item->isSeparator() ? QString("-") : Item->text());
    EXPECT_EQ(Texts, (QStringList{"&Play", "-", "Open Folder", "-", "&Add", "Add &Folder", "-",
                                  "Select All\t" + QKeySequence(QKeySequence::SelectAll).toString(QKeySequence::NativeText),
                                  "&Remove\t" + QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText),
                                  "&Clear", "-", "R&emove Failed Items", "Re&move Succeeded Items"}));
    EXPECT_EQ(Menu->defaultAction(), Menu->actions().at(0));
    auto Enabled = [&] {
        emit Page->FileList().customContextMenuRequested(QPoint(5, 5));
        QStringList On;
        for (QAction* Item : Menu->actions())
            if (!Item->isSeparator() && Item->isEnabled())
                On << Item->text().section('\t', 0, 0);
        Menu->hide();
        return On;
    };
    EXPECT_EQ(Enabled(), (QStringList{"&Add", "Add &Folder"}));
    Row("a", 1, 1);
    Row("b", 1, 1);
    EXPECT_EQ(Enabled(), (QStringList{"&Add", "Add &Folder", "Select All", "&Clear", "R&emove Failed Items",
                                      "Re&move Succeeded Items"}));
    // Select All selects every row; then everything is on, and the Remove
    // button kept its own state all along.
    Actions().SelectAll()->trigger();
    EXPECT_EQ(Page->FileList().SelectedRows(), (QList<int>{0, 1}));
    EXPECT_EQ(Enabled().size(), 9);
    EXPECT_TRUE(Child<QPushButton>("btnRemove")->isEnabled());
}

TEST_F(BatchSortTest, OpenFolderShowsTheFirstSelectedRowsFolder)
{
    Row("a", 1, 1);
    Actions().OpenFolder()->trigger();
    EXPECT_TRUE(Shell.ShownItems.isEmpty());
    Select({0});
    Actions().OpenFolder()->trigger();
    EXPECT_EQ(Shell.ShownItems, QStringList{"/music"});
}

TEST_F(BatchPageTest, AddingManyFilesShowsTheirCountAndCancelKeepsWhatCameIn)
{
    const QString Source = Wma("source.wma");
    QStringList Many;
    QDir().mkpath(Path("many"));
    for (int I = 0; I < 3000; ++I) {
        const QString Name = Path(QString("many/%1.wma").arg(I, 4, 10, QChar('0')));
        ASSERT_TRUE(QFile::link(Source, Name));
        Many << Name;
    }
    QString Label;
    int Repaints = 0;
    bool Locked = true;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        ++Repaints;
        auto* Progress = Page->findChild<QProgressDialog*>("dlgAddProgress");
        if (Progress == nullptr || !Progress->isVisible() || Progress->value() < 1)
            return;
        Label = Progress->labelText();
        // Neither another load nor a run starts over the half-filled list.
        for (QAction* Starts : {Actions().Add(), Actions().AddFolder(), Page->Run().Convert()})
            Locked &= !Starts->isEnabled();
        Locked &= !Child("btnsbrecentfile")->isEnabled();
        for (QPushButton* Button : Progress->findChildren<QPushButton*>())
            if (Button->text() == "Cancel")
                Button->click();
    });
    Watch.start(20);
    Drop(Many);
    Watch.stop();
    // The window's events ran while the files came in; the dialog counted them.
    EXPECT_GT(Repaints, 10);
    EXPECT_TRUE(QRegularExpression("^Adding files: \\d+ of 3000$").match(Label).hasMatch()) << Label.toStdString();
    const int Count = Files().Count();
    EXPECT_GT(Count, 0);
    EXPECT_LT(Count, 3000);
    EXPECT_EQ(Paths(), Many.mid(0, Count));
    EXPECT_EQ(Page->findChild<QProgressDialog*>("dlgAddProgress"), nullptr);
    EXPECT_TRUE(Locked);
    EXPECT_TRUE(Actions().Add()->isEnabled());
    EXPECT_TRUE(Page->Run().Convert()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Add Folder brings the rest, once each, in name order, every row probed.
    Dialogs.FolderAnswers.push_back(Path("many"));
    Actions().AddFolder()->trigger();
    WaitLoaded();
    EXPECT_EQ(Paths(), Many);
    int Probed = 0;
    for (int Row = 0; Row < Files().Count(); ++Row)
        Probed += Files().Row(Row).Valid;
    EXPECT_EQ(Probed, 3000);
}

// On a 1280x800 screen, less a panel, at the size the window opens with.
TEST_F(BatchPageTest, AtTheOpeningSizeEveryColumnShowsAndALongNameReadsWhole)
{
    const QSize Available(1280, 800 - 32);
    const QSize Opening = app::Tfrmsondrix::OpeningSize(Available);
    EXPECT_LE(Opening.width(), Available.width());
    EXPECT_LE(Opening.height(), Available.height());
    Page->resize(Opening);
    const QString Long = Wma("Spring concert/A Long Recording of Ten Minutes Talk.wma"); // 40 characters
    AddByDialog({Long, Wma("b.wma")});
    ASSERT_EQ(Files().Count(), 2);
    app::TFileListView& View = Page->FileList();
    const auto ExpectReadable = [&] {
        QCoreApplication::processEvents();
        EXPECT_LE(View.header()->length(), View.viewport()->width());
        EXPECT_EQ(View.horizontalScrollBar()->maximum(), 0);
        for (int Column : {0, 2, 4, 5, 6, 7, 8})
            EXPECT_GE(View.columnWidth(Column), static_cast<QAbstractItemView&>(View).sizeHintForColumn(Column))
                << Column;
        // The path has room for more than its caption.
        EXPECT_GT(View.columnWidth(3), 2 * View.header()->sectionSizeHint(3));
    };
    ExpectReadable();
    // After a run each row says where it went, and still everything reads.
    for (int Row = 0; Row < 2; ++Row) {
        Files().SetOutput(Row, Path(QFileInfo(Files().Row(Row).Path).completeBaseName() + ".wav"));
        Files().SetState(Row, TFileListModel::rsConverted);
    }
    ExpectReadable();
    // Fitting is no user's choice: nothing to keep.
    Actions().Clear()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(View.ColumnWidths(), "0,0,0,0,0,0,0,0,0");
}

TEST_F(BatchPageTest, AColumnWidthTheUserSetsIsKeptAcrossARestart)
{
    app::TFileListView& View = Page->FileList();
    View.header()->resizeSection(TFileListModel::colPath, 345); // as a drag does
    QCoreApplication::processEvents();
    EXPECT_EQ(View.columnWidth(TFileListModel::colPath), 345);
    Settings.Save();
    {
        app::TcdSettings Restarted;
        Restarted.SetAutoLoad(false);
        app::TBatchPage Reopened(FilesModel, Loader, Batch, Restarted, Player, Dialogs, Shell);
        Reopened.resize(1200, 600);
        Reopened.show();
        QCoreApplication::processEvents();
        app::TFileListView& Again = Reopened.FileList();
        EXPECT_EQ(Again.columnWidth(TFileListModel::colPath), 345);
        EXPECT_EQ(Again.ColumnWidths(), "0,0,0,345,0,0,0,0,0");
        // The name takes what the path leaves.
        EXPECT_EQ(Again.header()->length(), Again.viewport()->width());
    }
    QFile::remove(app::TBaseSettings::FilePath());
    // A damaged value fits the columns as an old file without one does.
    View.SetColumnWidths("x,-5,99999");
    EXPECT_EQ(View.ColumnWidths(), "0,0,0,0,0,0,0,0,0");
}
