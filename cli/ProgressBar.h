// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace cli {

// A one-line progress bar on standard error, drawn only when it is a terminal.
class TProgressBar {
public:
    TProgressBar();

    void Show(const QString& Name, int Percent);
    // Clears the line so that the next output starts clean.
    void Clear();

private:
    bool FTerminal;
    bool FShown = false;
};

} // namespace cli
