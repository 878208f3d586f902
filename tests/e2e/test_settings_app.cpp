// End to end: the settings window driven through the real controller, the
// Telegram simulator and the fake Peekaboo agent.
#include "agent/MacAccess.h"
#include "agent/PeekabooKeychain.h"
#include "agent/PeekabooLog.h"
#include "app/SettingsPresenter.h"
#include "app/WindowPresence.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/MacAccessSlider.h"
#include "ui/SettingsCardView.h"
#include "ui/SettingsWindowController.h"
#include "ui/ThemedSegmentedControl.h"
#include "ui/ThemedSwitch.h"

#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray demoChat = "5000000101";
const QString accessOff = QStringLiteral(
    "Mac access is off. Turn on Read only or Full access with /mac, or in Settings → Mac access.");

} // namespace

class TestSettingsApp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    std::unique_ptr<AppHarness> m_h;
    QSet<QString> m_history;

    // Signed in, the demo bot selected, its history loaded, the settings window open.
    SettingsWindowController &start(MacAccessLevel level)
    {
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0,"bot_replies":false})");
        AppHarness &h = *m_h;
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!h.app->botChats().isEmpty(), 10000);
        }();
        for (const BotConversation &bot : h.app->botChats())
            if (bot.id == QString::fromLatin1(demoChat))
                h.app->selectBot(bot);
        const auto historyLoaded = [&] {
            for (const BotMessage &message : h.app->telegramMessages())
                if (message.isOutgoing && message.text.startsWith("/mac "))
                    return true;
            return false;
        };
        [&] { QTRY_VERIFY_WITH_TIMEOUT(historyLoaded(), 10000); }();
        for (const BotMessage &message : h.app->telegramMessages())
            m_history.insert(message.id);
        h.app->macAccess()->setMacAccess(level);
        h.app->openSettings();
        return *window();
    }
    SettingsWindowController *window() const { return m_h->app->settingsPresenter()->window(); }

    void inject(const QString &text)
    {
        AppHarness::configure(QJsonDocument(QJsonObject{{"command", "inject_outgoing"},
                                                        {"chat_id", demoChat.toLongLong()},
                                                        {"text", text}})
                                  .toJson(QJsonDocument::Compact));
    }
    bool sentStartingWith(const QString &prefix) const
    {
        for (const BotMessage &message : m_h->app->telegramMessages())
            if (message.isOutgoing && !m_history.contains(message.id) && message.text.startsWith(prefix))
                return true;
        return false;
    }
    QStringList filesContaining(const QByteArray &text) const
    {
        QStringList found;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!path.endsWith("fake/calls.jsonl") && file.open(QIODevice::ReadOnly) &&
                file.readAll().contains(text))
                found << path;
        }
        return found;
    }

