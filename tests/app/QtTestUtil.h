// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/Synchronize.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <functional>

namespace autest {

// Runs the Qt event loop (timers, queued calls, the audio library's calls)
// until Done() holds or the time runs out; returns Done().
inline bool RunUntil(const std::function<bool()>& Done, int TimeoutMs = 20000)
{
    QElapsedTimer Clock;
    Clock.start();
    while (!Done()) {
        if (Clock.elapsed() > TimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        au::CheckSynchronize(std::chrono::milliseconds(1));
    }
    return true;
}

// The program's default locale for as long as it lives.
class TDefaultLocale {
public:
    explicit TDefaultLocale(const QLocale& Locale) { QLocale::setDefault(Locale); }
    ~TDefaultLocale() { QLocale::setDefault(FSaved); }
    TDefaultLocale(const TDefaultLocale&) = delete;
    TDefaultLocale& operator=(const TDefaultLocale&) = delete;

private:
    QLocale FSaved;
};

} // namespace autest
