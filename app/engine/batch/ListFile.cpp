// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListFile.h"

#include <QFile>

namespace app {

QStringList ParseListFile(const QByteArray& Text)
{
    QByteArray Lines = Text;
    Lines.replace('\r', QByteArray());
    QStringList Paths;
    for (const QByteArray& Line : Lines.split('\n'))
        if (!Line.isEmpty())
            Paths << QString::fromUtf8(Line);
    return Paths;
}

QByteArray FormatListFile(const QStringList& Paths)
{
    QByteArray Text;
    for (const QString& Path : Paths)
        Text += Path.toUtf8() + "\r\n";
    return Text;
}

bool ReadListFile(const QString& FileName, QStringList& Paths)
{
    Paths.clear();
    QFile List(FileName);
    if (!List.open(QIODevice::ReadOnly))
        return false;
    Paths = ParseListFile(List.readAll());
    return true;
}

bool WriteListFile(const QString& FileName, const QStringList& Paths, QString& Error)
{
    const QByteArray Text = FormatListFile(Paths);
    QFile List(FileName);
    if (!List.open(QIODevice::WriteOnly | QIODevice::Truncate) || List.write(Text) != Text.size() || !List.flush()) {
        Error = List.errorString();
        return false;
    }
    return true;
}

} // namespace app
