// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotDirPage.h"

#include "app/ui/access/ComboAccessible.h"
#include "app/ui/desktop/Dialogs.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/hotdir/AfterConversion.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace app {
namespace {

// Lines of the day's log the page keeps in view.
constexpr int ActivityLines = 200;
// Language strings of the folder choices: browser titles and warnings.
constexpr int StrInputTitle = 18, StrInputWarning = 19, StrOutputTitle = 20, StrOutputWarning = 21;

QPushButton* NewButton(const char* Name, const QString& Caption, QWidget* Parent)
{
    auto* Button = new QPushButton(Caption, Parent);
    Button->setObjectName(QLatin1String(Name));
    return Button;
}

QString Lang(int Index)
{
    return LangStrings()[static_cast<size_t>(Index)];
}

// Whether Other is Folder or lies inside it, compared as the start checks
// compare.
bool FolderHolds(const QString& Folder, const QString& Other)
{
    return !Trim(Other).isEmpty() && WithinFolder(Trim(Other), Folder);
}

// Asks for a folder for Target. Other is the other end of the conversion: a
// warning (string Warning) says when it is the chosen folder or lies inside
// it, but the choice stands unless it is Other's text exactly.
void ChooseFolder(TDialogs& Dialogs, QLineEdit* Target, const QLineEdit* Other, int Title, int Warning)
{
    const QString Chosen = Dialogs.BrowseForFolder(Target->window(), Lang(Title), QString());
    if (Chosen.isEmpty())
        return;
    if (FolderHolds(Chosen, Other->text()))
        Dialogs.Message(Target->window(), QMessageBox::Warning, Lang(Warning), QMessageBox::Ok);
    if (Chosen != Other->text())
        Target->setText(Chosen);
}

// The last lines of a text file, without their line ends.
QStringList LastLines(const QString& FileName, int Count)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        return {};
    QStringList Lines = QString::fromUtf8(File.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return Lines.mid(qMax(0, static_cast<int>(Lines.size()) - Count));
}

} // namespace

