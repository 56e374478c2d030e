// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

class QAction;

namespace app {

// A push button that stands for an action: it shows the action's text (with its
// mnemonic) and enabled state, and a click triggers the action. Several
// buttons and menu items can share one action. A caption the language file
// gives the button stays until the action's text itself changes.
// User-interface thread only.
class TActionButton final : public QPushButton {
    Q_OBJECT

public:
    TActionButton(QAction* Action, const QString& ObjectName, QWidget* Parent = nullptr);

private:
    void Follow();

    QAction* FAction;
    QString FActionText; // the action's text when the button last took it
};

} // namespace app
