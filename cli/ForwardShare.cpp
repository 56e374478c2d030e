// SPDX-License-Identifier: GPL-3.0-or-later
#include "ForwardShare.h"

#include <algorithm>

namespace cli {

double TForwardShare::Next(double Measured)
{
    Measured = std::clamp(Measured, 0.0, 1.0);
    // A drop never happens at 1, so FFromMeasured stays below it.
    double Shown = Measured >= 1 ? 1
                                 : FFromShown + (1 - FFromShown) * (Measured - FFromMeasured) / (1 - FFromMeasured);
    if (Shown < FShown) {
        // Holding still, rather than freezing until the measure catches up,
        // lets the bar go on moving with the run at once.
        FFromMeasured = Measured;
        FFromShown = FShown;
        Shown = FShown;
    }
    FShown = Shown;
    return Shown;
}

} // namespace cli
