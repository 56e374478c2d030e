// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchLog.h"

#include <QFileInfo>
#include <QTime>

namespace app {
namespace {

QString TimeStamp()
{
    return QLatin1Char('[') + QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(']');
}

} // namespace

QString LoadLine(const QString& Input)
{
    return TimeStamp() + QStringLiteral("Load: ") + Input + QStringLiteral(" [Success]");
}

QStringList ResultLines(const QString& Output, const QString& Error)
{
    const QString Head = TimeStamp() + QStringLiteral("Convert to: ") + QFileInfo(Output).fileName();
    if (Error.isEmpty())
        return {Head + QStringLiteral(" [Success]")};
    return {Head + QStringLiteral(" [Failed]"), Error};
}

} // namespace app