THotDirPage::THotDirPage(THotDirectory& HotDir, TcdSettings& Settings, TDialogs& Dialogs, TShell& Shell,
                         QWidget* Parent)
    : QWidget(Parent), FHotDir(HotDir), FSettings(Settings), FDialogs(Dialogs), FShell(Shell)
{
    setObjectName(QStringLiteral("tsHotDirectory"));

    auto* Group = new QGroupBox(QStringLiteral("Hot Directory Setting"), this);
    Group->setObjectName(QStringLiteral("grpHotDir"));
    auto* Grid = new QGridLayout(Group);
    FSelectInDir = NewButton("btnselectindir", QStringLiteral("Bro&wse.."), Group);
    auto* OpenInDir = NewButton("btnopeninputdir", QStringLiteral("O&pen Dir"), Group);
    FInDir = AddFolderRow(Grid, 0, "edtindir", QStringLiteral("&Input Directory:"), FSelectInDir, OpenInDir);
    FSelectOutDir = NewButton("btnselectoutdir", QStringLiteral("Brows&e.."), Group);
    auto* OpenOutDir = NewButton("btnopenoutputdir", QStringLiteral("Ope&n Dir"), Group);
    FOutDir = AddFolderRow(Grid, 1, "edtoutdir", QStringLiteral("Out &Directory:"), FSelectOutDir, OpenOutDir);
    FSelectLogDir = NewButton("btnselectlogfile", QStringLiteral("Browse&.."), Group);
    auto* ViewLog = NewButton("btnviewlog", QStringLiteral("Open Lo&gDir"), Group);
    FLogDir = AddFolderRow(Grid, 2, "edtlog", QStringLiteral("&Log File Path:"), FSelectLogDir, ViewLog);
    // Three buttons that read alike are told apart by their folders.
    FSelectInDir->setAccessibleName(QStringLiteral("Browse input folder"));
    FSelectOutDir->setAccessibleName(QStringLiteral("Browse output folder"));
    FSelectLogDir->setAccessibleName(QStringLiteral("Browse log folder"));
    OpenInDir->setAccessibleName(QStringLiteral("Open input folder"));
    OpenOutDir->setAccessibleName(QStringLiteral("Open output folder"));
    FSubDir = new QCheckBox(QStringLiteral("Include Sub-Director&y"), Group);
    FSubDir->setObjectName(QStringLiteral("chksubdir"));
    Grid->addWidget(FSubDir, 3, 1, 1, 3);
    InstallNamedComboAccessible();
    auto* AfterLabel = new QLabel(QStringLiteral("After a file &converted:"), Group);
    AfterLabel->setObjectName(QStringLiteral("lblafter"));
    FAfter = new QComboBox(Group);
    FAfter->setObjectName(QStringLiteral("cbbafter"));
    // In TAfterChoice order.
    FAfter->addItems({QStringLiteral("Leave it"), QStringLiteral("Delete it"), QStringLiteral("Move it to a folder")});
    AfterLabel->setBuddy(FAfter);
    Grid->addWidget(AfterLabel, 4, 0);
    Grid->addWidget(FAfter, 4, 1);
    FSelectMoveDir = NewButton("btnselectmovedir", QStringLiteral("B&rowse.."), Group);
    FSelectMoveDir->setAccessibleName(QStringLiteral("Browse folder for moved files"));
    FMoveDir = AddFolderRow(Grid, 5, "edtmovedir", QStringLiteral("Mo&ve to folder:"), FSelectMoveDir, nullptr);
    Grid->setColumnStretch(1, 1);

    auto* ActivityLabel = new QLabel(QStringLiteral("&Activity:"), this);
    ActivityLabel->setObjectName(QStringLiteral("lblhotlog"));
    FActivity = new QPlainTextEdit(this);
    FActivity->setObjectName(QStringLiteral("mmohotlog"));
    FActivity->setReadOnly(true);
    FActivity->setLineWrapMode(QPlainTextEdit::NoWrap);
    FActivity->setMaximumBlockCount(ActivityLines);
    FActivity->setPlaceholderText(
        QStringLiteral("The lines of the day's log appear here while the folder is watched."));
    // Read-only text takes Tab as a move to the next control.
    FActivity->setTabChangesFocus(true);
    ActivityLabel->setBuddy(FActivity);

    FOption = NewButton("btnset", QStringLiteral("&Option"), this);
    FReturn = NewButton("btnsbtreturn", QStringLiteral("Ret&urn to Batch Mode"), this);
    FRun = NewButton("btnsbtrun", QStringLiteral("&Start"), this);
    FEnd = NewButton("btnsbtend", QStringLiteral("S&top"), this);
    FMinimize = NewButton("btnmin", QStringLiteral("&Minimize"), this);
    auto* About = NewButton("btnabout", QStringLiteral("A&bout"), this);
    auto* Buttons = new QHBoxLayout;
    for (QPushButton* Button : {FRun, FEnd, FMinimize})
        Buttons->addWidget(Button);
    Buttons->addStretch();
    for (QPushButton* Button : {FOption, FReturn, About})
        Buttons->addWidget(Button);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Group);
    Layout->addWidget(ActivityLabel);
    Layout->addWidget(FActivity, 1);
    Layout->addLayout(Buttons);

    // Keyboard order follows the reading order: the group row by row, the
    // activity, then the buttons left to right.
    QWidget* Order[] = {FInDir,    FSelectInDir, OpenInDir, FOutDir,  FSelectOutDir,  OpenOutDir, FLogDir,
                        FSelectLogDir, ViewLog, FSubDir,   FAfter,   FMoveDir, FSelectMoveDir, FActivity,
                        FRun,      FEnd,         FMinimize, FOption,  FReturn,  About};
    for (size_t At = 1; At < std::size(Order); ++At)
        setTabOrder(Order[At - 1], Order[At]);

    connect(FSelectInDir, &QPushButton::clicked, this, &THotDirPage::actSelectIndirExecute);
    connect(FSelectOutDir, &QPushButton::clicked, this, &THotDirPage::actSelectOutdirExecute);
    connect(FSelectLogDir, &QPushButton::clicked, this, &THotDirPage::actSelectLogdirExecute);
    connect(OpenInDir, &QPushButton::clicked, this, [this] { FShell.OpenFolder(FInDir->text()); });
    connect(OpenOutDir, &QPushButton::clicked, this, [this] { FShell.OpenFolder(FOutDir->text()); });
    connect(ViewLog, &QPushButton::clicked, this, &THotDirPage::btnviewlogClick);
    connect(FSelectMoveDir, &QPushButton::clicked, this, &THotDirPage::actSelectMovedirExecute);
    connect(FAfter, &QComboBox::currentIndexChanged, this, &THotDirPage::AfterChanged);
    connect(FSubDir, &QCheckBox::clicked, this, &THotDirPage::StoreHotDirFields);
    connect(FOption, &QPushButton::clicked, this, &THotDirPage::OptionRequested);
    connect(FReturn, &QPushButton::clicked, this, &THotDirPage::btnsbtreturnClick);
    connect(FRun, &QPushButton::clicked, this, &THotDirPage::btnsbtrunClick);
    connect(FEnd, &QPushButton::clicked, this, &THotDirPage::btnsbtendClick);
    connect(FMinimize, &QPushButton::clicked, this, &THotDirPage::btnminClick);
    connect(About, &QPushButton::clicked, this, &THotDirPage::HelpRequested);
    connect(&FHotDir, &THotDirectory::LogLine, FActivity, &QPlainTextEdit::appendPlainText);
    connect(&FHotDir, &THotDirectory::LogUnwritable, FActivity, [this](const QString& File, const QString& Error) {
        FActivity->appendPlainText(
            LangText(THotDirectory::StrLogUnwritable, THotDirectory::MsgLogUnwritable).arg(File, Error));
    });

    LoadHotDirFields();
    SetHotDirRunning(false);
}

