#pragma once

#include <QLibrary>
#include <QString>
#include <memory>

// libtdjson loaded by path at run time. Only its three JSON functions are used.
// Order: the TESSALY_TDJSON environment override, the project-local TDLib the
// build knows of, then the system's libtdjson.
class TdJsonLibrary
{
public:
    // The TDLib release whose JSON requests this client speaks.
    static constexpr const char *interfaceVersion = "1.8.67";
    using CreateClientId = int (*)();
    using Send = void (*)(int, const char *);
    using Receive = const char *(*)(double);
    using Execute = const char *(*)(const char *);

    // Loads the first library that works from the given candidates; on failure
    // returns null and sets error to a readable reason.
    static std::shared_ptr<TdJsonLibrary> load(const QStringList &candidates, QString *error);
    static std::shared_ptr<TdJsonLibrary> loadDefault(QString *error);
    static QStringList defaultCandidates();
    // A transport made of given functions (an in-process fake in tests).
    static std::shared_ptr<TdJsonLibrary> fromFunctions(CreateClientId create, Send send, Receive receive,
                                                        Execute execute = nullptr);

    int createClientId() const { return m_create(); }
    void send(int clientId, const char *request) const { m_send(clientId, request); }
    const char *receive(double timeout) const { return m_receive(timeout); }
    // Synchronous requests (log verbosity); absent in some builds.
    const char *execute(const char *request) const { return m_execute ? m_execute(request) : nullptr; }
    QString path() const { return m_library.fileName(); }

private:
    QLibrary m_library;
    CreateClientId m_create = nullptr;
    Send m_send = nullptr;
    Receive m_receive = nullptr;
    Execute m_execute = nullptr;
};
