// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/QtTestUtil.h"
#include "app/engine/monitor/DirectoryMonitor.h"
#include "app/engine/monitor/ReadyQueue.h"
#include "app/engine/monitor/TickSource.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>

// Readable failure messages for paths.
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace autest {

// Runs the event loop for a fixed time: for the tests that show that something
// does not happen.
inline void RunFor(int Ms)
{
    RunUntil([] { return false; }, Ms);
}

inline void WriteFile(const QString& FileName, const QByteArray& Bytes)
{
    QFile File(FileName);
    if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size())
        throw std::runtime_error("cannot write " + FileName.toStdString());
}

// Records what a monitor reports.
struct TReports {
    QStringList Paths;

    void Attach(app::DirectoryMonitor& Monitor)
    {
        Monitor.SetOnFileReady([this](const QString& FileName, void*) { Paths << FileName; });
    }
};

// A tick source the test drives: each Tick is one tick of the timer it stands for.
class TManualTicks final : public app::TTickSource {
public:
    void Start(TTick Tick) override
    {
        if (!FActive)
            FTick = std::move(Tick);
        FActive = true;
    }
    void Stop() override
    {
        FActive = false;
        FTick = nullptr;
    }
    bool Active() const override { return FActive; }

    // Count ticks; none while stopped, as with a timer.
    void Tick(int Count = 1)
    {
        // A copy: the tick may stop its source.
        for (int I = 0; I < Count && FActive; ++I) {
            const TTick Call = FTick;
            Call();
        }
    }

private:
    TTick FTick;
    bool FActive = false;
};

// Puts the dispatch of the process's ready queue in the test's hands while it lives.
class THandDispatch {
public:
    THandDispatch()
    {
        auto Ticks = std::make_unique<TManualTicks>();
        FTicks = Ticks.get();
        app::TReadyQueue::Instance().SetDispatchTicks(std::move(Ticks));
    }
    ~THandDispatch() { app::TReadyQueue::Instance().SetDispatchTicks(nullptr); }
    THandDispatch(const THandDispatch&) = delete;
    THandDispatch& operator=(const THandDispatch&) = delete;

    TManualTicks& Ticks() { return *FTicks; }

private:
    TManualTicks* FTicks;
};

} // namespace autest
