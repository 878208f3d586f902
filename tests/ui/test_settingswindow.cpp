// The settings window against a fake controller: what it shows for a
// snapshot, what it stores itself and which hooks it calls.
#include "agent/PeekabooKeychain.h"
#include "platform/SecretStore.h"
#include "settings/SettingsStore.h"
#include "settings/SpeechPreferences.h"
#include "support/FakeSpeechEngine.h"
#include "support/ScriptedAlerts.h"
#include "support/TestMain.h"
#include "ui/MacAccessSlider.h"
#include "ui/SettingsCardView.h"
#include "ui/SettingsForm.h"
#include "ui/SettingsStyle.h"
#include "ui/SettingsWindowController.h"
#include "ui/StatusDotView.h"
#include "ui/ThemedSegmentedControl.h"
#include "ui/ThemedSwitch.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers like the tool setup would, from fields the test sets.
class FakeAgentSetup : public AgentSetup
{
public:
    bool found = true;
    bool waiting = false;
    std::function<void(bool, const QString &)> signIn;
    QList<QUrl> opened;

    void checkStatus(std::function<void(const PeekabooStatusLine &)> done) override
    {
        done({PeekabooStatusLine::Dot::red, "Peekaboo is not installed and npx was not found.",
              StatusAction::guide, "Install Guide"});
    }
    void requestPermissions(Done done) override { done(std::nullopt); }
    void prefetch(Done done) override { done(std::nullopt); }
    QUrl installGuide() const override { return QUrl("https://example.org/guide"); }
    void openLog() override {}
    bool toolFound() const override { return found; }
    bool signInWaiting() const override { return waiting; }
    bool chatGPTSignedIn() const override { return false; }
    void startSignIn(std::function<void(bool, const QString &)> done) override { signIn = std::move(done); }
    bool pasteSignInLink(const QString &) override { return false; }
    void cancelSignIn() override {}
};

ReadAloudVoice::Voice voice(const QString &name, int quality = 1)
{
    return ReadAloudVoice::Voice{"fake/" + name, name, "en-GB", quality};
}

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<InMemorySecretStore> m_secretsOwner;
    InMemorySecretStore *m_secretsPtr = nullptr;
    ScriptedAlerts m_alerts;
    FakeAgentSetup m_setup;
    FakeSpeech m_speech;
    QStringList m_calls;
    std::optional<PeekabooResult> m_testAnswer;
    std::unique_ptr<SettingsWindowController> m_window;

    InMemorySecretStore &secrets() { return *m_secretsPtr; }

    SettingsWindowController &open(const SettingsState &state = {})
    {
        SettingsHooks hooks;
        hooks.onBotSelected = [this](int index) { m_calls << QString("bot %1").arg(index); };
        hooks.onMacAccessChanged = [this](MacAccessLevel level) {
            m_calls << "access " + MacAccessLevels::rawValue(level);
        };
        hooks.onKeyChanged = [this] { m_calls << "key"; };
        hooks.onModelChanged = [this](const std::optional<QString> &model) {
            m_calls << "model " + model.value_or("none");
        };
        hooks.onThemeChanged = [this](AppTheme theme) { m_calls << "theme " + theme.rawValue(); };
        hooks.onAppearanceChanged = [this](bool light) { m_calls << QString("light %1").arg(light); };
        hooks.onLogOut = [this] { m_calls << "log out"; };
        SettingsServices services;
        services.settings = m_settings.get();
        services.secrets = &secrets();
        services.alerts = &m_alerts;
        services.agentSetup = &m_setup;
        services.speechEngine = m_speech.factory();
        services.preferredLanguage = "en-GB";
        services.openUrl = [this](const QUrl &url) { m_setup.opened << url; };
        services.testProvider = [this](const std::optional<QString> &, auto completion) {
            if (m_testAnswer)
                completion(*m_testAnswer);
        };
        m_window = std::make_unique<SettingsWindowController>(std::move(hooks), std::move(services));
        m_window->apply(state);
        m_window->present();
        return *m_window;
    }

