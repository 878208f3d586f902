#pragma once

#include "ui/SettingsHooks.h"
#include "ui/SettingsState.h"
#include "ui/SettingsStyle.h"
#include "ui/UiStyle.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class MacAccessSlider;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class SettingsCardView;
class SpeechEngine;
class StatusDotView;
class ThemedSegmentedControl;
class ThemedSwitch;

// The settings window: four tabs (General, Mac Agent, Reading, Appearance) of
// cards drawn in the theme's colours. It shows the snapshot it is given and
// reports changes through its hooks; it writes only the provider, the reading
// switches and the voice itself, and provider keys go straight to the secret
// store. Closing hides it; the controller keeps it.
class SettingsWindowController : public QWidget
{
    Q_OBJECT
public:
    static constexpr int contentWidth = 480;
    enum Tab { general, macAgent, reading, appearance };

    SettingsWindowController(SettingsHooks hooks, SettingsServices services, QWidget *parent = nullptr);
    ~SettingsWindowController() override;

    // Centres the window when hidden, shows it in front, then checks the
    // Peekaboo status, updates the credential rows and reloads the voices.
    void present();
    void apply(const SettingsState &state);
    void applyTab(int index);
    void fitWindowToContent();

    int selectedTab() const { return m_selectedTab; }
    const std::optional<SettingsState> &currentState() const { return m_currentState; }
    std::optional<AppTheme> appliedTheme() const { return m_appliedTheme; }
    // How many times the interface was built (1 after creation).
    int buildCount() const { return m_buildCount; }
    UiTheme uiTheme() const { return m_ui; }
    StatusAction statusAction() const { return m_statusAction; }
    const QStringList &voiceIdentifiers() const { return m_voiceIdentifiers; }

