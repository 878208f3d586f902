// The scripted histories of the demo bots. Together they hold every kind of
// message the window renders: formatted text with every entity kind, code in
// several languages, a Mermaid diagram, link rows, notices, status lists, inline
// keyboards, replies, every media kind, service messages, gifts, checklists,
// rich messages and content the application cannot show.

#include "SimBotBrain.h"
#include "SimContent.h"
#include "SimWorld.h"

using namespace SimContent;

namespace {

class Script
{
public:
    Script(SimWorld &world, SimChat &chat, qint64 start) : m_world(world), m_chat(chat), m_date(start) {}

    qint64 bot(const QJsonObject &content, const QJsonObject &markup = {}, const QJsonObject &reply = {})
    {
        return add(m_chat.botUserId, content, markup, reply);
    }
    qint64 me(const QJsonObject &content, const QJsonObject &reply = {})
    {
        return add(SimWorld::kMyUserId, content, {}, reply);
    }
    SimFiles &files() { return m_world.files(); }
    qint64 chatId() const { return m_chat.id; }
    qint64 date() const { return m_date; }

private:
    qint64 add(qint64 sender, const QJsonObject &content, const QJsonObject &markup, const QJsonObject &reply)
    {
        m_date += 97;
        return m_world.addMessage(m_chat, sender, content, m_date, reply, markup).value("id").toInteger();
    }

