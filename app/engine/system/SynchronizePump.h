// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace app {

// Makes the Qt event loop of the calling (user-interface) thread run the audio
// library's pending user-interface calls: each queued call posts an event that
// services the queue. Call once, after the application object exists.
void InstallSynchronizePump();

} // namespace app
