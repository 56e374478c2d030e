// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace app {

// The log panel `pnlLog` with the memo `mmolog`, and the button `btnOpenLog`
// that shows ("Hide log...") or hides ("Show log...") it. The panel starts
// hidden and empty. User-interface thread only.
class TLogPanel final : public QWidget {
    Q_OBJECT

public:
    explicit TLogPanel(QWidget* Parent = nullptr);

    // The toggle button, for the page to place.
    QPushButton* Toggle() const { return FToggle; }
    void Append(const QString& Line);
    void ShowLog(bool Shown);
    // The memo's lines.
    QStringList Lines() const;

private:
    QPlainTextEdit* FMemo;
    QPushButton* FToggle;
};

} // namespace app
