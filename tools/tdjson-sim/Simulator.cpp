#include "Simulator.h"

#include <QJsonArray>
#include <QJsonDocument>

Simulator &Simulator::instance()
{
    // Never destroyed: the host's receive thread may still wait in td_receive
    // while the process exits, and must not find the queue torn down.
    static Simulator *simulator = new Simulator;
    return *simulator;
}

Simulator::Simulator()
{
    const QByteArray fromEnvironment = qgetenv("TDSIM_CONFIG");
    if (!fromEnvironment.isEmpty())
        configure(fromEnvironment);
}

int Simulator::createClientId()
{
    const int id = m_nextClientId++;
    m_scheduler.post([this, id] {
        auto sink = [this, id](const QJsonObject &object) {
            QJsonObject out = object;
            out.insert("@client_id", id);
            m_outbox.push(QJsonDocument(out).toJson(QJsonDocument::Compact));
        };
        m_clients[id] = std::make_shared<SimClient>(id, m_scheduler, m_config, sink);
    });
    return id;
}

void Simulator::send(int clientId, QByteArray request)
{
    m_scheduler.post([this, clientId, request = std::move(request)] {
        const auto it = m_clients.find(clientId);
        if (it != m_clients.end())
            it->second->handle(request);
    });
}

void Simulator::configure(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    if (object.isEmpty())
        return;
    m_scheduler.runAndWait([this, &object] { apply(object); });
}

void Simulator::apply(const QJsonObject &object)
{
    // A reset comes first so that settings in the same object survive it.
    const bool resetFirst = object.value("command").toString() == QLatin1String("reset");
    if (resetFirst)
        reset();
    m_config.apply(object);
    if (object.value("command").isString() && !resetFirst)
        runCommand(object);
    for (const QJsonValue &command : object.value("commands").toArray()) {
        if (command.toObject().value("command").toString() == QLatin1String("reset"))
            reset();
        else
            runCommand(command.toObject());
    }
}

std::shared_ptr<SimClient> Simulator::target(const QJsonObject &command) const
{
    if (command.contains("client_id")) {
        const auto it = m_clients.find(command.value("client_id").toInt());
        return it == m_clients.end() ? nullptr : it->second;
    }
    for (auto it = m_clients.rbegin(); it != m_clients.rend(); ++it) {
        if (!it->second->isClosed())
            return it->second;
    }
    return nullptr;
}

void Simulator::runCommand(const QJsonObject &command)
{
    const QString name = command.value("command").toString();
    const auto client = target(command);
    if (!client)
        return;
    if (name == QLatin1String("scan"))
        client->scan();
    else if (name == QLatin1String("expire_qr"))
        client->expireQr();
    else if (name == QLatin1String("inject_message"))
        client->injectIncoming(command);
    else if (name == QLatin1String("inject_outgoing"))
        client->injectOutgoing(command);
    else if (name == QLatin1String("delete_messages"))
        client->deleteFromOtherSide(command);
    else if (name == QLatin1String("chat_action"))
        client->chatAction(command);
}

void Simulator::reset()
{
    m_clients.clear();
    m_scheduler.clear();
    m_outbox.clear();
    m_config = SimConfig();
}

QByteArray Simulator::execute(const QByteArray &request)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request, &parseError);
    QJsonObject answer{{"@type", "error"}, {"code", 400}};
    if (parseError.error != QJsonParseError::NoError) {
        answer.insert("message",
                      QStringLiteral("Failed to parse request as JSON object: ") + parseError.errorString());
    } else if (!document.isObject()) {
        answer.insert("message", QStringLiteral("Expected a JSON object"));
    } else {
        const QJsonObject object = document.object();
        const QString type = object.value("@type").toString();
        if (!object.value("@type").isString()) {
            answer.insert(
                "message",
                QStringLiteral("Failed to parse JSON object as TDLib request: Can't find field \"@type\""));
        } else if (type == QLatin1String("setLogVerbosityLevel") || type == QLatin1String("setLogStream") ||
                   type == QLatin1String("setLogTagVerbosityLevel") ||
                   type == QLatin1String("addLogMessage")) {
            answer = QJsonObject{{"@type", "ok"}};
        } else if (type == QLatin1String("getLogVerbosityLevel")) {
            answer = QJsonObject{{"@type", "logVerbosityLevel"}, {"verbosity_level", 1}};
        } else {
            answer.insert("message", QStringLiteral("The method can't be executed synchronously"));
        }
        if (object.contains("@extra"))
            answer.insert("@extra", object.value("@extra"));
    }
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}
