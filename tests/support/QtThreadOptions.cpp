// SPDX-License-Identifier: GPL-3.0-or-later
// Qt and GLib are not built for ThreadSanitizer: their own threads (the pool
// that paints and scales images for shown widgets) and their event queue (calls
// queued from a worker to this thread) hand memory over through futexes the
// sanitizer cannot see. Those hand-overs are left out of the check
// (QtLibraries.tsan); every other access from our code is still checked. The
// window's and the engine's test programs link this file; the sound server's
// suppressions come on top where a program plays (SoundServer.cpp).
extern "C" const char* __tsan_default_options()
{
    return "suppressions=" KELVARO_QT_TSAN_SUPPRESSIONS;
}
