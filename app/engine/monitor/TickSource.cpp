// SPDX-License-Identifier: GPL-3.0-or-later
#include "TickSource.h"

namespace app {

TTimerTicks::TTimerTicks(int Interval, QObject* Parent) : FTimer(new QTimer(Parent))
{
    FTimer->setInterval(Interval);
}

TTimerTicks::~TTimerTicks()
{
    delete FTimer.data();
}

void TTimerTicks::Start(TTick Tick)
{
    if (!FTimer || FTimer->isActive())
        return;
    FConnection = QObject::connect(FTimer, &QTimer::timeout, std::move(Tick));
    FTimer->start();
}

void TTimerTicks::Stop()
{
    if (FTimer)
        FTimer->stop();
    QObject::disconnect(FConnection);
}

bool TTimerTicks::Active() const
{
    return FTimer && FTimer->isActive();
}

} // namespace app
