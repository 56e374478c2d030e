// SPDX-License-Identifier: GPL-3.0-or-later
// The window under a long random stream of user actions: files added (a
// folder of thousands among them, by Add Folder or handed over as a second
// start does, cancelled now and then) and removed, the list sorted, the preview played, paused, sought and stopped, the
// Option dialog changed, accepted, cancelled and reopened, runs started and
// stopped, pages switched and the window closed and opened again. Seeded, so a
// failure replays: every step is printed with the seed, and the draws of a step
// do not depend on the window's state.
//
//   window_soak [--seed N] [--minutes M]
//
// Fails (exit status 1) on a WAV under a final name that is not complete, a
// temporary file left behind, a converted file that differs from what the log
// and the Option dialog said, a run that does not end once stopped, or resident
// memory growing after the first minute; aborts with the user-interface thread's
// stack when that thread does not answer for 2 s.
#include "HangWatchdog.h"
#include "WaveCheck.h"
#include "ui/FakeDesktop.h"
#include "app/QtTestUtil.h"
#include "audio/playback/SoundServer.h"
#include "support/TestUtil.h"

#include "app/engine/chain/FileConversion.h"
#include "app/engine/chain/OutputFormat.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"
#include "app/engine/system/SynchronizePump.h"
#include "app/ui/window/MainWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPointer>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <map>
#include <memory>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;
using soak::ReadWave;
using soak::ResidentKiB;
using soak::TWaveFacts;

// The user's actions, drawn with these weights.
enum TKind {
    akAdd, akAddFolder, akAddMany, akSelect, akRemove, akClear, akSort, akPlay, akPause, akSeek, akStopPreview, akOption,
    akConvert, akStopRun, akWait, akPage, akLog, akReopen, akKindCount
};
const char* const KindNames[akKindCount] = {"add",   "add-folder", "add-many", "select",  "remove", "clear",    "sort",
                                            "play",  "pause",      "seek",    "stop-preview", "option",
                                            "convert", "stop-run", "wait",    "page",   "log",      "reopen"};
const double KindWeights[akKindCount] = {8, 2, 2, 8, 5, 1, 5, 7, 4, 5, 3, 5, 7, 4, 6, 6, 1, 1};

// How many files the folder of thousands holds.
constexpr int ManyFiles = 2000;

// The peer's view of an input: the seconds of audio ffprobe finds it states,
// for the inputs that are whole.
using TDurations = std::map<QString, double>;

// The real main window over real files, a private sound server and the
// desktop's dialogs answered here; Run() draws and takes the steps until the
// time is up, checks each run's files when the run ends, and returns the exit
// status.
class TSoak {
public:
    TSoak(uint64_t Seed, double Minutes) : FSeed(Seed), FMinutes(Minutes), FRandom(Seed)
    {
        QObject::connect(&FAnswerTimer, &QTimer::timeout, [this] { TryAnswer(); });
    }

    int Run();

private:
    // One step's draws: the kind and four numbers in [0, 1) its action reads.
    struct TDraw {
        TKind Kind;
        double P[4];
    };

    void MakeInputs();
    void OpenWindow();
    void CloseWindow();
    TDraw Draw();
    QString Act(const TDraw& D);
    // While files come in the progress dialog holds the window: the user waits
    // or cancels. Empty when no load shows.
    QString WhileLoading(const TDraw& D);

    template <typename T = QWidget> T* Find(const char* Name) const
    {
        return FWindow->findChild<T*>(QLatin1String(Name));
    }
    // Clicks the named button as a user would: only when it shows and is enabled.
    bool Click(const char* Name);
    QAbstractItemView* List() const { return Find<QAbstractItemView>("lvFiles"); }
    int Rows() const { return List()->model()->rowCount(); }
    void ClickRow(int Row, Qt::KeyboardModifiers Keys, bool Double = false);
    QStringList Pick(double Share, double Offset) const;
    QString Option(const TDraw& D);
    void AnswerOption(std::function<void(QWidget&)> Answer);
    void TryAnswer();
    QString ConvertTo(const TDraw& D);
    bool Running() const;
    void WatchRun();
    void CheckOutputs(const QString& Why);
    void Finding(const QString& Text);
    void Pump(int Ms) { QTest::qWait(Ms); }

