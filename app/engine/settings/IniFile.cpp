// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <QFile>

namespace app {

TIniFile::TIniFile(const QString& FileName)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        return;
    QStringList* Current = nullptr;
    const QStringList Lines = QString::fromUtf8(File.readAll()).split(QLatin1Char('\n'));
    for (QString Line : Lines) {
        if (Line.endsWith(QLatin1Char('\r')))
            Line.chop(1);
        const QString Trimmed = Line.trimmed();
        if (Trimmed.isEmpty() || Trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (Trimmed.startsWith(QLatin1Char('[')) && Trimmed.endsWith(QLatin1Char(']'))) {
            Current = &FSections[Trimmed.mid(1, Trimmed.size() - 2).trimmed().toLower()];
            continue;
        }
        if (Current != nullptr)
            Current->append(Line);
    }
}

QString TIniFile::ReadString(const QString& Section, const QString& Key, const QString& Default) const
{
    const auto Found = FSections.constFind(Section.toLower());
    if (Found == FSections.constEnd())
        return Default;
    for (const QString& Line : *Found) {
        const qsizetype Equals = Line.indexOf(QLatin1Char('='));
        if (Equals < 0)
            continue;
        if (Line.left(Equals).trimmed().compare(Key, Qt::CaseInsensitive) != 0)
            continue;
        // As INI readers do: blanks around the value and one pair of enclosing quotes go.
        QString Value = Line.mid(Equals + 1).trimmed();
        if (Value.size() >= 2 && Value.startsWith(QLatin1Char('"')) && Value.endsWith(QLatin1Char('"')))
            Value = Value.mid(1, Value.size() - 2);
        return Value;
    }
    return Default;
}

int TIniFile::ReadInteger(const QString& Section, const QString& Key, int Default) const
{
    bool Ok = false;
    const int Value = ReadString(Section, Key).trimmed().toInt(&Ok);
    return Ok ? Value : Default;
}

QStringList TIniFile::SectionLines(const QString& Section) const
{
    return FSections.value(Section.toLower());
}

} // namespace app
