#include "SimBotBrain.h"

#include "SimContent.h"
#include "SimMarkup.h"

#include <QDateTime>
#include <QJsonArray>

using namespace SimContent;

namespace {

SimBotMessage say(const QString &markup, const QJsonObject &keyboard = {})
{
    return {text(markup), keyboard, 0};
}

// Texts the application itself posts for Mac tasks; the bot leaves them alone.
bool isMacTraffic(const QString &text)
{
    static const QStringList prefixes = {QStringLiteral("/mac"),
                                         QStringLiteral("✓ Mac task"),
                                         QStringLiteral("✕ Mac task"),
                                         QStringLiteral("■ Mac task"),
                                         QStringLiteral("▸ Mac task"),
                                         QStringLiteral("⚠️"),
                                         QStringLiteral("Scheduled "),
                                         QStringLiteral("Mac access is off"),
                                         QStringLiteral("A Mac task is"),
                                         QStringLiteral("Send a task after /mac"),
                                         QStringLiteral("Peekaboo is not installed"),
                                         QStringLiteral("The Mac agent has no credential")};
    for (const QString &prefix : prefixes) {
        if (text.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QJsonObject helpKeyboard()
{
    return inlineKeyboard({{{QStringLiteral("Code"), QStringLiteral("data:cmd:/code")},
                            {QStringLiteral("Diagram"), QStringLiteral("data:cmd:/mermaid")},
                            {QStringLiteral("Status"), QStringLiteral("data:cmd:/status")}},
                           {{QStringLiteral("Photo"), QStringLiteral("data:cmd:/photo")},
                            {QStringLiteral("PDF"), QStringLiteral("data:cmd:/pdf")},
                            {QStringLiteral("Voice"), QStringLiteral("data:cmd:/voice")}}});
}

QList<SimBotMessage> command(SimWorld &world, const QString &name)
{
    SimFiles &files = world.files();
    if (name == QLatin1String("/start") || name == QLatin1String("/help")) {
        return {say(
            QStringLiteral("**Commands**\n/code — code in several languages\n/mermaid — a diagram\n"
                           "/status — a status list\n/notices — notice banners\n/links — link buttons\n"
                           "/photo, /pdf, /voice, /audio — files\n/keyboard — buttons that edit messages\n"
                           "/checklist, /poll — more message kinds"),
            helpKeyboard())};
    }
    if (name == QLatin1String("/code")) {
        return {
            say(QStringLiteral("```javascript\nconst total = [1, 2, 3].reduce((a, b) => a + b, 0); // 6\n"
                               "console.log(`total: ${total}`);\n```")),
            say(QStringLiteral("```bash\nfor f in *.log; do\n  gzip \"$f\"  # keep 10 days\ndone\n```")),
            say(QStringLiteral("```sql\nSELECT title, unread_count FROM chats WHERE unread_count > 0;\n```")),
            say(QStringLiteral("```rust\nfn main() {\n    println!(\"{}\", 40 + 2);\n}\n```"))};
    }
    if (name == QLatin1String("/mermaid")) {
        return {say(QStringLiteral(
            "```mermaid\nsequenceDiagram\n  participant P as Phone\n  participant T as Tessaly\n"
            "  P->>T: /mac open Safari\n  T->>T: ask for approval\n"
            "  T-->>P: ✓ Mac task finished\n```"))};
    }
    if (name == QLatin1String("/status"))
        return {say(QStringLiteral(
            "Deploy status\n🟣 api-1 healthy\n🟣 api-2 healthy\n🔴 worker-3 restarting"))};
    if (name == QLatin1String("/notices")) {
        return {
            say(QStringLiteral("Reminder\nWater the plants.")),
            say(QStringLiteral("Cronjob Response: Disk report\n---\n/ is 71 % full.\n/home is 38 % full.")),
            say(QStringLiteral("⚠️ Certificate expires in 3 days\nRenew it before Friday.")),
            say(QStringLiteral("Mac agent waiting for the screen to unlock…"))};
    }
    if (name == QLatin1String("/links")) {
        return {say(
            QStringLiteral("[Telegram](https://telegram.org) · [TDLib](https://core.telegram.org/tdlib) | "
                           "[Qt](https://www.qt.io)"))};
    }
    if (name == QLatin1String("/photo"))
        return {
            {photo(files, QStringLiteral("photo.png"), 640, 400, QStringLiteral("Fresh from the simulator")),
             {},
             0}};
    if (name == QLatin1String("/pdf")) {
        return {{document(files, QStringLiteral("report.pdf"), QStringLiteral("weekly-report.pdf"),
                          QStringLiteral("application/pdf"), QStringLiteral("The weekly report")),
                 {},
                 0}};
    }
    if (name == QLatin1String("/voice"))
        return {{voiceNote(files, QStringLiteral("voice.ogg"), 3), {}, 0}};
    if (name == QLatin1String("/audio")) {
        return {{audio(files, QStringLiteral("chime.wav"), QStringLiteral("Chime"), QStringLiteral("Tessaly"),
                       QStringLiteral("chime.wav"), 1),
                 {},
                 0}};
    }
    if (name == QLatin1String("/keyboard"))
        return {say(QStringLiteral("Pick an action:"), SimBotBrain::actionKeyboard(0))};
    if (name == QLatin1String("/checklist")) {
        return {{checklist(QStringLiteral("Groceries"),
                           {{QStringLiteral("Milk"), true}, {QStringLiteral("Bread"), false}},
                           QDateTime::currentSecsSinceEpoch()),
                 {},
                 0}};
    }
    if (name == QLatin1String("/poll"))
        return {{poll(QStringLiteral("Tea or coffee?"), {QStringLiteral("Tea"), QStringLiteral("Coffee")},
                      {4, 6}),
                 {},
                 0}};
    return {say(QStringLiteral("I don't know %1. Try /help.").arg(name))};
}

QJsonObject echo(const QString &userText)
{
    const QString prefix = QStringLiteral("Echo: ");
    QJsonArray entities{QJsonObject{{"@type", "textEntity"},
                                    {"offset", 0},
                                    {"length", prefix.size() - 1},
                                    {"type", QJsonObject{{"@type", "textEntityTypeBold"}}}}};
    for (const QJsonValue &e : SimMarkup::detectEntities(userText)) {
        QJsonObject shifted = e.toObject();
        shifted["offset"] = shifted["offset"].toInteger() + prefix.size();
        entities.append(shifted);
    }
    return QJsonObject{{"@type", "messageText"},
                       {"text", SimMarkup::formattedText(prefix + userText, entities)}};
}

} // namespace

QJsonObject SimBotBrain::actionKeyboard(int likes)
{
    return inlineKeyboard(
        {{{QStringLiteral("👍 Like (%1)").arg(likes), QStringLiteral("data:like")},
          {QStringLiteral("🔄 Refresh"), QStringLiteral("data:refresh")}},
         {{QStringLiteral("💬 Tell me a joke"), QStringLiteral("data:joke")},
          {QStringLiteral("❓ Help"), QStringLiteral("data:help")}},
         {{QStringLiteral("Open the TDLib site"), QStringLiteral("https://core.telegram.org/tdlib")}}});
}

QList<SimBotMessage> SimBotBrain::answer(SimWorld &world, SimChat &chat, const QJsonObject &userMessage)
{
    Q_UNUSED(chat);
    const QJsonObject content = userMessage.value("content").toObject();
    const QString type = content.value("@type").toString();
    const qint64 messageId = userMessage.value("id").toInteger();
    if (type == QLatin1String("messageText")) {
        const QString body = content.value("text").toObject().value("text").toString().trimmed();
        if (body.isEmpty() || isMacTraffic(body))
            return {};
        if (body.startsWith('/'))
            return command(world, body.section(' ', 0, 0).section('@', 0, 0).toLower());
        for (const QString &reaction :
             {QStringLiteral("👍 "), QStringLiteral("❤️ "), QStringLiteral("❤ ")}) {
            if (body.startsWith(reaction))
                return {say(QStringLiteral("Thanks for the %1!").arg(reaction.trimmed()))};
        }
        if (body.startsWith(QStringLiteral("👎 ")))
            return {say(QStringLiteral("Sorry about that. I'll try to do better."))};
        const QString lower = body.toLower();
        if (lower == QLatin1String("hi") || lower == QLatin1String("hello") ||
            lower.startsWith(QLatin1String("hi ")))
            return {say(QStringLiteral("Hello! 👋 Send /help to see what I can show you."))};
        return {{echo(body), {}, messageId}};
    }
    const QString caption = content.value("caption").toObject().value("text").toString();
    const QString about =
        caption.isEmpty() ? QString() : QStringLiteral(" with the caption “%1”").arg(caption);
    if (type == QLatin1String("messagePhoto"))
        return {{text(QStringLiteral("Nice picture%1!").arg(about)), {}, messageId}};
    if (type == QLatin1String("messageDocument")) {
        const QString name = content.value("document").toObject().value("file_name").toString();
        return {{text(QStringLiteral("Got your document “%1”%2.").arg(name, about)), {}, messageId}};
    }
    if (type == QLatin1String("messageVoiceNote")) {
        const int seconds = content.value("voice_note").toObject().value("duration").toInt();
        return {{text(QStringLiteral("Got your voice message (%1 s).").arg(seconds)), {}, messageId}};
    }
    return {{text(QStringLiteral("Got it.")), {}, messageId}};
}

std::optional<SimCallbackOutcome> SimBotBrain::callback(SimWorld &world, SimChat &chat,
                                                        const QJsonObject &message, const QString &payload)
{
    SimCallbackOutcome outcome;
    if (payload == QLatin1String("like")) {
        ++chat.likeCount;
        outcome.answerText = QStringLiteral("Liked!");
        outcome.newMarkup = actionKeyboard(chat.likeCount);
    } else if (payload == QLatin1String("refresh")) {
        outcome.answerText = QStringLiteral("Refreshed");
        const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
        outcome.newContent = text(QStringLiteral("Pick an action: (refreshed at %1)").arg(time));
    } else if (payload == QLatin1String("joke")) {
        outcome.messages.append(
            {text(QStringLiteral("Why do programmers prefer dark mode? Because light attracts "
                                 "__bugs__.")),
             {},
             message.value("id").toInteger()});
    } else if (payload == QLatin1String("help")) {
        outcome.answerText =
            QStringLiteral("Like edits the buttons, Refresh edits the text, the joke is a new message.");
        outcome.showAlert = true;
    } else if (payload.startsWith(QLatin1String("cmd:/"))) {
        outcome.messages = command(world, payload.mid(4));
    } else {
        return std::nullopt;
    }
    return outcome;
}
