// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace app {

// Makes drop-down lists announce their label. Qt's own interface for them
// gives the current item as the name on Linux, so that a screen reader says
// "44100 combo box" where "Sample Rate" is meant; fixed-item lists get an
// interface whose name is the accessibleName, else the label whose buddy the
// list is, else (as before) the current item, and whose value is the current
// item; its child is the list of items, whose selected item is the current
// one, as with Qt's own. Editable lists keep Qt's. Once per process, before
// the first list is made; UI thread.
void InstallNamedComboAccessible();

} // namespace app