    // The controls, for the tests and the screenshot tool.
    ThemedSegmentedControl *tabControl() const { return m_tabControl; }
    QComboBox *botPopup() const { return m_botPopup; }
    MacAccessSlider *macSlider() const { return m_macSlider; }
    QLabel *macAccessNote() const { return m_macAccessNote; }
    ThemedSwitch *pointerSwitch() const { return m_pointerSwitch; }
    QComboBox *providerPopup() const { return m_providerPopup; }
    QLineEdit *modelField() const { return m_modelField; }
    QLineEdit *keyField() const { return m_keyField; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *removeButton() const { return m_removeButton; }
    QPushButton *testButton() const { return m_testButton; }
    QLabel *keyStatusLabel() const { return m_keyStatusLabel; }
    QWidget *apiKeyGroup() const { return m_apiKeyGroup; }
    QWidget *subscriptionGroup() const { return m_subscriptionGroup; }
    QPushButton *signInButton() const { return m_signInButton; }
    QPushButton *pasteLinkButton() const { return m_pasteLinkButton; }
    QPushButton *cancelSignInButton() const { return m_cancelSignInButton; }
    QLabel *subscriptionStatusLabel() const { return m_subscriptionStatusLabel; }
    QPushButton *subscriptionTestButton() const { return m_subscriptionTestButton; }
    ThemedSwitch *autoReadSwitch() const { return m_autoReadSwitch; }
    ThemedSwitch *pauseOtherAudioSwitch() const { return m_pauseOtherAudioSwitch; }
    QComboBox *voicePopup() const { return m_voicePopup; }
    QLabel *voiceNote() const { return m_voiceNote; }
    QPushButton *useVoiceButton() const { return m_useVoiceButton; }
    QPushButton *downloadVoicesButton() const { return m_downloadVoicesButton; }
    ThemedSegmentedControl *appearanceControl() const { return m_appearanceControl; }
    QComboBox *themePopup() const { return m_themePopup; }
    ThemedSwitch *hoverSwitch() const { return m_hoverSwitch; }
    ThemedSwitch *spaceSwitch() const { return m_spaceSwitch; }
    QPushButton *logOutButton() const { return m_logOutButton; }
    StatusDotView *statusDot() const { return m_statusDot; }
    QLabel *statusLabel() const { return m_statusLabel; }
    QPushButton *statusActionButton() const { return m_statusActionButton; }
    QPushButton *logButton() const { return m_logButton; }
    QPushButton *checkButton() const { return m_checkButton; }
    const QList<QList<QWidget *>> &tabCards() const { return m_tabCards; }

    // Agent tab actions, also behind the buttons.
    void saveKey();
    void removeKey();
    void testProvider();
    void startSignIn();
    void cancelSignIn();
    void pasteLink();
    void checkStatus();
    void runStatusAction();
    // Reading tab actions.
    void reloadVoices();
    void useVoice();
    void playVoiceTest();
    void downloadVoices();
    void confirmLogOut();

    // Where "Download voices…" leads on this system.
    static QUrl voiceDownloadAddress();

protected:
    void changeEvent(QEvent *event) override;

private:
    void build();
    void rebuild();
    QWidget *makeHeader();
    QWidget *card(const QString &title, const QString &symbol, const QList<QWidget *> &rows);
    QWidget *row(const QString &title, QWidget *control);
    QLabel *note(const QString &text, int lines = 2);
    QPushButton *button(const QString &title, bool accent = false);
    QWidget *buttonRow(const QList<QWidget *> &buttons, int spacing = 6);
    QComboBox *popup();
    QList<QWidget *> buildGeneralTab();
    QList<QWidget *> buildAgentTab();
    QList<QWidget *> buildReadingTab();
    QList<QWidget *> buildAppearanceTab();
    QWidget *buildApiKeyGroup();
    QWidget *buildSubscriptionGroup();
    QWidget *buildStatusGroup();

    void applyColors();
    void applyBots(const SettingsState &state);
    void applyProviderFields(PeekabooProvider provider, const std::optional<QString> &model, bool hasKey);
    void updateCredentialRows(PeekabooProvider provider);
    void providerChosen(int index);
    PeekabooProvider selectedProvider() const;
    void showKeyStatus(QLabel *label, const QString &text, SettingsStyle::Tone tone,
                       const QString &toolTip = {});
    void finishSignIn(bool succeeded, const QString &message);
    void showStatusLine(const PeekabooStatusLine &line);
    SpeechEngine *previewer();

    SettingsHooks m_hooks;
    SettingsServices m_services;
    UiTheme m_ui;
    std::optional<SettingsState> m_currentState;
    std::optional<AppTheme> m_appliedTheme;
    int m_buildCount = 0;
    int m_selectedTab = 0;
    bool m_testing = false;
    StatusAction m_statusAction = StatusAction::none;
    QStringList m_voiceIdentifiers;
    std::unique_ptr<SpeechEngine> m_voicePreviewer;
    // Late answers (tests, sign-in, status) reach only the interface they were asked from.
    quint64 m_generation = 0;

    QWidget *m_content = nullptr;
    QVBoxLayout *m_contentStack = nullptr;
    QList<QList<QWidget *>> m_tabCards;
    ThemedSegmentedControl *m_tabControl = nullptr;
    QComboBox *m_botPopup = nullptr;
    QPushButton *m_logOutButton = nullptr;
    MacAccessSlider *m_macSlider = nullptr;
    QLabel *m_macAccessNote = nullptr;
    ThemedSwitch *m_pointerSwitch = nullptr;
    QComboBox *m_providerPopup = nullptr;
    QLineEdit *m_modelField = nullptr;
    QWidget *m_apiKeyGroup = nullptr;
    QLineEdit *m_keyField = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_testButton = nullptr;
    QLabel *m_keyStatusLabel = nullptr;
    QWidget *m_subscriptionGroup = nullptr;
    QLabel *m_subscriptionStatusLabel = nullptr;
    QPushButton *m_signInButton = nullptr;
    QPushButton *m_pasteLinkButton = nullptr;
    QPushButton *m_cancelSignInButton = nullptr;
    QPushButton *m_subscriptionTestButton = nullptr;
    StatusDotView *m_statusDot = nullptr;
    QLabel *m_statusLabel = nullptr;
    QPushButton *m_statusActionButton = nullptr;
    QPushButton *m_logButton = nullptr;
    QPushButton *m_checkButton = nullptr;
    ThemedSwitch *m_autoReadSwitch = nullptr;
    ThemedSwitch *m_pauseOtherAudioSwitch = nullptr;
    QComboBox *m_voicePopup = nullptr;
    QLabel *m_voiceNote = nullptr;
    QPushButton *m_useVoiceButton = nullptr;
    QPushButton *m_downloadVoicesButton = nullptr;
    ThemedSegmentedControl *m_appearanceControl = nullptr;
    QComboBox *m_themePopup = nullptr;
    ThemedSwitch *m_hoverSwitch = nullptr;
    ThemedSwitch *m_spaceSwitch = nullptr;
};
