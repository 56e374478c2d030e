// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QTimer>

#include <functional>

namespace app {

// What runs a piece of periodic work on the user-interface thread: a Qt timer in
// the program, a hand-driven source in tests that state their rules by check
// and by tick rather than by elapsed time.
class TTickSource {
public:
    using TTick = std::function<void()>;

    virtual ~TTickSource() = default;
    // Calls Tick at each tick from now on; a source already ticking carries on
    // as it was.
    virtual void Start(TTick Tick) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

// Ticks every Interval ms through a Qt timer; needs the thread's event loop.
class TTimerTicks final : public TTickSource {
public:
    // A parent may delete the timer first (the application object, before the
    // event loop goes).
    explicit TTimerTicks(int Interval, QObject* Parent = nullptr);
    ~TTimerTicks() override;
    TTimerTicks(const TTimerTicks&) = delete;
    TTimerTicks& operator=(const TTimerTicks&) = delete;

    void Start(TTick Tick) override;
    void Stop() override;
    bool Active() const override;

private:
    QPointer<QTimer> FTimer;
    QMetaObject::Connection FConnection;
};

} // namespace app
