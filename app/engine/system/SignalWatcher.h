// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace app {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop's thread, so a program
// can end its work cleanly (restore the terminal, let a file finish).
// BlockTerminationSignals() must run first thing in main(), before any thread
// exists, so that no other thread takes the signals.
void BlockTerminationSignals();

class TSignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit TSignalWatcher(std::function<void(int Signal)> OnSignal);
    ~TSignalWatcher() override;

private:
    int FDescriptor = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::function<void(int)> FOnSignal;
};

} // namespace app