THotDirPage::~THotDirPage() = default;

QLineEdit* THotDirPage::AddFolderRow(QGridLayout* Grid, int Row, const char* Name, const QString& Caption,
                                     QPushButton* Browse, QPushButton* Open)
{
    QWidget* Group = Grid->parentWidget();
    auto* Edit = new QLineEdit(Group);
    Edit->setObjectName(QLatin1String(Name));
    auto* Label = new QLabel(Caption, Group);
    // "edtindir" is labelled by "lblindir", and so on.
    Label->setObjectName(QStringLiteral("lbl") + QLatin1String(Name).mid(3));
    Label->setBuddy(Edit);
    Grid->addWidget(Label, Row, 0);
    Grid->addWidget(Edit, Row, 1);
    Grid->addWidget(Browse, Row, 2);
    if (Open != nullptr)
        Grid->addWidget(Open, Row, 3);
    return Edit;
}

bool THotDirPage::Running() const
{
    return FHotDir.Watching() || FHotDir.Busy();
}

void THotDirPage::StopForClose()
{
    FHotDir.StopNow();
    SetHotDirRunning(false);
}

void THotDirPage::LoadHotDirFields()
{
    const TcdSettings& Settings = FSettings;
    FLogDir->setText(Settings.LogDir());
    FInDir->setText(Settings.Indir());
    FOutDir->setText(Settings.OutDir());
    FSubDir->setChecked(Settings.SubDir());
    FAfter->setCurrentIndex(AfterChoice(Settings.HotAfter()));
    FMoveDir->setText(Settings.HotMoveDir());
    AfterChanged();
}

void THotDirPage::StoreHotDirFields()
{
    TcdSettings& Settings = FSettings;
    if (!FInDir->text().isEmpty())
        Settings.SetIndir(FInDir->text());
    if (!FOutDir->text().isEmpty())
        Settings.SetOutDir(FOutDir->text());
    if (!FLogDir->text().isEmpty())
        Settings.SetLogDir(FLogDir->text());
    Settings.SetSubDir(FSubDir->isChecked());
    Settings.SetHotAfter(FAfter->currentIndex());
    Settings.SetHotMoveDir(FMoveDir->text());
    Settings.Save();
}

void THotDirPage::SetHotDirRunning(bool Running)
{
    FRun->setEnabled(!Running);
    FEnd->setEnabled(Running);
    FMinimize->setEnabled(Running);
    for (QWidget* Field : std::initializer_list<QWidget*>{FOption, FInDir, FOutDir, FLogDir, FSubDir, FSelectInDir,
                                                          FSelectOutDir, FSelectLogDir, FAfter})
        Field->setEnabled(!Running);
    AfterChanged();
}

