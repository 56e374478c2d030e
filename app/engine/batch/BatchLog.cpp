// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchLog.h"

#include <QDir>
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

QStringList ResultLines(const QString& OutputName, TConversionResult Result, const QString& Message)
{
    const QString Head = TimeStamp() + QStringLiteral("Convert to: ") + OutputName;
    switch (Result) {
    case crConverted:
        // A converted file's message says what of its tags was left out.
        return {Message.isEmpty() ? Head + QStringLiteral(" [Success]") : Head + QStringLiteral(" [Success] ") + Message};
    case crSkipped:
        return {Head + QStringLiteral(" [Skipped]"), Message};
    default:
        return {Head + QStringLiteral(" [Failed]"), Message};
    }
}

QString TOutputLedger::Record(const QString& Input, const QString& Output)
{
    const QString Key = QDir::cleanPath(QFileInfo(Output).absoluteFilePath());
    const QString Earlier = FWriters.value(Key);
    FWriters.insert(Key, Input);
    if (Earlier.isEmpty() || Earlier == Input)
        return QString();
    return QFileInfo(Output).fileName() + QStringLiteral(" now holds ") + Input +
           QStringLiteral("; it replaced the file converted from ") + Earlier + QStringLiteral(" earlier in this run.");
}

} // namespace app
