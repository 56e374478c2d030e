// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

class QAction;

namespace app {

// A push button that stands for an action: it shows the action's text (with its
// mnemonic) and enabled state, and a click triggers the action. Several
// buttons and menu items can share one action. User-interface thread only.
class TActionButton final : public QPushButton {
    Q_OBJECT

public:
    TActionButton(QAction* Action, const QString& ObjectName, QWidget* Parent = nullptr);

private:
    void Follow();

    QAction* FAction;
};

} // namespace app
