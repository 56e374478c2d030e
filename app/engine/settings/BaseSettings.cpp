// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseSettings.h"

#include <QMetaProperty>
#include <QSettings>

namespace app {
namespace {

QSettings OpenSettingsFile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Trevalin"),
                     QStringLiteral("Kelvaro"));
}

bool IsIntegral(QMetaType::Type Type)
{
    switch (Type) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

} // namespace

TBaseSettings::TBaseSettings(QObject* Owner)
    : QObject(Owner),
      FExcluded{QStringLiteral("RegistryKey"), QStringLiteral("AutoLoad"), QStringLiteral("Name"),
                QStringLiteral("Tag"), QStringLiteral("objectName")}
{
}

TBaseSettings::~TBaseSettings() = default;

QString TBaseSettings::FilePath()
{
    return OpenSettingsFile().fileName();
}

bool TBaseSettings::Excluded(const QString& Name) const
{
    return FExcluded.contains(Name, Qt::CaseInsensitive);
}

// The last part of the key is the group; "Software\Trevalin\Kelvaro\Setting" is "Setting".
QString TBaseSettings::Group() const
{
    QString Key = FRegistryKey;
    Key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return Key.section(QLatin1Char('/'), -1);
}

void TBaseSettings::Load()
{
    if (FRegistryKey.isEmpty())
        return;
    QSettings File = OpenSettingsFile();
    File.beginGroup(Group());
    ForEachStoredProperty([&](const QMetaProperty& Property, const QString& Name, QMetaType::Type Type) {
        if (!Property.isWritable() || !File.contains(Name))
            return;
        const QVariant Stored = File.value(Name);
        if (Type == QMetaType::Bool)
            Property.write(this, Stored.toInt() != 0);
        else if (IsIntegral(Type))
            Property.write(this, Stored.toInt());
        else if (Type == QMetaType::QString)
            Property.write(this, Stored.toString());
        else if (Type == QMetaType::Double)
            Property.write(this, Stored.toString().toDouble());
        else if (Type == QMetaType::LongLong)
            Property.write(this, Stored.toString().toLongLong());
        else if (Type == QMetaType::QStringList)
            Property.write(this, QString::fromUtf8(Stored.toByteArray()).split(QStringLiteral("\n"), Qt::SkipEmptyParts));
    });
}

void TBaseSettings::Save()
{
    if (FRegistryKey.isEmpty())
        return;
    QSettings File = OpenSettingsFile();
    File.beginGroup(Group());
    ForEachStoredProperty([&](const QMetaProperty& Property, const QString& Name, QMetaType::Type Type) {
        const QVariant Value = Property.read(this);
        if (IsIntegral(Type))
            File.setValue(Name, Value.toInt());
        else if (Type == QMetaType::QString)
            File.setValue(Name, Value.toString());
        else if (Type == QMetaType::Double || Type == QMetaType::LongLong)
            File.setValue(Name, Value.toString());
        else if (Type == QMetaType::QStringList)
            File.setValue(Name, Value.toStringList().join(QStringLiteral("\n")).append(QLatin1Char('\n')).toUtf8());
    });
    File.endGroup();
    File.sync();
}

void TBaseSettings::ForEachStoredProperty(
    const std::function<void(const QMetaProperty&, const QString&, QMetaType::Type)>& Visit) const
{
    const QMetaObject* Meta = metaObject();
    for (int I = 0; I < Meta->propertyCount(); ++I) {
        const QMetaProperty Property = Meta->property(I);
        const QString Name = QString::fromLatin1(Property.name());
        if (!Excluded(Name))
            Visit(Property, Name, static_cast<QMetaType::Type>(Property.metaType().id()));
    }
}

void TBaseSettings::Assign(const TBaseSettings& Source)
{
    if (Source.metaObject() != metaObject())
        return;
    const QMetaObject* Meta = metaObject();
    for (int I = 0; I < Meta->propertyCount(); ++I) {
        const QMetaProperty Property = Meta->property(I);
        if (QString::fromLatin1(Property.name()) == QLatin1String("objectName") || !Property.isWritable())
            continue;
        if (Property.metaType().id() == QMetaType::LongLong)
            continue;
        Property.write(this, Property.read(&Source));
    }
}

} // namespace app
