// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/QtTestUtil.h"
#include "app/engine/DirectoryMonitor.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <chrono>
#include <ostream>
#include <vector>

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

// Records what a monitor reports, with the moment of each report.
struct TReports {
    QStringList Paths;
    std::vector<std::chrono::steady_clock::time_point> Times;

    void Attach(app::DirectoryMonitor& Monitor)
    {
        Monitor.SetOnFileReady([this](const QString& FileName, void*) {
            Paths << FileName;
            Times.push_back(std::chrono::steady_clock::now());
        });
    }
    bool Has(const QString& FileName) const { return Paths.contains(FileName); }
    // The number of reports delivered together, tick by tick (ticks are 200 ms
    // apart; one tick's reports come within microseconds).
    std::vector<int> PerTick() const
    {
        std::vector<int> Counts;
        for (size_t I = 0; I < Times.size(); ++I) {
            if (I == 0 || Times[I] - Times[I - 1] > std::chrono::milliseconds(100))
                Counts.push_back(0);
            ++Counts.back();
        }
        return Counts;
    }
};

} // namespace autest