void THotDirPage::AfterChanged()
{
    const bool Moving = FAfter->isEnabled() && FAfter->currentIndex() == acMove;
    FMoveDir->setEnabled(Moving);
    FSelectMoveDir->setEnabled(Moving);
}

void THotDirPage::ShowDayLogTail()
{
    FActivity->setPlainText(
        LastLines(DayLogFile(FSettings.LogDir()), ActivityLines).join(QLatin1Char('\n')));
    FActivity->moveCursor(QTextCursor::End);
}

void THotDirPage::btnsbtrunClick()
{
    const int Refusal = THotDirectory::CheckFolders(FInDir->text(), FOutDir->text(), FLogDir->text());
    if (Refusal != 0) {
        FDialogs.Message(window(), QMessageBox::Information, Lang(Refusal), QMessageBox::Ok);
        QLineEdit* const Culprit = Refusal == THotDirectory::StrNoOutput ? FOutDir
                                   : Refusal == THotDirectory::StrNoLog  ? FLogDir
                                                                         : FInDir;
        Culprit->setFocus();
        return;
    }
    const int AfterRefusal = TAfterConversion(FAfter->currentIndex(), FMoveDir->text(), FInDir->text(),
                                              FOutDir->text(), FSubDir->isChecked())
                                 .Check();
    if (AfterRefusal != 0) {
        FDialogs.Message(window(), QMessageBox::Information,
                         LangText(AfterRefusal, TAfterConversion::English(AfterRefusal)), QMessageBox::Ok);
        FMoveDir->setFocus();
        return;
    }
    FRun->setEnabled(false);
    FReturn->setEnabled(false);
    try {
        FHotDir.Start(FInDir->text(), FOutDir->text(), FLogDir->text(), FSubDir->isChecked());
    } catch (const std::exception& Error) {
        // The folder cannot be watched (gone since the check, unreadable, out
        // of watches): say why and leave the page as it was, ready to retry.
        const QString Reason = QString::fromUtf8(Error.what());
        FDialogs.Message(window(), QMessageBox::Critical,
                         Reason == QLatin1String(THotDirectory::MsgChainInUse)
                             ? LangText(THotDirectory::StrChainInUse, THotDirectory::MsgChainInUse)
                             : Reason,
                         QMessageBox::Ok);
        FRun->setEnabled(true);
        FReturn->setEnabled(true);
        return;
    }
    StoreHotDirFields();
    SetHotDirRunning(true);
    ShowDayLogTail();
}

void THotDirPage::btnsbtendClick()
{
    FReturn->setEnabled(true);
    FHotDir.Stop();
    SetHotDirRunning(false);
}

void THotDirPage::btnminClick()
{
    FReturn->setEnabled(true);
    emit MinimizeRequested();
}

void THotDirPage::btnsbtreturnClick()
{
    StoreHotDirFields();
    emit ReturnRequested();
}

void THotDirPage::actSelectIndirExecute()
{
    ChooseFolder(FDialogs, FInDir, FOutDir, StrInputTitle, StrInputWarning);
}

void THotDirPage::actSelectOutdirExecute()
{
    ChooseFolder(FDialogs, FOutDir, FInDir, StrOutputTitle, StrOutputWarning);
}

void THotDirPage::actSelectLogdirExecute()
{
    const QString Chosen = FDialogs.BrowseForFolder(window(), QStringLiteral("log path"), QString());
    if (!Chosen.isEmpty())
        FLogDir->setText(Chosen);
}

void THotDirPage::actSelectMovedirExecute()
{
    const QString Chosen =
        FDialogs.BrowseForFolder(window(), QStringLiteral("Select the folder the converted files move to"), QString());
    if (!Chosen.isEmpty())
        FMoveDir->setText(Chosen);
}

void THotDirPage::btnviewlogClick()
{
    const QString LogDir = FSettings.LogDir();
    const QString LogFile = DayLogFile(LogDir);
    if (QFile::exists(LogFile))
        FShell.ShowItem(LogFile);
    else
        FShell.OpenFolder(LogDir);
}

} // namespace app
