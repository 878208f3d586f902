#include "settings/SettingsStore.h"

#include "platform/AppPaths.h"
#include "settings/SettingsJson.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QSettings::Format jsonFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("json"), SettingsJson::read, SettingsJson::write, Qt::CaseSensitive);
    return format;
}

// A file that is there but cannot be read would be overwritten by the next
// change: keep it aside under a dated name so the user's settings can be
// recovered by hand.
void setAsideIfDamaged(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    file.close();
    if (!SettingsJson::isDamaged(data))
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".corrupt-") + stamp + u'-' + QString::number(n);
    QFile::rename(path, aside);
}

std::unique_ptr<QSettings> openJsonFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    setAsideIfDamaged(path);
    return std::make_unique<QSettings>(path, jsonFormat());
}

} // namespace

std::unique_ptr<SettingsStore> SettingsStore::openUserStore()
{
    const QString file = AppPaths::settingsFile();
    // No file: the platform's own preferences store.
    if (file.isEmpty())
        return std::unique_ptr<SettingsStore>(new SettingsStore(std::make_unique<QSettings>()));
    return std::make_unique<SettingsStore>(file);
}

SettingsStore::SettingsStore(const QString &jsonFilePath) : SettingsStore(openJsonFile(jsonFilePath)) {}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings) : m_settings(std::move(settings)) {}

QVariant SettingsStore::value(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key);
}

bool SettingsStore::contains(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

void SettingsStore::setString(const QString &key, const QString &value)
{
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(key, value);
    m_settings->sync();
}

void SettingsStore::setBool(const QString &key, bool value)
{
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(key, value);
    m_settings->sync();
}

void SettingsStore::remove(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
    m_settings->sync();
}

void SettingsStore::sync()
{
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
}

bool SettingsStore::plainBool(const QString &key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    // Like user defaults: numbers and the texts "YES"/"true"/"1" convert.
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return v.toDouble() != 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == u"yes" || s == u"true" || s.toInt() != 0;
    }
    return false;
}

bool SettingsStore::defaultTrueBool(const QString &key) const
{
    const QVariant v = value(key);
    return v.typeId() == QMetaType::Bool ? v.toBool() : true;
}

std::optional<QString> SettingsStore::string(const QString &key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

QString SettingsStore::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->fileName();
}
