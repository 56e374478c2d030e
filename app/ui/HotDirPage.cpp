// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotDirPage.h"

#include "Components.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

THotDirPage::THotDirPage(TComponents& Components, TDialogs& Dialogs, TShell& Shell, QWidget* Parent)
    : QWidget(Parent), FComponents(Components), FDialogs(Dialogs), FShell(Shell)
{
    setObjectName(QStringLiteral("tsHotDirectory"));
    auto* Buttons = new QHBoxLayout;
    auto* Option = new QPushButton(QStringLiteral("Option"), this);
    Option->setObjectName(QStringLiteral("btnset"));
    auto* Return = new QPushButton(QStringLiteral("Ret&urn to Batch Mode"), this);
    Return->setObjectName(QStringLiteral("btnsbtreturn"));
    auto* Minimize = new QPushButton(QStringLiteral("&Minimize"), this);
    Minimize->setObjectName(QStringLiteral("btnmin"));
    auto* About = new QPushButton(QStringLiteral("A&bout"), this);
    About->setObjectName(QStringLiteral("btnabout"));
    Buttons->addWidget(Option);
    Buttons->addWidget(Return);
    Buttons->addWidget(Minimize);
    Buttons->addStretch();
    Buttons->addWidget(About);
    auto* Layout = new QVBoxLayout(this);
    Layout->addStretch();
    Layout->addLayout(Buttons);
    connect(Option, &QPushButton::clicked, this, &THotDirPage::OptionRequested);
    connect(Return, &QPushButton::clicked, this, &THotDirPage::ReturnRequested);
    connect(Minimize, &QPushButton::clicked, this, &THotDirPage::MinimizeRequested);
    connect(About, &QPushButton::clicked, this, &THotDirPage::HelpRequested);
}

THotDirPage::~THotDirPage() = default;

bool THotDirPage::Running() const
{
    return FComponents.HotDir.Watching() || FComponents.HotDir.Busy();
}

void THotDirPage::StopForClose()
{
    FComponents.HotDir.Halt();
}

} // namespace app