private slots:
    void init()
    {
        QDir root(m_root.path());
        for (const char *folder : {"home", "tmp", "fake", "state"})
            root.mkpath(QString::fromLatin1(folder));
        const QString cached = root.filePath("home/.npm/_npx/4f1c2e/node_modules/@fennick/peekaboo");
        QDir().mkpath(cached);
        QFile::link(QStringLiteral(TESSALY_FAKES_DIR "/peekaboo"), cached + "/peekaboo");
        qputenv("HOME", QFile::encodeName(root.filePath("home")));
        qputenv("TMPDIR", QFile::encodeName(root.filePath("tmp")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(root.filePath("state")));
        qputenv("FAKE_PEEKABOO_DIR", QFile::encodeName(root.filePath("fake")));
        m_history.clear();
    }
    void cleanup()
    {
        m_h.reset();
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
    }

    void sliderLowersAccessAtOnce()
    {
        SettingsWindowController &settings = start(MacAccessLevel::full);
        settings.applyTab(SettingsWindowController::macAgent);
        QCOMPARE(settings.macSlider()->level(), MacAccessLevel::full);
        // The status line comes from the tool itself (here the fake, in npx's cache).
        QTRY_COMPARE_WITH_TIMEOUT(settings.statusLabel()->text(),
                                  QString("Peekaboo is ready (installed, permissions granted)."),
                                  10000);

        // A task already waiting for approval is refused once access is off.
        inject("/mac describe the screen");
        QTRY_COMPARE_WITH_TIMEOUT(m_h->alerts.pending.size(), 1, 10000);
        QTest::mouseClick(settings.macSlider(), Qt::LeftButton, {}, QPoint(5, 13));
        QCOMPARE(m_h->app->macAccess()->macAccessLevel(), MacAccessLevel::off);
        QCOMPARE(m_h->settings->string("macAccessLevel"), std::optional<QString>("off"));
        QCOMPARE(m_h->app->botFace()->statusText(), QString("Mac access: no access."));
        m_h->alerts.answerPending(ScriptedAlerts::button(0));
        QTRY_VERIFY_WITH_TIMEOUT(sentStartingWith(accessOff), 10000);

        // A new "/mac" from the chat gets the access-off reply without a question.
        const qsizetype asked = m_h->alerts.presented.size();
        inject("/mac open the downloads folder");
        QTRY_VERIFY_WITH_TIMEOUT(sentStartingWith("/mac open the downloads folder"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                int count = 0;
                for (const BotMessage &message : m_h->app->telegramMessages())
                    count +=
                        message.isOutgoing && !m_history.contains(message.id) && message.text == accessOff;
                return count == 2;
            }(),
            10000);
        QCOMPARE(m_h->alerts.presented.size(), asked);
        // The tab's status check may ask the tool about itself; no task reached it.
        QFile calls(m_root.filePath("fake/calls.jsonl"));
        if (calls.open(QIODevice::ReadOnly))
            QVERIFY(!calls.readAll().contains("\"agent\""));
    }

    void agentPointerSwitchStoresAndLogs()
    {
        SettingsWindowController &settings = start(MacAccessLevel::full);
        settings.applyTab(SettingsWindowController::macAgent);
        QVERIFY(!settings.pointerSwitch()->isOn());
        QTest::mouseClick(settings.pointerSwitch(), Qt::LeftButton);
        QCOMPARE(m_h->settings->value("peekabooShowAgentPointer"), QVariant(true));
        QVERIFY(settings.pointerSwitch()->isOn());
        const auto logged = [] {
            QFile file(PeekabooLog::defaultPath());
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_VERIFY(logged().contains("SETTING show agent pointer = on"));
        QVERIFY(!logged().contains("SETTING show agent pointer = off"));
    }

    void generalAndAppearanceHooksReachTheController()
    {
        SettingsWindowController &settings = start(MacAccessLevel::off);
        const QList<BotConversation> bots = m_h->app->botChats();
        QVERIFY(bots.size() >= 2);
        QCOMPARE(settings.botPopup()->count(), bots.size());
        const int other = m_h->app->selectedChat()->id == bots.at(0).id ? 1 : 0;
        settings.botPopup()->setCurrentIndex(other);
        settings.botPopup()->activated(other);
        QCOMPARE(m_h->app->selectedChat()->id, bots.at(other).id);
        QCOMPARE(settings.currentState()->selectedBotIndex, other);

        // Light: stored, the same window recoloured.
        settings.appearanceControl()->activated(0);
        QCOMPARE(m_h->settings->value("lightAppearance"), QVariant(true));
        QCOMPARE(window(), &settings);
        QCOMPARE(settings.buildCount(), 1);
        QCOMPARE(settings.uiTheme().light, true);

        QTest::mouseClick(settings.hoverSwitch(), Qt::LeftButton);
        QCOMPARE(m_h->settings->value("hoverShrinkEnabled"), QVariant(false));
        QCOMPARE(settings.currentState()->hoverShrink, false);
        const bool following = m_h->app->presence()->followActiveSpaceEnabled();
        QTest::mouseClick(settings.spaceSwitch(), Qt::LeftButton);
        QCOMPARE(m_h->app->presence()->followActiveSpaceEnabled(), !following);
        QCOMPARE(settings.spaceSwitch()->isOn(), !following);
    }

    void themeChangeReplacesTheWindow()
    {
        SettingsWindowController *first = &start(MacAccessLevel::off);
        // The current theme: nothing happens.
        first->themePopup()->activated(0);
        QCoreApplication::processEvents();
        QCOMPARE(window(), first);
        QVERIFY(first->isVisible());
        QVERIFY(m_h->app->botFace()->statusText().isEmpty());

        first->themePopup()->activated(1);
        QTRY_VERIFY(window() != first);
        QVERIFY(window()->isVisible());
        QCOMPARE(window()->findChild<SettingsCardView *>()->theme().theme, AppTheme(AppTheme::ocean));
        QCOMPARE(window()->themePopup()->currentText(), QString("Ocean"));
        QCOMPARE(m_h->settings->string("appTheme"), std::optional<QString>("ocean"));
        QCOMPARE(m_h->app->botFace()->statusText(), QString("Theme set to Ocean."));

        // Closed, then the theme changes from elsewhere: the window comes back, rebuilt.
        SettingsWindowController *second = window();
        second->close();
        m_h->app->changeTheme(AppTheme::forest);
        QVERIFY(window() != second);
        QVERIFY(window()->isVisible());
        QCOMPARE(window()->findChild<SettingsCardView *>()->theme().theme, AppTheme(AppTheme::forest));
    }

    void keySavedInTheWindowGoesOnlyToTheAgentsEnvironment()
    {
        const QString key = "sk-window-4c1d9e7f";
        SettingsWindowController &settings = start(MacAccessLevel::full);
        settings.applyTab(SettingsWindowController::macAgent);
        settings.keyField()->setText(key);
        QTest::mouseClick(settings.saveButton(), Qt::LeftButton);
        QCOMPARE(PeekabooKeychain(m_h->secrets).key(PeekabooProvider::openai), std::optional<QString>(key));
        QVERIFY(settings.keyField()->text().isEmpty());
        QCOMPARE(settings.currentState()->hasKey, true);
        QCOMPARE(settings.keyField()->placeholderText(), QString("Stored for OpenAI — type to replace"));

        m_h->alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac describe the screen");
        QTRY_VERIFY_WITH_TIMEOUT(sentStartingWith("✓ Mac task finished"), 15000);
        settings.testProvider();
        QTRY_VERIFY_WITH_TIMEOUT(settings.keyStatusLabel()->text().startsWith("✅ Works: "), 15000);

        QFile calls(m_root.filePath("fake/calls.jsonl"));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        int agentCalls = 0;
        for (const QByteArray &line : calls.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject call = QJsonDocument::fromJson(line).object();
            QVERIFY(!QJsonDocument(call["argv"].toArray()).toJson().contains(key.toUtf8()));
            if (call["env"].toObject()["OPENAI_API_KEY"].toString() == key)
                ++agentCalls;
        }
        QCOMPARE(agentCalls, 2);
        QVERIFY(!qgetenv("OPENAI_API_KEY").contains(key.toUtf8()));
        m_h->settings->sync();
        QVERIFY2(filesContaining(key.toUtf8()).isEmpty(),
                 qPrintable(filesContaining(key.toUtf8()).join(u',')));
        // The settings file lives under the same temporary root.
        QVERIFY(m_h->settings->fileName().startsWith(m_root.path()));
        for (QWidget *widget : settings.findChildren<QWidget *>()) {
            QVERIFY(!widget->toolTip().contains(key));
            if (auto *label = qobject_cast<QLabel *>(widget))
                QVERIFY(!label->text().contains(key));
        }
        QVERIFY(!m_h->app->botFace()->statusText().contains(key));
    }
};

TESSALY_TEST_MAIN(TestSettingsApp)
#include "test_settings_app.moc"
