// Timeline publication: conversion of 50 messages plus the archive rewrite,
// against the floor of merely parsing and serialising the same JSON, and the
// archive load when a chat opens.
#include "telegram/TelegramClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

int createClient() { return 1; }
void sendNothing(int, const char *) {}
const char *receiveNothing(double) { return nullptr; }

QJsonObject formatted(const QString &text, const QJsonArray &entities = {})
{
    return QJsonObject{{"@type", "formattedText"}, {"text", text}, {"entities", entities}};
}

QJsonObject file(int id, const QString &path)
{
    return QJsonObject{{"@type", "file"}, {"id", id}, {"size", 48213},
                       {"local", QJsonObject{{"path", path}, {"is_downloading_completed", !path.isEmpty()}}}};
}

// A mix like a real bot conversation: formatted text with code and links,
// photos, documents, voice notes, replies and inline keyboards.
QJsonArray conversation(int count)
{
    QJsonArray messages;
    for (int i = 0; i < count; ++i) {
        QJsonObject content;
        switch (i % 5) {
        case 0:
            content = {{"@type", "messageText"},
                       {"text", formatted(QStringLiteral("Build #%1 finished: see https://ci.example.org/run/%1 and "
                                                         "the log below.\n```\nmake test\n```").arg(i),
                                          QJsonArray{QJsonObject{{"@type", "textEntity"}, {"offset", 23}, {"length", 30},
                                                                 {"type", QJsonObject{{"@type", "textEntityTypeUrl"}}}},
                                                     QJsonObject{{"@type", "textEntity"}, {"offset", 0}, {"length", 5},
                                                                 {"type", QJsonObject{{"@type", "textEntityTypeBold"}}}}})}};
            break;
        case 1:
            content = {{"@type", "messagePhoto"},
                       {"caption", formatted("A chart")},
                       {"photo", QJsonObject{{"sizes", QJsonArray{QJsonObject{{"type", "x"}, {"width", 800}, {"height", 600},
                                                                              {"photo", file(100 + i, "/tmp/p.png")}}}}}}};
            break;
        case 2:
            content = {{"@type", "messageDocument"},
                       {"caption", formatted("")},
                       {"document", QJsonObject{{"file_name", "report.pdf"}, {"mime_type", "application/pdf"},
                                                {"document", file(200 + i, "")}}}};
            break;
        case 3:
            content = {{"@type", "messageVoiceNote"},
                       {"caption", formatted("")},
                       {"voice_note", QJsonObject{{"duration", 4}, {"mime_type", "audio/ogg"}, {"voice", file(300 + i, "")}}}};
            break;
        default:
            content = {{"@type", "messageText"}, {"text", formatted(QStringLiteral("Plain reply number %1").arg(i))}};
        }
        QJsonObject message{{"@type", "message"}, {"id", 1000 + i}, {"chat_id", 42}, {"date", 1700000000 + i},
                            {"is_outgoing", i % 7 == 0}, {"content", content}};
        if (i % 6 == 0)
            message.insert("reply_markup",
                           QJsonObject{{"@type", "replyMarkupInlineKeyboard"},
                                       {"rows", QJsonArray{QJsonArray{QJsonObject{
                                                    {"text", "Approve"},
                                                    {"type", QJsonObject{{"@type", "inlineKeyboardButtonTypeCallback"},
                                                                         {"data", "YXBwcm92ZQ=="}}}}}}}});
        if (i % 4 == 1)
            message.insert("reply_to", QJsonObject{{"@type", "messageReplyToMessage"}, {"chat_id", 42},
                                                   {"message_id", 1000 + i - 1}});
        messages.append(message);
    }
    return messages;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures
{
    double publish, roundtrip, load;
};

Figures measure(const QString &base)
{
    TelegramClient::Options options;
    options.baseDirectory = base;
    options.library = TdJsonLibrary::fromFunctions(createClient, sendNothing, receiveNothing);
    QString error;
    auto client = TelegramClient::create(options, &error);
    client->selectBotChat(QStringLiteral("42"));

    const QJsonObject answer{{"@type", "messages"}, {"total_count", 50}, {"messages", conversation(50)}};
    const QByteArray text = QJsonDocument(answer).toJson(QJsonDocument::Compact);
    constexpr int rounds = 60;

    QList<double> publish, roundtrip, load;
    for (int i = 0; i < rounds; ++i) {
        // The receive loop parses the answer before it is handled: that is part of publication.
        QElapsedTimer t;
        t.start();
        client->handle(QJsonDocument::fromJson(text).object());
        publish.append(double(t.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();

        t.restart();
        const QByteArray again = QJsonDocument(QJsonDocument::fromJson(text).object()).toJson(QJsonDocument::Compact);
        roundtrip.append(double(t.nsecsElapsed()) / 1e6);
        Q_UNUSED(again);
    }
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        client->selectBotChat(QStringLiteral("42")); // reads the 50-message archive and publishes it
        load.append(double(t.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    return {median(publish), median(roundtrip), median(load)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The archive is written with QSaveFile, which syncs to disk on every
    // rewrite: measured once in memory (the work itself) and once on the disk
    // the user's data lives on (the same work plus the disk's sync latency).
    const QString memoryRoot = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir memoryDir(memoryRoot + QStringLiteral("/bench-timeline-XXXXXX"));
    QTemporaryDir diskDir(QDir::homePath() + QStringLiteral("/.cache/bench-timeline-XXXXXX"));
    const Figures memory = measure(memoryDir.path());
    const Figures disk = measure(diskDir.isValid() ? diskDir.path() : memoryDir.path());

    std::printf("timeline_publish_50_ms: %.3f ms\n", memory.publish);
    std::printf("json_roundtrip_50_ms: %.3f ms\n", memory.roundtrip);
    std::printf("archive_load_50_ms: %.3f ms\n", memory.load);
    std::printf("timeline_publish_over_json_floor: %.2f x\n", memory.publish / memory.roundtrip);
    std::printf("timeline_publish_50_synced_disk_ms: %.3f ms\n", disk.publish);
    std::printf("archive_load_50_synced_disk_ms: %.3f ms\n", disk.load);
    return 0;
}
