// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace cli {
namespace {
constexpr int BarWidth = 30;
}

TProgressBar::TProgressBar() : FTerminal(::isatty(STDERR_FILENO) == 1) {}

void TProgressBar::Show(int Percent, const QString& Text)
{
    if (!FTerminal)
        return;
    Percent = std::clamp(Percent, 0, 100);
    const int Filled = Percent * BarWidth / 100;
    const QByteArray Bar = QByteArray(Filled, '#') + QByteArray(BarWidth - Filled, '.');
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", Bar.constData(), Percent, Text.toUtf8().constData());
    std::fflush(stderr);
    FShown = true;
}

void TProgressBar::Clear()
{
    if (!FShown)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    FShown = false;
}

} // namespace cli
