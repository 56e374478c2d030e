// SPDX-License-Identifier: GPL-3.0-or-later
// Qt is not built for ThreadSanitizer: the thread pool that paints and
// converts images for shown widgets hands its work over through futexes the
// sanitizer cannot see, so it reports races inside Qt alone. A window test
// program links this file to silence those; the engine's threads are checked
// without it by the engine's own test programs.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libQt6Core.so\n"
           "race:libQt6Gui.so\n";
}
