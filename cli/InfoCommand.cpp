// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoCommand.h"

#include "app/engine/chain/FileProbe.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

using TModel = app::TFileListModel;

// The visible columns a person needs: all but the conversion's "Information".
constexpr int ShownColumns[] = {0, 2, 3, 4, 5, 6, 7, 8};

QByteArray TextBlock(const app::TProbeResult& Probe)
{
    QStringList Labels, Values;
    for (const int Column : ShownColumns) {
        Labels << TModel::ColumnCaption(Column) + QLatin1Char(':');
        Values << TModel::ColumnText(Probe.Row, Column);
    }
    if (!Probe.Row.Valid) {
        Labels << QStringLiteral("Error:");
        Values << Probe.Row.ProbeError;
    }
    qsizetype Width = 0;
    for (const QString& Label : Labels)
        Width = std::max(Width, Label.size());
    QString Block;
    for (qsizetype I = 0; I < Labels.size(); ++I)
        Block += (Values[I].isEmpty() ? Labels[I] : Labels[I].leftJustified(Width + 1) + Values[I]) + QLatin1Char('\n');
    return Block.toUtf8();
}

QByteArray JsonLine(const QString& File, const app::TProbeResult& Probe)
{
    QJsonObject Line{
        {QStringLiteral("file"), File},
        {QStringLiteral("valid"), Probe.Row.Valid},
        {QStringLiteral("size"), TModel::ColumnText(Probe.Row, TModel::colSize)},
        {QStringLiteral("size_bytes"), Probe.SizeBytes ? QJsonValue(*Probe.SizeBytes) : QJsonValue()},
        {QStringLiteral("length"), TModel::ColumnText(Probe.Row, TModel::colLength)},
        {QStringLiteral("duration_seconds"), Probe.Row.Valid ? QJsonValue(Probe.Seconds) : QJsonValue()},
        {QStringLiteral("sample_rate"), Probe.Row.SampleRate},
        {QStringLiteral("bits_per_sample"), Probe.Row.BitsPerSample},
        {QStringLiteral("channels"), Probe.Row.Channels},
        {QStringLiteral("bitrate_kbps"), Probe.Row.BitrateKbps ? QJsonValue(*Probe.Row.BitrateKbps) : QJsonValue()},
        {QStringLiteral("tags"), Probe.Tags},
    };
    if (!Probe.Row.Valid)
        Line.insert(QStringLiteral("error"), Probe.Row.ProbeError);
    return QJsonDocument(Line).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

int RunInfo(const TInfoOptions& Options)
{
    int Status = 0;
    bool First = true;
    for (const QString& File : Options.Files) {
        app::TProbeResult Probe = app::DescribeFile(File);
        // The list sizes what it cannot read as 0 bytes; a description says nothing.
        if (!Probe.SizeBytes)
            Probe.Row.SizeBytes = -1;
        if (!Probe.Row.Valid)
            Status = 1;
        QByteArray Out = Options.Json ? JsonLine(File, Probe) : TextBlock(Probe);
        if (!Options.Json && !First)
            Out.prepend('\n');
        First = false;
        std::fwrite(Out.constData(), 1, static_cast<size_t>(Out.size()), stdout);
        std::fflush(stdout);
    }
    return Status;
}

} // namespace cli
