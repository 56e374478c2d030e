// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaProperty>
#include <QObject>
#include <functional>
#include <QString>
#include <QStringList>

namespace app {

// Settings that persist themselves: every Q_PROPERTY of the subclass (inherited
// ones included) is stored by name in the group RegistryKey of the settings file,
// so a subclass declares its settings as properties and needs no further code.
// Integers and Booleans are stored as integers (0/1), strings as strings,
// floating point and 64-bit integers as decimal text, string lists as text lines
// in a binary value; other kinds are not stored. "RegistryKey", "AutoLoad",
// "Name", "Tag" and the object's own name are never stored.
//
// The settings file is $XDG_CONFIG_HOME/Trevalin/Kelvaro.conf (~/.config by
// default); a key "Software\Trevalin\Kelvaro\Setting" names its group "Setting".
// User-interface thread only.
class TBaseSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString RegistryKey READ RegistryKey WRITE SetRegistryKey)
    Q_PROPERTY(bool AutoLoad READ AutoLoad WRITE SetAutoLoad)

public:
    explicit TBaseSettings(QObject* Owner = nullptr);
    // The properties to save belong to the subclass, which is gone by the time
    // this destructor runs: a subclass saves in its own destructor when AutoLoad
    // is set.
    ~TBaseSettings() override;

    QString RegistryKey() const { return FRegistryKey; }
    void SetRegistryKey(const QString& Value) { FRegistryKey = Value; }
    bool AutoLoad() const { return FAutoLoad; }
    void SetAutoLoad(bool Value) { FAutoLoad = Value; }

    // Nothing when RegistryKey is empty. Values present in the file replace the
    // properties; missing ones keep them.
    virtual void Load();
    // Nothing when RegistryKey is empty. Writes every stored property.
    virtual void Save();
    // From an object of the same class: every property but the name, when this
    // object has one of the same name and kind. 64-bit integers are not copied.
    virtual void Assign(const TBaseSettings& Source);

    // The settings file's path, for messages and tests.
    static QString FilePath();

protected:
    bool Excluded(const QString& Name) const;

private:
    QString Group() const;
    // Calls Visit for every property that is stored, with its name and type.
    void ForEachStoredProperty(
        const std::function<void(const QMetaProperty&, const QString&, QMetaType::Type)>& Visit) const;

    QString FRegistryKey;
    bool FAutoLoad = true;
    QStringList FExcluded;
};

} // namespace app