    uint64_t FSeed;
    double FMinutes;
    std::mt19937_64 FRandom;
    std::atomic<int> FStep{0};
    autest::TTempDir FDir;
    QString FInputs, FOutput, FMany;
    QStringList FFiles, FManyFiles;
    TDurations FDurations;
    app::TcdSettings FSettings;
    uitest::TFakeDialogs FDialogs;
    uitest::TFakeShell FShell;
    std::unique_ptr<app::Tfrmsondrix> FWindow;
    QTimer FAnswerTimer;
    std::function<void(QWidget&)> FAnswer;
    int FAnswerTries = 0;

    // The run being watched: the log's length and the format when it started,
    // and when its stop was asked for.
    bool FRunning = false;
    int FRunLogStart = 0;
    app::TOutputFormat FRunFormat;
    QElapsedTimer FStopAsked;
    std::map<QString, int> FCounts, FDone;
    int FRuns = 0, FStoppedRuns = 0, FChecked = 0, FConvertedChecked = 0;
    QStringList FFindings;
};

void TSoak::Finding(const QString& Text)
{
    const QString Line = QStringLiteral("FINDING at step %1 (seed %2): %3").arg(FStep.load()).arg(FSeed).arg(Text);
    std::fprintf(stderr, "%s\n", qPrintable(Line));
    FFindings << Line;
}

// Short tones from every fixture, a long one for playback and stopping, the
// wild ones, a cut file and files of other kinds (or none) under a ".wma" name,
// some of them twice under one name in a sub-folder.
void TSoak::MakeInputs()
{
    FInputs = QString::fromStdString(FDir.File("in"));
    FOutput = QString::fromStdString(FDir.File("out"));
    QDir().mkpath(FInputs + QStringLiteral("/sub"));
    QDir().mkpath(FOutput);
    const std::string Fixtures = autest::FixturesDir();
    auto Run = [](const std::string& Command) {
        std::string Out;
        if (autest::RunCommand(Command + " 2>&1", &Out) != 0)
            std::fprintf(stderr, "setup failed: %s\n%s\n", Command.c_str(), Out.c_str());
    };
    const std::string In = FInputs.toStdString();
    for (const char* Tone : {"tone-22050-16-1", "tone-44100-16-2", "tone-48000-24-2", "tone-8000-8-1"}) {
        for (const char* Codec : {"wmav1", "wmav2"})
            Run("ffmpeg -v error -y -i '" + Fixtures + "/" + Tone + ".wav' -c:a " + Codec + " -f asf '" + In + "/" +
                Tone + "-" + Codec + ".wma'");
    }
    Run("ffmpeg -v error -y -i '" + Fixtures + "/tone-44100-16-2.wav' -c:a wmav2 -f asf '" + In +
        "/sub/tone-44100-16-2-wmav2.wma'");
    for (int Seconds : {20, 120})
        Run("ffmpeg -v error -y -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
            std::to_string(Seconds) + "' -ac 2 -c:a wmav2 -b:a 64k -f asf '" + In + "/long-" +
            std::to_string(Seconds) + ".wma'");
    Run("head -c 200000 '" + In + "/long-20.wma' > '" + In + "/cut.wma'");
    Run(": > '" + In + "/empty.wma'");
    for (const char* Wild : {"lossless.wma", "real_example.wma", "silence-1.wma"})
        Run("cp '" + Fixtures + "/wild/" + Wild + "' '" + In + "/" + Wild + "'");
    for (const char* Other : {"garbage.mp3", "empty.ogg", "zerodiv.ape", "segfault.oga", "empty.tta", "sinewave.flac"})
        Run("cp '" + Fixtures + "/wild/" + Other + "' '" + In + "/sub/" + Other + ".wma'");

    // Thousands of names of one short file: a library dropped on the window.
    FMany = QString::fromStdString(FDir.File("many"));
    QDir().mkpath(FMany);
    const QString Tone = FInputs + QStringLiteral("/tone-44100-16-2-wmav2.wma");
    for (int I = 0; I < ManyFiles; ++I) {
        FManyFiles << QStringLiteral("%1/%2.wma").arg(FMany).arg(I, 4, 10, QLatin1Char('0'));
        if (!QFile::link(Tone, FManyFiles.back()))
            std::fprintf(stderr, "setup failed: no link %s\n", qPrintable(FManyFiles.back()));
    }

    QDir Top(FInputs);
    for (const QString& Name : Top.entryList({QStringLiteral("*.wma")}, QDir::Files, QDir::Name))
        FFiles << Top.filePath(Name);
    QDir Sub(FInputs + QStringLiteral("/sub"));
    for (const QString& Name : Sub.entryList({QStringLiteral("*.wma")}, QDir::Files, QDir::Name))
        FFiles << Sub.filePath(Name);
    // Only the files made here are whole; what the peer finds in the others
    // need not be what a careful reader makes of them.
    for (const QString& File : FFiles) {
        if (!QFileInfo(File).fileName().contains(QLatin1String("-wma")) &&
            !QFileInfo(File).fileName().startsWith(QLatin1String("long-")))
            continue;
        // The length the file states, which a conversion fills: FFmpeg's own
        // decoder leaves out the codec's first frame, the stand-in keeps it.
        std::string Out;
        autest::RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + File.toStdString() + "'",
                           &Out);
        FDurations[File] = std::stod(Out);
    }
}

