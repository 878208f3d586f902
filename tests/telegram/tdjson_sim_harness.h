#pragma once

// Loads libtdjson-sim.so the way the application loads libtdjson (QLibrary,
// C entry points) and collects what td_receive hands out.

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <functional>
#include <optional>

namespace SimTest {

constexpr qint64 kShowcaseBot = 5000000101;
constexpr qint64 kMediaBot = 5000000102;
constexpr qint64 kServiceBot = 5000000103;

inline QJsonObject request(const char *type, QJsonObject fields = {})
{
    fields.insert("@type", QLatin1String(type));
    return fields;
}

inline QJsonObject textMessage(qint64 chat, const QString &text, const QString &extra)
{
    return request(
        "sendMessage",
        {{"chat_id", chat},
         {"topic_id", QJsonValue::Null},
         {"reply_to", QJsonValue::Null},
         {"options", QJsonValue::Null},
         {"reply_markup", QJsonValue::Null},
         {"input_message_content",
          request("inputMessageText",
                  {{"text", request("formattedText", {{"text", text}, {"entities", QJsonArray()}})},
                   {"link_preview_options", QJsonValue::Null},
                   {"clear_draft", true}})},
         {"@extra", extra}});
}

inline QJsonObject history(qint64 chat, bool onlyLocal, const QString &extra, qint64 from = 0,
                           qint64 offset = 0, qint64 limit = 50)
{
    return request("getChatHistory", {{"chat_id", chat},
                                      {"from_message_id", from},
                                      {"offset", offset},
                                      {"limit", limit},
                                      {"only_local", onlyLocal},
                                      {"@extra", extra}});
}

inline QString contentType(const QJsonObject &message)
{
    return message["content"].toObject()["@type"].toString();
}
inline QString messageText(const QJsonObject &message)
{
    return message["content"].toObject()["text"].toObject()["text"].toString();
}

} // namespace SimTest

class TdjsonSimHarness
{
public:
    using Match = std::function<bool(const QJsonObject &)>;

    bool load()
    {
        m_library.setFileName(QDir(qEnvironmentVariable("TESSALY_BIN_DIR")).filePath("libtdjson-sim.so"));
        if (!m_library.load())
            return false;
        m_create = reinterpret_cast<int (*)()>(m_library.resolve("td_create_client_id"));
        m_send = reinterpret_cast<void (*)(int, const char *)>(m_library.resolve("td_send"));
        m_receive = reinterpret_cast<const char *(*)(double)>(m_library.resolve("td_receive"));
        m_execute = reinterpret_cast<const char *(*)(const char *)>(m_library.resolve("td_execute"));
        m_configure = reinterpret_cast<void (*)(const char *)>(m_library.resolve("tdsim_configure"));
        return m_create && m_send && m_receive && m_execute && m_configure;
    }
    QString errorString() const { return m_library.errorString(); }

    // Forgets every client and queued answer, then applies the settings.
    void reset(QJsonObject settings = {})
    {
        settings.insert("command", "reset");
        configure(settings);
        m_pending.clear();
    }
    // The settings both simulator suites start each test with: quick timings,
    // no automatic scan, and an empty database folder.
    void resetForTest(const QString &folder)
    {
        reset({{"scan_delay_ms", "never"},
               {"send_delay_ms", 20},
               {"reply_delay_ms", 30},
               {"download_step_ms", 10},
               {"close_delay_ms", 10}});
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    void configure(const QJsonObject &object) { m_configure(QJsonDocument(object).toJson().constData()); }
    int createClient() { return m_create(); }
    void send(int client, const QJsonObject &request)
    {
        m_send(client, QJsonDocument(request).toJson().constData());
    }
    void sendRaw(int client, const char *text) { m_send(client, text); }
    QJsonObject execute(const char *request) { return QJsonDocument::fromJson(m_execute(request)).object(); }

    // Everything that arrives within the time, including what earlier waits skipped.
    QList<QJsonObject> drain(int milliseconds)
    {
        QList<QJsonObject> out = m_pending;
        m_pending.clear();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < milliseconds) {
            if (const char *text = m_receive(0.05))
                out.append(QJsonDocument::fromJson(text).object());
        }
        return out;
    }

    // The first object that matches; the ones before it stay available to later waits.
    std::optional<QJsonObject> waitFor(const Match &match, int timeoutMs = 3000)
    {
        for (qsizetype i = 0; i < m_pending.size(); ++i) {
            if (match(m_pending[i]))
                return m_pending.takeAt(i);
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            const char *text = m_receive(0.05);
            if (!text)
                continue;
            const QJsonObject object = QJsonDocument::fromJson(text).object();
            if (match(object))
                return object;
            m_pending.append(object);
        }
        return std::nullopt;
    }

    // The answer to the request sent with this "@extra".
    std::optional<QJsonObject> answer(const QString &extra, int timeoutMs = 3000)
    {
        return waitFor([extra](const QJsonObject &o) { return o.value("@extra").toString() == extra; },
                       timeoutMs);
    }
    std::optional<QJsonObject> authState(const QString &state, int timeoutMs = 3000)
    {
        return waitFor(
            [state](const QJsonObject &o) {
                return o.value("@type") == "updateAuthorizationState" &&
                       o.value("authorization_state").toObject().value("@type") == state;
            },
            timeoutMs);
    }
    std::optional<QJsonObject> update(const QString &type, const Match &also = {}, int timeoutMs = 3000)
    {
        return waitFor(
            [type, also](const QJsonObject &o) { return o.value("@type") == type && (!also || also(o)); },
            timeoutMs);
    }

    static QJsonObject parameters(const QString &folder, const QString &key)
    {
        return QJsonObject{{"@type", "setTdlibParameters"},
                           {"database_directory", QDir(folder).filePath("database")},
                           {"files_directory", QDir(folder).filePath("files")},
                           {"database_encryption_key", key},
                           {"use_file_database", true},
                           {"use_chat_info_database", true},
                           {"use_message_database", true},
                           {"use_secret_chats", false},
                           {"api_id", 12345},
                           {"api_hash", "0123456789abcdef"},
                           {"system_language_code", "en"},
                           {"device_model", "Tessaly"},
                           {"system_version", "Linux"},
                           {"application_version", "1.0"},
                           {"@extra", "parameters"}};
    }

    // A client signed in through the QR code (scanned at once, no password).
    int signIn(const QString &folder, const QString &key = QStringLiteral("a2V5"))
    {
        configure(QJsonObject{{"scan_delay_ms", 0}, {"password", QJsonValue::Null}});
        const int client = createClient();
        send(client, parameters(folder, key));
        if (!authState("authorizationStateWaitPhoneNumber") || !answer("parameters"))
            return 0;
        send(client, QJsonObject{{"@type", "requestQrCodeAuthentication"}, {"other_user_ids", QJsonArray()}});
        return authState("authorizationStateReady") ? client : 0;
    }

    // The chat's history as the server has it, newest first.
    QList<QJsonObject> historyOf(int client, qint64 chat)
    {
        send(client, SimTest::history(chat, false, "history"));
        const auto reply = answer("history");
        QList<QJsonObject> messages;
        for (const QJsonValue &m : reply.value_or(QJsonObject())["messages"].toArray())
            messages.append(m.toObject());
        return messages;
    }

private:
    QLibrary m_library;
    int (*m_create)() = nullptr;
    void (*m_send)(int, const char *) = nullptr;
    const char *(*m_receive)(double) = nullptr;
    const char *(*m_execute)(const char *) = nullptr;
    void (*m_configure)(const char *) = nullptr;
    QList<QJsonObject> m_pending;
};
