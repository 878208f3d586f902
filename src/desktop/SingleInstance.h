#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// One running application per user and mode. The first start holds a lock
// file and listens on a local socket, both in the runtime folder; a later
// start finds the lock, asks the running one to show its window and is told
// to exit. A lock left by a crashed run is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        // This process runs the application.
        Primary,
        // Another process runs it and was asked to show its window.
        Secondary,
    };

    // key: a file-name-safe name of the mode; runtimeFolder: null for $XDG_RUNTIME_DIR
    // (or Qt's per-user fallback when it is unset).
    explicit SingleInstance(const QString &key, const QString &runtimeFolder = QString(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // The key of a mode: one demo per user, one real session per data folder.
    static QString keyFor(bool demo, const QString &dataFolder);

    Role claim();
    QString lockPath() const;
    QString socketPath() const;

signals:
    // A later start asked for the window.
    void showRequested();

private:
    bool listen();
    bool askRunningInstanceToShow() const;

    QString m_folder;
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
