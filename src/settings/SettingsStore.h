#pragma once

#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

// The one flat, persistent key-value store of user preferences. Strings and
// Booleans keep their types on disk (a JSON file on Linux, user defaults on
// macOS), so a Boolean stored as a string is told apart from a Boolean.
// Safe to use from any thread.
class SettingsStore
{
public:
    // The user's own store.
    static std::unique_ptr<SettingsStore> openUserStore();
    // A store in the given JSON file (tests and the demo use their own).
    explicit SettingsStore(const QString &jsonFilePath);

    // The stored value, or an invalid QVariant when the key is absent.
    QVariant value(const QString &key) const;
    bool contains(const QString &key) const;
    void setString(const QString &key, const QString &value);
    void setBool(const QString &key, bool value);
    void remove(const QString &key);
    void sync();

    // Absent or not convertible reads as false.
    bool plainBool(const QString &key) const;
    // Absent, or stored as anything but a Boolean, reads as true.
    bool defaultTrueBool(const QString &key) const;
    // A stored string, or nothing for an absent key or another type.
    std::optional<QString> string(const QString &key) const;

    QString fileName() const;

private:
    explicit SettingsStore(std::unique_ptr<QSettings> settings);
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};
