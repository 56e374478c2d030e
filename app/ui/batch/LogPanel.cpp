// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogPanel.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TLogPanel::TLogPanel(QWidget* Parent)
    : QWidget(Parent), FMemo(new QPlainTextEdit(this)), FToggle(new QPushButton(QStringLiteral("Show log..."), Parent))
{
    setObjectName(QStringLiteral("pnlLog"));
    FMemo->setObjectName(QStringLiteral("mmolog"));
    FMemo->setAccessibleName(QStringLiteral("Log"));
    FMemo->setReadOnly(true);
    FMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
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
    FToggle->setText(Shown ? QStringLiteral("Hide log...") : QStringLiteral("Show log..."));
}

QStringList TLogPanel::Lines() const
{
    return FMemo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace app