void TSoak::OpenWindow()
{
    FWindow = std::make_unique<app::Tfrmsondrix>(FSettings, app::ExeFolderFile(QStringLiteral("English.lng")),
                                                 FDialogs, FShell, false);
    // A control renamed in the window would turn its actions into silent
    // no-ops; the soak must learn the new name instead.
    for (const char* Name : {"rbBatch", "rbHotDir", "btnnext", "btnadd", "btnadddir", "btnRemove", "btnClear",
                             "btnstart", "btnPause", "btnstop", "pbPlay", "lvFiles", "btnOption", "btnset",
                             "btnHotdirectory", "btnsbtreturn", "btnConvert", "btnStopConvert", "btnOpenLog", "mmolog"})
        if (Find<QObject>(Name) == nullptr)
            Finding(QStringLiteral("the window has no control named %1").arg(QLatin1String(Name)));
    FRunLogStart = 0;
    FWindow->show();
    QApplication::setActiveWindow(FWindow.get());
    if (!QTest::qWaitForWindowActive(FWindow.get()))
        Finding(QStringLiteral("the window did not become active"));
}

// As the user closes it: asked whether to stop a conversion, the answer is yes.
void TSoak::CloseWindow()
{
    FDialogs.MessageAnswers.assign(1, QMessageBox::Yes);
    FWindow->close();
    if (FWindow->isVisible())
        Finding(QStringLiteral("the window stayed open although told to stop"));
    FRunning = false;
    CheckOutputs(QStringLiteral("window closed"));
    FWindow.reset();
}

TSoak::TDraw TSoak::Draw()
{
    std::discrete_distribution<int> Kind(std::begin(KindWeights), std::end(KindWeights));
    std::uniform_real_distribution<double> Unit(0.0, 1.0);
    TDraw D;
    D.Kind = static_cast<TKind>(Kind(FRandom));
    for (double& P : D.P)
        P = Unit(FRandom);
    return D;
}

bool TSoak::Click(const char* Name)
{
    auto* Button = Find<QAbstractButton>(Name);
    if (Button == nullptr || !Button->isVisible() || !Button->isEnabled())
        return false;
    QTest::mouseClick(Button, Qt::LeftButton);
    return true;
}

void TSoak::ClickRow(int Row, Qt::KeyboardModifiers Keys, bool Double)
{
    QAbstractItemView* View = List();
    const QModelIndex Index = View->model()->index(Row, 0);
    View->scrollTo(Index);
    const QPoint At = View->visualRect(Index).center();
    QTest::mouseClick(View->viewport(), Qt::LeftButton, Keys, At);
    if (Double)
        QTest::mouseDClick(View->viewport(), Qt::LeftButton, Keys, At);
}

// About Share of the inputs, from Offset on, round the end.
QStringList TSoak::Pick(double Share, double Offset) const
{
    const int Count = 1 + static_cast<int>(Share * 6);
    const int First = static_cast<int>(Offset * FFiles.size());
    QStringList Chosen;
    for (int I = 0; I < Count; ++I)
        Chosen << FFiles[(First + I * 3) % FFiles.size()];
    return Chosen;
}

// The Stop Convert button replaces Convert To Wav while a run lasts.
bool TSoak::Running() const
{
    const auto* Stop = Find<QAbstractButton>("btnStopConvert");
    return Stop != nullptr && !Stop->isHidden();
}

// Answers the Option dialog once it shows: the dialog is modal, so the click
// that opens it returns only after Answer has closed it.
void TSoak::AnswerOption(std::function<void(QWidget&)> Answer)
{
    FAnswer = std::move(Answer);
    FAnswerTries = 0;
    FAnswerTimer.start(20);
}

