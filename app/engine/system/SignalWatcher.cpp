// SPDX-License-Identifier: GPL-3.0-or-later
#include "SignalWatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace app {
namespace {

sigset_t TerminationSignals()
{
    sigset_t Set;
    sigemptyset(&Set);
    sigaddset(&Set, SIGINT);
    sigaddset(&Set, SIGTERM);
    // A closed terminal ends a run like Ctrl+C, not abruptly with a temporary
    // file left behind.
    sigaddset(&Set, SIGHUP);
    return Set;
}

} // namespace

void BlockTerminationSignals()
{
    const sigset_t Set = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &Set, nullptr);
}

TSignalWatcher::TSignalWatcher(std::function<void(int Signal)> OnSignal) : FOnSignal(std::move(OnSignal))
{
    const sigset_t Set = TerminationSignals();
    FDescriptor = ::signalfd(-1, &Set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (FDescriptor < 0)
        return;
    FNotifier = std::make_unique<QSocketNotifier>(FDescriptor, QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo Info{};
        while (::read(FDescriptor, &Info, sizeof Info) == static_cast<ssize_t>(sizeof Info))
            FOnSignal(static_cast<int>(Info.ssi_signo));
    });
}

TSignalWatcher::~TSignalWatcher()
{
    FNotifier.reset();
    if (FDescriptor >= 0)
        ::close(FDescriptor);
}

} // namespace app
