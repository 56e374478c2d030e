// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModePage.h"

#include "app/engine/settings/AppTitle.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace app {
namespace {

// The banner is drawn at twice the size it takes on the page.
constexpr qreal BannerScale = 2.0;

QLabel* MakeBanner(QWidget* Parent)
{
    auto* Banner = new QLabel(Parent);
    Banner->setObjectName(QStringLiteral("imgbanner"));
    QPixmap Picture(QStringLiteral(":/kelvaro/banner.jpg"));
    Picture.setDevicePixelRatio(BannerScale);
    Banner->setPixmap(Picture);
    Banner->setAlignment(Qt::AlignCenter);
    // The picture repeats the title; a screen reader gets it in words.
    Banner->setAccessibleName(QString::fromUtf8(ApplicationTitle));
    return Banner;
}

// A line under a choice that says what it does, in the choice's indent; a
// screen reader reads it as the choice's description.
QLabel* MakeNote(const char* Name, const char* Text, QAbstractButton* Choice)
{
    auto* Note = new QLabel(QString::fromUtf8(Text), Choice->parentWidget());
    Choice->setAccessibleDescription(Note->text());
    Note->setObjectName(QString::fromLatin1(Name));
    Note->setWordWrap(true);
    Note->setContentsMargins(24, 0, 0, 8);
    return Note;
}

QPushButton* MakeButton(const char* Name, const char* Caption, QWidget* Parent)
{
    auto* Button = new QPushButton(QString::fromUtf8(Caption), Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    return Button;
}

// A caption that reads and behaves as a link: a flat button, so that it takes
// the keyboard focus, answers Space and Enter, and a language file can rename it.
QPushButton* MakeLink(QWidget* Parent)
{
    QPushButton* Link = MakeButton("lblcmdlink", "&Command Line Mode", Parent);
    Link->setFlat(true);
    Link->setCursor(Qt::PointingHandCursor);
    Link->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline;"
                                       " border: none; padding: 2px; text-align: left; }"
                                       "QPushButton:focus { outline: 1px dotted palette(text); }"));
    Link->setToolTip(QStringLiteral("Opens the notes on kelvaro-cli, the command-line tool"));
    return Link;
}

} // namespace

TModePage::TModePage(QWidget* Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("tsMode"));
    auto* Modes = new QGroupBox(QStringLiteral("Mode"), this);
    Modes->setObjectName(QStringLiteral("grpmode"));
    auto* Batch = new QRadioButton(QStringLiteral("&Batch Convert Mode"), Modes);
    Batch->setObjectName(QStringLiteral("rbBatch"));
    Batch->setChecked(true);
    FHotDir = new QRadioButton(QStringLiteral("&Hot Directories Mode"), Modes);
    FHotDir->setObjectName(QStringLiteral("rbHotDir"));
    auto* ModeLayout = new QVBoxLayout(Modes);
    FNotes = {{MakeNote("lblbatchnote", "Collect WMA files in a list, then convert them all into one folder.", Batch),
               Batch},
              {MakeNote("lblhotnote", "Watch a folder and convert every WMA file copied into it, with a log per day.",
                        FHotDir),
               FHotDir}};
    for (const auto& [Note, Choice] : FNotes) {
        ModeLayout->addWidget(Choice);
        ModeLayout->addWidget(Note);
    }

    QPushButton* Link = MakeLink(this);
    QPushButton* About = MakeButton("btnmodeabout", "&About", this);
    QPushButton* Next = MakeButton("btnnext", "&Next", this);
    QPushButton* Exit = MakeButton("btnexit", "&Exit", this);
    Next->setDefault(true);

    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(About);
    Buttons->addStretch();
    Buttons->addWidget(Next);
    Buttons->addWidget(Exit);

    auto* Body = new QVBoxLayout;
    Body->setContentsMargins(24, 12, 24, 0);
    Body->addStretch();
    Body->addWidget(Modes);
    Body->addWidget(Link, 0, Qt::AlignLeft);
    Body->addStretch();

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(MakeBanner(this));
    Layout->addLayout(Body, 1);
    Layout->addLayout(Buttons);

    connect(Next, &QPushButton::clicked, this, &TModePage::NextRequested);
    connect(Exit, &QPushButton::clicked, this, &TModePage::ExitRequested);
    connect(About, &QPushButton::clicked, this, &TModePage::AboutRequested);
    connect(Link, &QPushButton::clicked, this, &TModePage::CommandLineRequested);
}

void TModePage::showEvent(QShowEvent* Event)
{
    for (const auto& [Note, Choice] : FNotes)
        Choice->setAccessibleDescription(Note->text());
    QWidget::showEvent(Event);
}

bool TModePage::HotDirChosen() const
{
    return FHotDir->isChecked();
}

} // namespace app
