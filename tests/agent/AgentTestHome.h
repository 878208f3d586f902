#pragma once

#include "agent/PeekabooBridge.h"
#include "agent/PeekabooLog.h"
#include "platform/SecretStore.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// A throw-away home folder with the fake Peekaboo installed where npx caches
// packages, its own temporary folder, settings, secrets and activity log.
// The fake is reached through the ordinary lookup.
class AgentTestHome
{
public:
    AgentTestHome()
    {
        QDir root(m_root.path());
        for (const char *folder : {"home", "tmp", "fake", "log"})
            root.mkpath(QString::fromLatin1(folder));
        m_home = root.filePath("home");
        const QString cached = m_home + "/.npm/_npx/4f1c2e/node_modules/@fennick/peekaboo";
        QDir().mkpath(cached);
        QFile::link(QStringLiteral(TESSALY_FAKES_DIR "/peekaboo"), cached + "/peekaboo");
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("TMPDIR", QFile::encodeName(root.filePath("tmp")));
        qputenv("FAKE_PEEKABOO_DIR", QFile::encodeName(root.filePath("fake")));
        settings = std::make_unique<SettingsStore>(root.filePath("settings.json"));
        log = std::make_unique<PeekabooLog>(root.filePath("log/peekaboo.log"));
    }

    std::unique_ptr<PeekabooBridge> bridge(PeekabooBridge::Options options = {})
    {
        options.home = m_home;
        options.pollInterval = std::chrono::milliseconds(100);
        return std::make_unique<PeekabooBridge>(*settings, secrets, *log, options);
    }

    QString home() const { return m_home; }
    QString root() const { return m_root.path(); }
    QString tempFolder() const { return m_root.filePath("tmp"); }

    // What the fake answers, per command ("agent", "key-test", "provider-add", …).
    void script(const QJsonObject &scenario)
    {
        QFile file(m_root.filePath("fake/scenario.json"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(scenario).toJson());
    }

    // One object per start of the fake: argv, command, cwd, env, stdout, stderr.
    QList<QJsonObject> calls() const
    {
        QList<QJsonObject> list;
        QFile file(m_root.filePath("fake/calls.jsonl"));
        if (!file.open(QIODevice::ReadOnly))
            return list;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty())
                list << QJsonDocument::fromJson(line).object();
        }
        return list;
    }
    void forgetCalls() { QFile::remove(m_root.filePath("fake/calls.jsonl")); }

    QStringList temporaryFiles() const { return QDir(tempFolder()).entryList(QDir::Files | QDir::Hidden); }

    // Every file under the root that contains the text, except the fake's own record.
    QStringList filesContaining(const QByteArray &text) const
    {
        QStringList found;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith("fake/calls.jsonl"))
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text))
                found << path;
        }
        return found;
    }

    std::unique_ptr<SettingsStore> settings;
    InMemorySecretStore secrets;
    std::unique_ptr<PeekabooLog> log;

private:
    QTemporaryDir m_root;
    QString m_home;
};
