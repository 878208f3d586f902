#pragma once

#include "SimClient.h"
#include "SimConfig.h"
#include "SimOutbox.h"
#include "SimScheduler.h"

#include <QByteArray>
#include <QJsonObject>
#include <atomic>
#include <map>
#include <memory>

// The process-wide simulator behind the exported C functions: the client ids,
// the shared answer queue and the worker thread on which every client runs.
class Simulator
{
public:
    static Simulator &instance();

    int createClientId();
    void send(int clientId, QByteArray request);
    const char *receive(double timeoutSeconds) { return m_outbox.receive(timeoutSeconds); }
    void configure(const QByteArray &json);
    // td_execute: the synchronous requests (log settings); the rest are refused as TDLib does.
    static QByteArray execute(const QByteArray &request);

private:
    Simulator();
    void apply(const QJsonObject &object);
    void runCommand(const QJsonObject &command);
    std::shared_ptr<SimClient> target(const QJsonObject &command) const;
    void reset();

    std::atomic<int> m_nextClientId{1};
    SimOutbox m_outbox;
    SimConfig m_config;                                  // worker thread only
    std::map<int, std::shared_ptr<SimClient>> m_clients; // worker thread only
    SimScheduler m_scheduler;
};
