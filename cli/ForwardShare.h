// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace cli {

// The share of a run shown on the progress line. The share measured can drop
// (its weights change once every file's duration is known); the one shown
// never does, keeps moving as the run goes on, and is 1 when the run is.
class TForwardShare {
public:
    // Measured: the share done by the latest measure, 0 to 1. Returns the share
    // to show, 0 to 1, never below the one returned before.
    double Next(double Measured);

private:
    double FShown = 0;
    // Since the last drop, the rest of the run from this measured share on
    // fills the rest of the bar from this shown share on.
    double FFromMeasured = 0;
    double FFromShown = 0;
};

} // namespace cli
