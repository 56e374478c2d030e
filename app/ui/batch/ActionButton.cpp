// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActionButton.h"

#include <QAction>

namespace app {

TActionButton::TActionButton(QAction* Action, const QString& ObjectName, QWidget* Parent)
    : QPushButton(Parent), FAction(Action)
{
    setObjectName(ObjectName);
    Follow();
    connect(Action, &QAction::changed, this, &TActionButton::Follow);
    connect(this, &QPushButton::clicked, Action, &QAction::trigger);
}

void TActionButton::Follow()
{
    if (FAction->text() != FActionText || FActionText.isNull()) {
        FActionText = FAction->text();
        setText(FActionText);
    }
    setEnabled(FAction->isEnabled());
}

} // namespace app
