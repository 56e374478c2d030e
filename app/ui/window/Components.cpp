// SPDX-License-Identifier: GPL-3.0-or-later
#include "Components.h"

namespace app {

TComponents::TComponents(TcdSettings& Settings)
    : Settings(Settings), Batch(Files, Settings, Chain), HotDir(Settings, Chain)
{
    Batch.SetPreview(&Player);
}

// Outputs stop before the decoders they pull from go away: members are destroyed
// in reverse order, so the preview player (declared last) stops first, and the
// batch run's and the hot directory's conversions before the chain they pull
// through.
TComponents::~TComponents() = default;

} // namespace app
