// SPDX-License-Identifier: GPL-3.0-or-later
#include "Console.h"

namespace cli {

void PrintLine(FILE* To, const QString& Line)
{
    std::fprintf(To, "%s\n", Line.toUtf8().constData());
    std::fflush(To);
}

void Complain(const QString& Text)
{
    PrintLine(stderr, QStringLiteral("kelvaro-cli: ") + Text);
}

} // namespace cli
