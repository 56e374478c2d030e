// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace cli {

// A line on standard error that is redrawn in place, drawn only when standard
// error is a terminal.
class TProgressBar {
public:
    TProgressBar();

    bool Terminal() const { return FTerminal; }
    // A bar of Percent (0 to 100) followed by Text.
    void Show(int Percent, const QString& Text);
    // Clears the line so that the next output starts clean.
    void Clear();

private:
    bool FTerminal;
    bool FShown = false;
};

} // namespace cli
