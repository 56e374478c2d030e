// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogPanel.h"

#include "app/engine/settings/Language.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {
namespace {

// The toggle's two captions, from the language file's strings.
constexpr int StrShowLog = 27, StrHideLog = 28;

} // namespace

TLogPanel::TLogPanel(QWidget* Parent)
    : QWidget(Parent), FMemo(new QPlainTextEdit(this)), FToggle(new QPushButton(LangText(StrShowLog, "Sho&w log..."), Parent))
{
    setObjectName(QStringLiteral("pnlLog"));
    FMemo->setObjectName(QStringLiteral("mmolog"));
    FMemo->setAccessibleName(QStringLiteral("Log"));
    FMemo->setReadOnly(true);
    FMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only text takes Tab as a move to the next control.
    FMemo->setTabChangesFocus(true);
    FToggle->setObjectName(QStringLiteral("btnOpenLog"));
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FMemo);
    hide();
    connect(FToggle, &QPushButton::clicked, this, [this] { ShowLog(isHidden()); });
}

void TLogPanel::Append(const QString& Line)
{
    FMemo->appendPlainText(Line);
}

void TLogPanel::ShowLog(bool Shown)
{
    setVisible(Shown);
    FToggle->setText(Shown ? LangText(StrHideLog, "H&ide log...") : LangText(StrShowLog, "Sho&w log..."));
}

QStringList TLogPanel::Lines() const
{
    return FMemo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace app