private slots:
    void init()
    {
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath("settings.json"));
        m_secretsOwner = std::make_unique<InMemorySecretStore>();
        m_secretsPtr = m_secretsOwner.get();
        m_alerts = ScriptedAlerts();
        m_setup = FakeAgentSetup();
        m_speech = FakeSpeech();
        m_calls.clear();
        m_testAnswer.reset();
    }
    void cleanup()
    {
        m_window.reset();
        QFile::remove(m_dir.filePath("settings.json"));
    }

    void windowTabsAndBots()
    {
        SettingsWindowController &window = open();
        QCOMPARE(window.windowTitle(), QString("Settings"));
        QCOMPARE(window.width(), 480);
        QCOMPARE(window.tabControl()->labels(),
                 QStringList({"General", "Mac Agent", "Reading", "Appearance"}));
        // No bots: one disabled entry.
        QCOMPARE(window.botPopup()->count(), 1);
        QCOMPARE(window.botPopup()->itemText(0), QString("No bot conversations"));
        QVERIFY(!window.botPopup()->isEnabled());

        SettingsState state;
        state.botTitles = {"<b>Alpha</b> & Co", "Beta"};
        state.selectedBotIndex = 1;
        window.apply(state);
        QVERIFY(window.botPopup()->isEnabled());
        QCOMPARE(window.botPopup()->currentText(), QString("Beta"));
        QCOMPARE(window.botPopup()->itemText(0), QString("<b>Alpha</b> & Co"));
        QVERIFY(m_calls.isEmpty());
        window.botPopup()->activated(0);
        QCOMPARE(m_calls, QStringList{"bot 0"});

        // Only the chosen tab's cards are shown; an index outside the tabs is ignored.
        window.applyTab(SettingsWindowController::reading);
        QVERIFY(window.voicePopup()->isVisibleTo(&window));
        QVERIFY(!window.botPopup()->isVisibleTo(&window));
        QCOMPARE(window.tabControl()->selectedSegment(), 2);
        window.applyTab(7);
        QCOMPARE(window.selectedTab(), 2);
        // The closed window is kept.
        window.close();
        QVERIFY(!window.isVisible());
        QVERIFY(window.voicePopup());
    }

    void choosingTheChatGPTProviderSwapsTheGroups()
    {
        SettingsWindowController &window = open();
        window.applyTab(SettingsWindowController::macAgent);
        QVERIFY(window.apiKeyGroup()->isVisibleTo(&window));
        QVERIFY(!window.subscriptionGroup()->isVisibleTo(&window));
        QCOMPARE(window.providerPopup()->itemText(1), QString("OpenAI (ChatGPT sign-in)"));
        QCOMPARE(window.providerPopup()->count(), 12);
        QCOMPARE(window.providerPopup()->itemText(11), QString("Open WebUI"));
        QCOMPARE(window.keyField()->echoMode(), QLineEdit::Password);
        QCOMPARE(window.keyField()->placeholderText(), QString("Paste OpenAI API key"));
        const int before = window.height();
        // The fitted window leaves every row its full height (wrapped notes counted at their own width).
        for (QWidget *group : {window.apiKeyGroup(), window.statusLabel()->parentWidget()})
            QVERIFY(group->height() >= group->minimumSizeHint().height());
        QCOMPARE(window.keyField()->height(), window.keyField()->sizeHint().height());

        window.providerPopup()->setCurrentIndex(1);
        window.providerPopup()->activated(1);
        QVERIFY(!window.apiKeyGroup()->isVisibleTo(&window));
        QVERIFY(window.subscriptionGroup()->isVisibleTo(&window));
        QVERIFY(window.height() != before);
        QCOMPARE(m_settings->string("peekabooProvider"), std::optional<QString>("openaiSubscription"));
        QCOMPARE(window.modelField()->text(), QString("gpt-5.6"));
        QCOMPARE(m_calls, QStringList{"key"});
        QCOMPARE(window.signInButton()->text(), QString("Sign in with ChatGPT…"));

        // Signing in: waiting, then the tool's answer.
        window.startSignIn();
        QVERIFY(!window.signInButton()->isEnabled());
        QCOMPARE(window.signInButton()->text(), QString("Waiting for browser…"));
        QVERIFY(window.pasteLinkButton()->isVisibleTo(&window));
        QVERIFY(m_setup.signIn);
        m_setup.signIn(false, "ChatGPT sign-in failed (exit 1).");
        QCOMPARE(window.subscriptionStatusLabel()->text(), QString("ChatGPT sign-in failed (exit 1)."));
        QVERIFY(window.signInButton()->isEnabled());
        QVERIFY(!window.pasteLinkButton()->isVisibleTo(&window));
        // Without the tool the sign-in is refused before it starts.
        m_setup.found = false;
        m_setup.signIn = {};
        window.startSignIn();
        QVERIFY(!m_setup.signIn);
        QCOMPARE(window.subscriptionStatusLabel()->text(),
                 QString("Peekaboo is not installed, so ChatGPT sign-in is not available."));

        // Back to a provider with a key: the groups swap back and the window shrinks again.
        window.providerPopup()->setCurrentIndex(10);
        window.providerPopup()->activated(10);
        QVERIFY(window.apiKeyGroup()->isVisibleTo(&window));
        QCOMPARE(window.height(), before);
        QCOMPARE(window.modelField()->text(), QString("deepseek/deepseek-v4-pro"));
        QCOMPARE(window.keyField()->placeholderText(), QString("Paste DeepSeek API key"));
    }

    void keysAreRefusedUnlessTheyAreKeysOnly()
    {
        SettingsWindowController &window = open();
        for (const QString &typed :
             {QString("sk-one two"), QString("/mac lock"), QString("  "), QString("sk\tx")}) {
            window.keyField()->setText(typed);
            window.saveKey();
            QCOMPARE(window.keyStatusLabel()->text(), QString("Enter the provider key only."));
            QCOMPARE(SettingsStyle::tone(window.keyStatusLabel()), SettingsStyle::Tone::failure);
            QVERIFY(!window.keyStatusLabel()->isHidden());
        }
        QCOMPARE(secrets().itemCount(), 0);
        QVERIFY(m_calls.isEmpty());

        const QString key = "sk-proj-Secret123";
        window.keyField()->setText("  " + key + "\n");
        window.saveKey();
        QCOMPARE(PeekabooKeychain(secrets()).key(PeekabooProvider::openai), std::optional<QString>(key));
        QCOMPARE(window.keyStatusLabel()->text(), QString("Saved for OpenAI."));
        QVERIFY(window.keyField()->text().isEmpty());
        QCOMPARE(window.keyField()->placeholderText(), QString("Stored for OpenAI — type to replace"));
        QCOMPARE(m_calls, QStringList{"key"});

        // A failing store says so.
        secrets().setFailure(-1);
        window.keyField()->setText("sk-other");
        window.saveKey();
        QCOMPARE(window.keyStatusLabel()->text(), QString("Could not save the key."));
        secrets().setFailure(0);

        // The test reports the reply, first the model in the field goes to the controller.
        m_testAnswer = PeekabooResult{true, "  " + QString(200, 'x') + " ", false};
        window.modelField()->setText("gpt-test");
        window.testProvider();
        QCOMPARE(m_calls.last(), QString("model gpt-test"));
        QCOMPARE(window.keyStatusLabel()->text(), "✅ Works: " + QString(120, 'x'));
        QCOMPARE(SettingsStyle::tone(window.keyStatusLabel()), SettingsStyle::Tone::success);
        QCOMPARE(window.testButton()->text(), QString("Test"));
        QVERIFY(window.testButton()->isEnabled());
        m_testAnswer.reset();
        window.testProvider();
        QCOMPARE(window.keyStatusLabel()->text(), QString("Testing OpenAI…"));
        QVERIFY(!window.testButton()->isEnabled());
        QCOMPARE(window.subscriptionTestButton()->text(), QString("Testing…"));

        window.removeKey();
        QCOMPARE(secrets().itemCount(), 0);
        QCOMPARE(window.keyStatusLabel()->text(), QString("Removed."));
        QCOMPARE(window.keyField()->placeholderText(), QString("Paste OpenAI API key"));
    }

    void windowHeightLimits()
    {
        QCOMPARE(SettingsForm::fittedHeight(100, 900), 320);
        QCOMPARE(SettingsForm::fittedHeight(500.2, 900), 521);
        QCOMPARE(SettingsForm::fittedHeight(1000, 900), 860);
        QCOMPARE(SettingsForm::fittedHeight(1000, 300), 320);
        QCOMPARE(SettingsForm::fittedHeight(1000, std::nullopt), 860);
        QCOMPARE(SettingsForm::voiceSelection({"a", "b"}, QString("b"), 0), 2);
        QCOMPARE(SettingsForm::voiceSelection({"a", "b"}, QString("gone"), 1), 1);
        QCOMPARE(SettingsForm::voiceSelection({"a"}, QString("gone"), 5), 0);
    }

    void themeRebuildsLightDarkRecolours()
    {
        SettingsState state;
        SettingsWindowController &window = open(state);
        QCOMPARE(window.buildCount(), 1);
        // A guarded pointer: a new card may well be allocated where the old one was.
        QPointer<SettingsCardView> card = window.findChild<SettingsCardView *>();
        QCOMPARE(card->theme(), (UiTheme{AppTheme::violet, false}));

        // Light and dark: the same controls, repainted in the other variant.
        state.lightAppearance = true;
        window.apply(state);
        QCOMPARE(window.appearanceControl()->selectedSegment(), 0);
        QCOMPARE(window.findChild<SettingsCardView *>(), card.data());
        QCOMPARE(card->theme(), (UiTheme{AppTheme::violet, true}));
        QCOMPARE(window.macSlider()->theme().light, true);
        QCOMPARE(window.palette().color(QPalette::Window), AppTheme(AppTheme::violet).windowColors().light);
        QTest::qWait(0);
        QCOMPARE(window.buildCount(), 1);

        // The user's choices go to the controller; the theme on the next turn only.
        window.appearanceControl()->activated(1);
        QCOMPARE(m_calls, QStringList{"light 0"});
        window.themePopup()->activated(2);
        QCOMPARE(m_calls.size(), 1);
        QTRY_COMPARE(m_calls.last(), QString("theme ember"));

        // Another theme: everything is built anew in its colours on the next turn.
        state.theme = AppTheme::ocean;
        window.apply(state);
        QTRY_COMPARE(window.buildCount(), 2);
        QVERIFY(card.isNull());
        QCOMPARE(window.findChild<SettingsCardView *>()->theme(), (UiTheme{AppTheme::ocean, true}));
        QCOMPARE(window.themePopup()->currentText(), QString("Ocean"));
        QCOMPARE(window.appearanceControl()->selectedSegment(), 0);
    }

    void voiceChoiceAndPreview()
    {
        m_speech.installed = {voice("Daniel", 3), voice("Kate", 2)};
        SpeechPreferences::setSelectedVoiceIdentifier(*m_settings, QString("fake/Gone"));
        SettingsWindowController &window = open();
        QCOMPARE(window.voicePopup()->itemText(0), QString("Best available"));
        QCOMPARE(window.voicePopup()->count(), 3);
        // The stored voice is no longer installed.
        QCOMPARE(window.voicePopup()->currentIndex(), 0);
        QCOMPARE(window.voiceNote()->text(),
                 QString("Natural voices are installed. Pick one, then press Use voice."));

        window.voicePopup()->setCurrentIndex(2);
        window.useVoice();
        QCOMPARE(SpeechPreferences::selectedVoiceIdentifier(*m_settings),
                 std::optional<QString>("fake/Kate"));
        QCOMPARE(m_speech.said(), QStringList{"This is how I will read your messages."});
        QCOMPARE(m_speech.engine->voicesUsed.last(), QString("fake/Kate"));
        QCOMPARE(m_speech.engine->stops, 1);

        // Reloading keeps the stored voice selected; "Best available" forgets it and previews the best one.
        window.reloadVoices();
        QCOMPARE(window.voicePopup()->currentIndex(), 2);
        window.voicePopup()->setCurrentIndex(0);
        window.useVoice();
        QCOMPARE(SpeechPreferences::selectedVoiceIdentifier(*m_settings), std::nullopt);
        QCOMPARE(m_speech.engine->voicesUsed.last(), QString("fake/Daniel"));

        // The reading switches are written directly.
        QVERIFY(!window.autoReadSwitch()->isOn());
        QVERIFY(window.pauseOtherAudioSwitch()->isOn());
        QTest::mouseClick(window.autoReadSwitch(), Qt::LeftButton);
        QTest::mouseClick(window.pauseOtherAudioSwitch(), Qt::LeftButton);
        QVERIFY(SpeechPreferences::autoReadNewMessages(*m_settings));
        QVERIFY(!SpeechPreferences::pauseOtherAudioWhileReading(*m_settings));

        window.downloadVoices();
        QCOMPARE(m_setup.opened, QList<QUrl>{SettingsWindowController::voiceDownloadAddress()});
    }

    void statusLineLogOutAndAccess()
    {
        SettingsWindowController &window = open();
        QCOMPARE(window.statusLabel()->text(), QString("Peekaboo is not installed and npx was not found."));
        QCOMPARE(window.statusActionButton()->text(), QString("Install Guide"));
        QVERIFY(window.statusActionButton()->isVisibleTo(&window) || window.selectedTab() != 1);
        window.runStatusAction();
        QCOMPARE(m_setup.opened, QList<QUrl>{QUrl("https://example.org/guide")});

        // The slider reports the user's level and explains it.
        window.applyTab(SettingsWindowController::macAgent);
        QTest::mouseClick(window.macSlider(), Qt::LeftButton, {}, QPoint(42, 13));
        QCOMPARE(m_calls, QStringList{"access readOnly"});
        QCOMPARE(window.macAccessNote()->text(), MacAccessLevels::helpText(MacAccessLevel::readOnly));

        // Log out asks first, as a warning; dismissing it answers Cancel.
        m_alerts.script.push_back(ScriptedAlerts::dismissed());
        window.confirmLogOut();
        QTRY_COMPARE(m_alerts.presented.size(), 1);
        QCOMPARE(m_alerts.presented.first().message, QString("Log out of Telegram?"));
        QCOMPARE(m_alerts.presented.first().style, AlertRequest::Style::Warning);
        QTest::qWait(0);
        QVERIFY(!m_calls.contains("log out"));
        m_alerts.script.push_back(ScriptedAlerts::button(0));
        window.confirmLogOut();
        QTRY_VERIFY(m_calls.contains("log out"));
    }
};

TESSALY_TEST_MAIN(TestSettingsWindow)
#include "test_settingswindow.moc"