void TSoak::TryAnswer()
{
    QWidget* Dialog = QApplication::activeModalWidget();
    if (Dialog != nullptr && Dialog->objectName() == QLatin1String("frmOption")) {
        FAnswerTimer.stop();
        const auto Answer = std::move(FAnswer);
        FAnswer = nullptr;
        Answer(*Dialog);
    } else if (++FAnswerTries == 100) {
        FAnswerTimer.stop();
        FAnswer = nullptr;
        Finding(QStringLiteral("the Option dialog did not show"));
    }
}

QString TSoak::Option(const TDraw& D)
{
    // The batch page's button or the hot directory page's, whichever shows.
    const char* Button = nullptr;
    for (const char* Name : {"btnOption", "btnset"}) {
        const auto* Found = Find<QAbstractButton>(Name);
        if (Found != nullptr && Found->isVisible() && Found->isEnabled())
            Button = Name;
    }
    if (Button == nullptr)
        return QStringLiteral("(not available)");
    struct TChoice {
        bool Accepted = false;
        QString Rate, Bits;
        int Channels = 0, Encoding = 0, IfExists = 0;
    };
    auto Choice = std::make_shared<TChoice>();
    const uint64_t Keys = static_cast<uint64_t>(D.P[0] * (1ull << 40));
    const bool Accept = D.P[1] < 0.7;
    AnswerOption([this, Choice, Keys, Accept, D](QWidget& Dialog) {
        // Each list moved up or down a few items with the arrow keys, which
        // pass over the items the encoding rules out.
        uint64_t Bits = Keys;
        for (const char* Name : {"cbbRate", "cbbbit", "cbbchannels", "cbbencoding", "cbbifexists"}) {
            auto* List = Dialog.findChild<QComboBox*>(QLatin1String(Name));
            const int Moves = static_cast<int>(Bits % 4);
            const Qt::Key Key = (Bits >> 2) % 2 ? Qt::Key_Down : Qt::Key_Up;
            Bits >>= 3;
            for (int I = 0; I < Moves && List != nullptr; ++I)
                QTest::keyClick(List, Key);
        }
        auto Text = [&Dialog](const char* Name) { return Dialog.findChild<QComboBox*>(QLatin1String(Name)); };
        Choice->Rate = Text("cbbRate")->currentText();
        Choice->Bits = Text("cbbbit")->currentText();
        Choice->Channels = Text("cbbchannels")->currentIndex();
        Choice->Encoding = Text("cbbencoding")->currentIndex();
        Choice->IfExists = Text("cbbifexists")->currentIndex();
        Choice->Accepted = Accept;
        if (Accept)
            QTest::mouseClick(Dialog.findChild<QAbstractButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
        else if (D.P[2] < 0.5)
            QTest::mouseClick(Dialog.findChild<QAbstractButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
        else
            QTest::keyClick(&Dialog, Qt::Key_Escape);
    });
    const QString Before = FSettings.MRate() + QLatin1Char('/') + FSettings.MBit();
    Click(Button);
    // The progress of files coming in may show once the dialog has gone.
    if (const QWidget* Modal = QApplication::activeModalWidget();
        Modal != nullptr && Modal->objectName() != QLatin1String("dlgAddProgress"))
        Finding(QStringLiteral("a modal window stayed open after the Option dialog"));
    QString Said = QStringLiteral("%1 %2 Hz %3 bit ch %4 enc %5 exists %6")
                       .arg(Choice->Accepted ? "OK" : "cancel", Choice->Rate, Choice->Bits)
                       .arg(Choice->Channels)
                       .arg(Choice->Encoding)
                       .arg(Choice->IfExists);
    if (Choice->Accepted &&
        (FSettings.MRate() != Choice->Rate || FSettings.MBit() != Choice->Bits ||
         FSettings.MChannel() != Choice->Channels || FSettings.MEncoding() != Choice->Encoding ||
         app::IfExistsChoice(FSettings.IfExists()) != Choice->IfExists))
        Finding(QStringLiteral("the settings do not hold what the Option dialog accepted: ") + Said);
    if (!Choice->Accepted && Before != FSettings.MRate() + QLatin1Char('/') + FSettings.MBit())
        Finding(QStringLiteral("a cancelled Option dialog changed the settings"));
    // Closed and opened again, the dialog shows what is stored.
    if (D.P[3] < 0.4) {
        auto Shown = std::make_shared<QString>();
        AnswerOption([Shown](QWidget& Dialog) {
            *Shown = Dialog.findChild<QComboBox*>(QStringLiteral("cbbRate"))->currentText() + QLatin1Char('/') +
                     Dialog.findChild<QComboBox*>(QStringLiteral("cbbbit"))->currentText();
            QTest::keyClick(&Dialog, Qt::Key_Escape);
        });
        Click(Button);
        const app::TOutputFormat Stored = app::TOutputFormat::FromSettings(FSettings);
        const QString Expected = QStringLiteral("%1/%2").arg(Stored.Rate).arg(Stored.Bits);
        if (*Shown != Expected)
            Finding(QStringLiteral("the reopened Option dialog shows %1, the settings hold %2").arg(*Shown, Expected));
        Said += QStringLiteral(", reopened: ") + *Shown;
    }
    return Said;
}

QString TSoak::ConvertTo(const TDraw& D)
{
    const auto* Convert = Find<QAbstractButton>("btnConvert");
    if (Convert == nullptr || !Convert->isVisible() || !Convert->isEnabled())
        return QStringLiteral("(not available)");
    // The last run may have ended during this step; its files are checked
    // before the folder is emptied.
    WatchRun();
    // The folder is emptied now and then, so that the disk stays small.
    if (D.P[0] < 0.15 || QDir(FOutput).count() > 60) {
        QDir(FOutput).removeRecursively();
        QDir().mkpath(FOutput);
    }
    const bool Cancelled = D.P[1] < 0.05;
    FDialogs.FolderAnswers.assign(1, Cancelled ? QString() : FOutput);
    // The question at the end: show the output (OK) or not.
    FDialogs.MessageAnswers.assign(1, D.P[2] < 0.5 ? QMessageBox::Ok : QMessageBox::Cancel);
    const int LogLines = Find<QPlainTextEdit>("mmolog")->blockCount();
    const app::TOutputFormat Format = app::TOutputFormat::FromSettings(FSettings);
    Click("btnConvert");
    if (Running() && !FRunning) {
        FRunning = true;
        FRunLogStart = LogLines;
        FRunFormat = Format;
        FStopAsked.invalidate();
        ++FRuns;
    }
    return QStringLiteral("%1 rows into %2").arg(Rows()).arg(Cancelled ? "(cancelled)" : "out");
}

// Notices a run's end and checks what it left.
void TSoak::WatchRun()
{
    if (!FRunning)
        return;
    if (!Running()) {
        FRunning = false;
        if (FStopAsked.isValid())
            ++FStoppedRuns;
        CheckOutputs(QStringLiteral("run ended"));
        return;
    }
    if (FStopAsked.isValid() && FStopAsked.elapsed() > 20000) {
        Finding(QStringLiteral("a run asked to stop 20 s ago still runs"));
        FStopAsked.invalidate();
    }
}

// No temporary file, every WAV complete, and each file the run's log reports
// converted in the format the run started with, as long as its input lasts.
void TSoak::CheckOutputs(const QString& Why)
{
    ++FChecked;
    QDir Out(FOutput);
    const QStringList Hidden = Out.entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& Name : Hidden)
        Finding(QStringLiteral("%1: a temporary file stays: %2").arg(Why, Name));
    for (const QString& Name : Out.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        const TWaveFacts Facts = ReadWave(Out.filePath(Name));
        if (!Facts.Error.isEmpty())
            Finding(QStringLiteral("%1: %2 is not complete: %3").arg(Why, Name, Facts.Error));
    }
    if (FWindow == nullptr)
        return;
    const QStringList Lines = Find<QPlainTextEdit>("mmolog")->toPlainText().split(QLatin1Char('\n'));
    static const QRegularExpression LoadLine(QStringLiteral("Load: (.*) \\[Success\\]$"));
    static const QRegularExpression DoneLine(QStringLiteral("Convert to: (.*) \\[Success\\]$"));
    // The last input each name received in this run.
    std::map<QString, QString> Written;
    QString Input;
    for (int I = FRunLogStart; I < Lines.size(); ++I) {
        if (const auto M = LoadLine.match(Lines[I]); M.hasMatch())
            Input = M.captured(1);
        else if (const auto M = DoneLine.match(Lines[I]); M.hasMatch())
            Written[M.captured(1)] = Input;
    }
    FRunLogStart = static_cast<int>(Lines.size());
    const app::TOutputFormat& F = FRunFormat;
    for (const auto& [Name, Source] : Written) {
        const QString Path = Out.filePath(Name);
        if (!QFileInfo(Path).isFile()) {
            Finding(QStringLiteral("%1: the log reports %2 converted, the folder lacks it").arg(Why, Name));
            continue;
        }
        const TWaveFacts W = ReadWave(Path);
        if (!W.Error.isEmpty())
            continue; // reported above
        ++FConvertedChecked;
        const int Tag = F.Encoding == app::TOutputFormat::enADPCM ? 0x11 : 1;
        const bool Extensible = W.Tag == 0xFFFE && Tag == 1;
        if ((W.Tag != Tag && !Extensible) || W.Rate != F.Rate || W.Bits != (Tag == 0x11 ? 4 : F.Bits) ||
            (F.Channels != app::TOutputFormat::chKeep && W.Channels != F.Channels))
            Finding(QStringLiteral("%1: %2 is tag %3, %4 Hz, %5 bit, %6 channels; the run asked for %7 Hz %8 bit "
                                   "channels %9 encoding %10")
                        .arg(Why, Name)
                        .arg(W.Tag)
                        .arg(W.Rate)
                        .arg(W.Bits)
                        .arg(W.Channels)
                        .arg(F.Rate)
                        .arg(F.Bits)
                        .arg(F.Channels)
                        .arg(F.Encoding));
        const auto Length = FDurations.find(Source);
        if (Length != FDurations.end() && W.Frames >= 0) {
            const double Seconds = static_cast<double>(W.Frames) / W.Rate;
            // The resamplers' edges differ by some milliseconds.
            if (std::abs(Seconds - Length->second) > 0.05)
                Finding(QStringLiteral("%1: %2 holds %3 s, its input %4 lasts %5 s")
                            .arg(Why, Name)
                            .arg(Seconds)
                            .arg(Source)
                            .arg(Length->second));
        }
    }
}

QString TSoak::WhileLoading(const TDraw& D)
{
    // The load may end, and the dialog go, inside a click or a pump.
    const QPointer<QProgressDialog> Progress =
        FWindow->findChild<QProgressDialog*>(QStringLiteral("dlgAddProgress"));
    if (Progress == nullptr || !Progress->isVisible())
        return QString();
    const QString Label = Progress->labelText();
    if (D.P[3] < 0.25) {
        for (const QPointer<QAbstractButton> Button : Progress->findChildren<QAbstractButton*>())
            if (Button != nullptr)
                QTest::mouseClick(Button, Qt::LeftButton);
        return QStringLiteral("(loading) cancelled: ") + Label;
    }
    Pump(100);
    return QStringLiteral("(loading) waited: ") + (Progress != nullptr ? Progress->labelText() : Label);
}

QString TSoak::Act(const TDraw& D)
{
    if (const QString Waited = WhileLoading(D); !Waited.isEmpty())
        return Waited;
    const int Count = Rows();
    const int Row = Count > 0 ? static_cast<int>(D.P[0] * Count) : -1;
    switch (D.Kind) {
    case akAdd: {
        const QStringList Chosen = Pick(D.P[1], D.P[2]);
        FDialogs.OpenAnswers.assign(1, Chosen);
        const bool Clicked = Click("btnadd");
        FDialogs.OpenAnswers.clear();
        return Clicked ? QStringLiteral("%1 files, now %2 rows").arg(Chosen.size()).arg(Rows())
                       : QStringLiteral("(not available)");
    }
    case akAddFolder: {
        const QString Folder = D.P[1] < 0.5 ? FInputs : FInputs + QStringLiteral("/sub");
        FDialogs.FolderAnswers.assign(1, D.P[2] < 0.1 ? QString() : Folder);
        const bool Clicked = Click("btnadddir");
        FDialogs.FolderAnswers.clear();
        return Clicked ? QStringLiteral("%1, now %2 rows").arg(QFileInfo(Folder).fileName()).arg(Rows())
                       : QStringLiteral("(not available)");
    }
    case akAddMany:
        // A second start hands its files over; they wait for a load or a run.
        if (D.P[1] < 0.5) {
            FWindow->OpenFiles(FManyFiles);
            return QStringLiteral("%1 files handed over, now %2 rows").arg(FManyFiles.size()).arg(Rows());
        }
        FDialogs.FolderAnswers.assign(1, FMany);
        if (!Click("btnadddir")) {
            FDialogs.FolderAnswers.clear();
            return QStringLiteral("(not available)");
        }
        return QStringLiteral("folder of %1, now %2 rows").arg(FManyFiles.size()).arg(Rows());
    case akSelect:
        if (Row < 0 || !List()->isVisible() || !List()->isEnabled())
            return QStringLiteral("(not available)");
        ClickRow(Row, D.P[1] < 0.3 ? Qt::ControlModifier : D.P[1] < 0.4 ? Qt::ShiftModifier : Qt::NoModifier);
        return QStringLiteral("row %1").arg(Row);
    case akRemove:
        if (Row < 0 || !List()->isVisible() || !List()->isEnabled())
            return QStringLiteral("(not available)");
        ClickRow(Row, Qt::NoModifier);
        if (D.P[1] < 0.5) {
            Click("btnRemove");
        } else {
            QApplication::setActiveWindow(FWindow.get());
            List()->setFocus();
            QTest::keyClick(List(), Qt::Key_Delete);
        }
        return QStringLiteral("row %1, now %2 rows").arg(Row).arg(Rows());
    case akClear:
        return Click("btnClear") ? QStringLiteral("done") : QStringLiteral("(not available)");
    case akSort: {
        QHeaderView* Header = List()->findChild<QHeaderView*>();
        if (Header == nullptr || !Header->isVisible() || !List()->isEnabled())
            return QStringLiteral("(not available)");
        const int Column = static_cast<int>(D.P[1] * Header->count());
        const int X = Header->sectionViewportPosition(Column) + Header->sectionSize(Column) / 2;
        if (X < 0 || X >= Header->viewport()->width())
            return QStringLiteral("column %1 (out of view)").arg(Column);
        QTest::mouseClick(Header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(X, Header->height() / 2));
        return QStringLiteral("column %1").arg(Column);
    }
    case akPlay:
        if (Row < 0 || !List()->isVisible() || !List()->isEnabled())
            return QStringLiteral("(not available)");
        if (D.P[1] < 0.5) {
            ClickRow(Row, Qt::NoModifier, true);
        } else {
            ClickRow(Row, Qt::NoModifier);
            Click("btnstart");
        }
        return QStringLiteral("row %1 (%2)").arg(Row).arg(List()->model()->index(Row, 0).data().toString());
    case akPause:
        return Click("btnPause") ? QStringLiteral("done") : QStringLiteral("(not available)");
    case akSeek: {
        auto* Bar = Find<QProgressBar>("pbPlay");
        if (Bar == nullptr || !Bar->isVisible())
            return QStringLiteral("(not available)");
        const int X = static_cast<int>(D.P[1] * Bar->width());
        QTest::mouseClick(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(X, Bar->height() / 2));
        return QStringLiteral("at %1 %").arg(static_cast<int>(D.P[1] * 100));
    }
    case akStopPreview:
        return Click("btnstop") ? QStringLiteral("done") : QStringLiteral("(not available)");
    case akOption:
        return Option(D);
    case akConvert:
        return ConvertTo(D);
    case akStopRun:
        if (!Click("btnStopConvert"))
            return QStringLiteral("(not available)");
        if (FRunning && !FStopAsked.isValid())
            FStopAsked.start();
        return QStringLiteral("done");
    case akWait: {
        const int Ms = 100 + static_cast<int>(D.P[1] * 1900);
        Pump(Ms);
        return QStringLiteral("%1 ms").arg(Ms);
    }
    case akPage:
        if (Click("btnHotdirectory"))
            return QStringLiteral("to the hot directory");
        if (Click("btnsbtreturn"))
            return QStringLiteral("to the batch list");
        return QStringLiteral("(not available)");
    case akLog:
        return Click("btnOpenLog") ? QStringLiteral("done") : QStringLiteral("(not available)");
    case akReopen: {
        CloseWindow();
        OpenWindow();
        // Through the mode page, to whichever mode.
        const bool HotDir = D.P[1] < 0.3;
        Click(HotDir ? "rbHotDir" : "rbBatch");
        Click("btnnext");
        return QStringLiteral("then to the %1 page").arg(HotDir ? "hot directory" : "batch");
    }
    case akKindCount:
        break;
    }
    return QString();
}

int TSoak::Run()
{
    std::printf("window soak: seed %llu, %.2f minutes\n", static_cast<unsigned long long>(FSeed), FMinutes);
    MakeInputs();
    std::printf("%lld inputs in %s\n", static_cast<long long>(FFiles.size()), qPrintable(FInputs));
    app::LoadLanguageStrings(app::LangStrings(), app::LangStringCount - 1,
                             app::ExeFolderFile(QStringLiteral("English.lng")), QStringLiteral("Strings"));
    OpenWindow();
    Click("btnnext");

    const soak::THangWatchdog Watchdog(FSeed, FStep);
    const auto Start = Clock::now();
    const auto End = Start + std::chrono::milliseconds(static_cast<int64_t>(FMinutes * 60000));
    long FirstMinute = -1, Last = -1;
    int NextMinute = 1;
    std::printf("resident memory at the start: %ld KiB\n", ResidentKiB());
    while (Clock::now() < End) {
        const TDraw D = Draw();
        ++FStep;
        // The action before its outcome, so that a hang or a crash names it.
        std::printf("%6d %-12s ", FStep.load(), KindNames[D.Kind]);
        std::fflush(stdout);
        const QString Said = Act(D);
        ++FCounts[KindNames[D.Kind]];
        if (!Said.startsWith(QLatin1String("(not available)")))
            ++FDone[KindNames[D.Kind]];
        std::printf("%s\n", qPrintable(Said));
        std::fflush(stdout);
        // A moment between actions, as a user takes.
        Pump(10 + static_cast<int>(D.P[3] * 150));
        WatchRun();
        const auto Minutes = std::chrono::duration_cast<std::chrono::minutes>(Clock::now() - Start).count();
        if (Minutes >= NextMinute) {
            Last = ResidentKiB();
            if (FirstMinute < 0)
                FirstMinute = Last;
            std::printf("minute %d: resident memory %ld KiB\n", NextMinute, Last);
            NextMinute = static_cast<int>(Minutes) + 1;
        }
    }
    // A run still going is stopped as the user would, and must end.
    if (Click("btnStopConvert") && FRunning)
        FStopAsked.start();
    if (!autest::RunUntil([this] { return !Running(); }, 20000))
        Finding(QStringLiteral("the last run did not end within 20 s of its stop"));
    WatchRun();
    Last = ResidentKiB();
    CloseWindow();

    std::printf("\nsteps %d, runs %d (%d stopped), output checks %d, converted files checked %d, longest silence of "
                "the user-interface thread %lld ms (step %d)\n",
                FStep.load(), FRuns, FStoppedRuns, FChecked, FConvertedChecked,
                static_cast<long long>(Watchdog.Longest().count()), Watchdog.LongestStep());
    std::printf("actions drawn and done (the rest found their control hidden or disabled):\n");
    for (const auto& [Kind, Count] : FCounts)
        std::printf("  %-12s %5d %5d\n", qPrintable(Kind), Count, FDone[Kind]);
    if (FirstMinute > 0) {
        std::printf("resident memory: %ld KiB after the first minute, %ld KiB at the end\n", FirstMinute, Last);
        // After the first minute the codecs, the sound server's connection and
        // the fonts are loaded and the list holds at most every input once; the
        // log's text grows by some kilobytes a minute. Growth of 30 % beyond that
        // is memory that something keeps.
        if (Last > FirstMinute * 13 / 10)
            Finding(QStringLiteral("resident memory grew from %1 KiB to %2 KiB").arg(FirstMinute).arg(Last));
    }
    std::printf("%lld findings (seed %llu)\n", static_cast<long long>(FFindings.size()),
                static_cast<unsigned long long>(FSeed));
    for (const QString& Line : FFindings)
        std::printf("  %s\n", qPrintable(Line));
    return FFindings.isEmpty() ? 0 : 1;
}

// The offscreen platform's note on every window it shows would bury the steps.
QtMessageHandler GQtMessages = nullptr;

void Messages(QtMsgType Type, const QMessageLogContext& Context, const QString& Text)
{
    if (Text.contains(QLatin1String("propagateSizeHints")))
        return;
    if (GQtMessages != nullptr)
        GQtMessages(Type, Context, Text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t Seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    double Minutes = 10;
    for (int I = 1; I + 1 < argc; I += 2) {
        const std::string Name = argv[I];
        if (Name == "--seed")
            Seed = std::stoull(argv[I + 1]);
        else if (Name == "--minutes")
            Minutes = std::stod(argv[I + 1]);
        else {
            std::fprintf(stderr, "usage: %s [--seed N] [--minutes M]\n", argv[0]);
            return 2;
        }
    }
    GQtMessages = qInstallMessageHandler(Messages);
    QTemporaryDir Config;
    qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    autest::TSoundServer::Start();
    int Status = 0;
    {
        QApplication App(argc, argv);
        app::InstallSynchronizePump();
        Status = TSoak(Seed, Minutes).Run();
    }
    autest::TSoundServer::Stop();
    return Status;
}