    SimWorld &m_world;
    SimChat &m_chat;
    qint64 m_date;
};

void showcase(Script &s)
{
    s.bot(text(QStringLiteral(
        "**Welcome to Tessaly!** 👋\nI am a demo bot living in the built-in Telegram simulator. "
        "Try /help, /code, /mermaid, /status, /notices, /links, /photo, /pdf, /voice or /keyboard, or just "
        "say hi.")));
    const qint64 question = s.me(text(QStringLiteral("Show me what you can do")));
    s.bot(text(QStringLiteral(
        "Here is **bold**, __italic__ and `inline code`. A bare address: https://core.telegram.org/tdlib "
        "and a [text link](https://telegram.org). Mentions like @tessaly_demo_bot stay plain.")));
    s.bot(text(QStringLiteral("Python, with a comment that holds a \"string\":\n"
                              "```python\n"
                              "def greet(name):\n"
                              "    # say \"hello\" politely\n"
                              "    if name is None:\n"
                              "        return 'Hello, stranger'\n"
                              "    return f\"Hello, {name}! You have {3 + 4} new messages.\"\n"
                              "```")));
    s.bot(text(QStringLiteral("The same in C++ and a config file:\n"
                              "```cpp\n"
                              "#include <iostream>\n"
                              "int main() {\n"
                              "    std::cout << \"Hello, Tessaly\" << std::endl; // 42\n"
                              "    return 0;\n"
                              "}\n"
                              "```\n"
                              "```json\n"
                              "{\"window\": {\"width\": 365, \"height\": 420, \"floating\": true}}\n"
                              "```\n"
                              "And a plain block without a language:\n"
                              "```\n"
                              "$ make run\n"
                              "No Telegram API credentials configured: starting the demo.\n"
                              "```")));
    s.bot(text(QStringLiteral("How a /mac task travels:\n"
                              "```mermaid\n"
                              "graph TD\n"
                              "  A[Phone] -->|/mac lock the screen| B(Tessaly)\n"
                              "  B --> C{Approve?}\n"
                              "  C -->|Allow| D[Run on the Mac]\n"
                              "  C -->|Cancel| E[Mac task cancelled]\n"
                              "```")));
    s.bot(text(QStringLiteral("Useful links:\n[Documentation](https://core.telegram.org/tdlib/docs) · "
                              "[Source](https://github.com/tdlib/td)")));
    s.bot(text(QStringLiteral("Service status\n🔴 Database backup failed\n🟣 Search index rebuilding\n"
                              "🟣 Mail queue draining")));
    s.bot(text(QStringLiteral("Reminder\nStand-up in 10 minutes.\nBring the release checklist.")));
    s.bot(text(QStringLiteral("Cronjob Response: Nightly backup\n---\nBackup finished in 4 minutes.\n"
                              "To stop or manage this job, reply /jobs.")));
    const qint64 task = s.me(text(QStringLiteral("/mac lock the screen in 5 minutes")));
    s.me(text(QStringLiteral("Scheduled lock the screen for 9:30 PM. Keep this app running.")),
         replyTo(s.chatId(), task));
    s.me(text(QStringLiteral("✓ Mac task finished\n\nThe screen is locked.")), replyTo(s.chatId(), task));
    s.bot(text(QStringLiteral("⚠️ Disk almost full\nOnly 2 GB left on the system volume.")));
    s.bot(text(QStringLiteral("The Mac agent is waiting for your approval on the Mac.")));
    s.bot(text(QStringLiteral("Things to try next:\n- Send a photo or a PDF\n- Record a voice note\n"
                              "1. Press a button below\n2) Reply to any message")));
    s.me(text(QStringLiteral("👍 Things to try next")));
    s.bot(text(QStringLiteral("You asked what I can do: everything above, and the buttons below.")), {},
          replyTo(s.chatId(), question, QStringLiteral("what you can do")));
    s.bot(text(QStringLiteral("Pick an action:")), SimBotBrain::actionKeyboard(0));
}

void media(Script &s)
{
    SimFiles &f = s.files();
    s.bot(text(QStringLiteral("Here is every kind of file I can send.")));
    s.bot(photo(f, QStringLiteral("photo.png"), 640, 400, QStringLiteral("**Sunset** over the hills")));
    s.bot(photo(f, QStringLiteral("photo.png"), 640, 400));
    s.bot(document(f, QStringLiteral("report.pdf"), QStringLiteral("report.pdf"),
                   QStringLiteral("application/pdf"), QStringLiteral("This week's report")));
    s.bot(document(f, QStringLiteral("report.pdf"), QStringLiteral("SCAN-0042.PDF"),
                   QStringLiteral("application/octet-stream")));
    s.bot(document(f, QStringLiteral("release-notes.md"), QStringLiteral("release-notes.md"),
                   QStringLiteral("text/markdown")));
    s.bot(audio(f, QStringLiteral("chime.wav"), QStringLiteral("Chime"), QStringLiteral("Tessaly"),
                QStringLiteral("chime.wav"), 1));
    s.bot(voiceNote(f, QStringLiteral("voice.ogg"), 3));
    s.me(text(QStringLiteral("Nice, and a video?")));
    s.bot(video(f, QStringLiteral("clip.mp4"), QStringLiteral("test-pattern.mp4"),
                QStringLiteral("A test pattern")));
    s.bot(videoNote(f, QStringLiteral("clip.mp4")));
    s.bot(animation(f, QStringLiteral("clip.mp4"), QStringLiteral("loop.mp4")));
    s.bot(sticker(f, QStringLiteral("sticker.png"), QStringLiteral("😀")));
    s.bot(animatedEmoji(QStringLiteral("🎉")));
    s.bot(location(52.5200, 13.4050));
    s.bot(venue(48.8584, 2.2945, QStringLiteral("Eiffel Tower"), QStringLiteral("Champ de Mars, Paris")));
    s.bot(contact(QStringLiteral("+15550100"), QStringLiteral("Alice"), QStringLiteral("Example"),
                  SimWorld::kAliceUserId));
    s.bot(poll(QStringLiteral("Which release name?"), {QStringLiteral("Aurora"), QStringLiteral("Borealis")},
               {7, 3}));
    s.bot(dice(QStringLiteral("🎲"), 5));
}

void service(Script &s)
{
    SimFiles &f = s.files();
    const qint64 welcome = s.bot(text(QStringLiteral("Account notices and gifts land here.")));
    s.bot(pinMessage(welcome));
    s.bot(customServiceAction(QStringLiteral("Service Bot joined the beta channel")));
    s.bot(screenshotTaken());
    s.bot(gift(f, QStringLiteral("🎁"), 50, s.chatId(), SimWorld::kMyUserId,
               QStringLiteral("Happy **birthday**!")));
    s.bot(upgradedGift(QStringLiteral("Plush Pepe"), QStringLiteral("Frog King"), SimWorld::kMyUserId));
    s.bot(giftedPremium(s.chatId(), SimWorld::kMyUserId, 3));
    s.bot(giftedStars(s.chatId(), SimWorld::kMyUserId, 500));
    s.bot(giveawayWinners(s.chatId(), 5));
    s.bot(checklist(QStringLiteral("Release checklist"),
                    {{QStringLiteral("Tag the build"), true},
                     {QStringLiteral("Write the notes"), true},
                     {QStringLiteral("Announce it"), false}},
                    s.date()));
    s.bot(richMessage(QJsonArray{richHeader(QStringLiteral("Weekly digest")),
                                 richParagraph(QStringLiteral("Three things happened this week:")),
                                 richList({QStringLiteral("Faster start-up"), QStringLiteral("Voice notes"),
                                           QStringLiteral("Dark theme")})}));
    s.bot(paidMediaPhoto(f, QStringLiteral("photo.png"), 25, QStringLiteral("Exclusive wallpaper")));
    s.bot(story(s.chatId(), 7));
    s.bot(expiredPhoto());
    s.bot(call(42));
    s.bot(unsupported());
}

} // namespace

void SimDemoHistory::populate(SimWorld &world, SimChat &chat, qint64 now)
{
    Script script(world, chat, now - 2 * 86400);
    if (chat.demo == QLatin1String("showcase"))
        showcase(script);
    else if (chat.demo == QLatin1String("media"))
        media(script);
    else if (chat.demo == QLatin1String("service"))
        service(script);
    // Shift the history so that it ends a few minutes ago: the demo chats are the freshest.
    if (chat.messages.isEmpty())
        return;
    const qint64 shift = now - 240 - chat.messages.last().value("date").toInteger();
    for (QJsonObject &message : chat.messages)
        message.insert("date", message.value("date").toInteger() + shift);
}
