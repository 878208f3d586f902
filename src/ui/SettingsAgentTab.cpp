// The settings window's Mac Agent tab: access, pointer, provider, model, the
// key or the ChatGPT account, and the Peekaboo status line.
#include "agent/AgentSettingsKeys.h"
#include "agent/ChatGPTAccount.h"
#include "agent/PeekabooKeychain.h"
#include "agent/PeekabooSettings.h"
#include "core/Alerts.h"
#include "settings/SettingsStore.h"
#include "ui/LiteralText.h"
#include "ui/MacAccessSlider.h"
#include "ui/SettingsForm.h"
#include "ui/SettingsSeparatorView.h"
#include "ui/SettingsStyle.h"
#include "ui/SettingsWindowController.h"

#include "agent/ChatGPTAccount.h"
#include "ui/StatusDotView.h"
#include "ui/ThemedSwitch.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using SettingsStyle::Tone;

QList<QWidget *> SettingsWindowController::buildAgentTab()
{
    m_macSlider = new MacAccessSlider(m_content);
    connect(m_macSlider, &MacAccessSlider::levelChanged, this, [this](MacAccessLevel level) {
        m_macAccessNote->setText(MacAccessLevels::helpText(level));
        if (m_hooks.onMacAccessChanged)
            m_hooks.onMacAccessChanged(level);
    });
    m_macAccessNote = note(MacAccessLevels::helpText(m_macSlider->level()));

    m_pointerSwitch = new ThemedSwitch(m_content);
    m_pointerSwitch->setToolTip(
        QStringLiteral("Use foreground pointer actions during Mac tasks so the violet "
                       "Peekaboo agent cursor is visible. Requires Full access."));
    m_pointerSwitch->setAccessibleName(QStringLiteral("Show agent pointer"));
    connect(m_pointerSwitch, &ThemedSwitch::toggled, this, [this](bool on) {
        if (m_hooks.onShowAgentPointerChanged)
            m_hooks.onShowAgentPointerChanged(on);
    });

    m_providerPopup = popup();
    m_providerPopup->setAccessibleName(QStringLiteral("Provider"));
    for (PeekabooProvider provider : PeekabooProviders::all)
        m_providerPopup->addItem(PeekabooProviders::displayName(provider));
    connect(m_providerPopup, &QComboBox::activated, this, &SettingsWindowController::providerChosen);

    m_modelField = new QLineEdit(m_content);
    m_modelField->setFont(UiStyle::font(12));
    m_modelField->setFixedWidth(200);
    m_modelField->setPlaceholderText(QStringLiteral("Provider default"));
    m_modelField->setAccessibleName(QStringLiteral("Model"));
    const auto modelEdited = [this] {
        if (m_hooks.onModelChanged)
            m_hooks.onModelChanged(m_modelField->text());
    };
    // Return also ends the editing: one report for both.
    connect(m_modelField, &QLineEdit::editingFinished, this, modelEdited);

    auto *separator = new SettingsSeparatorView(m_content);
    return {card(
        QStringLiteral("Mac Agent"), QStringLiteral("sparkles"),
        {row(QStringLiteral("Mac access"), m_macSlider), m_macAccessNote,
         row(QStringLiteral("Show agent pointer"), m_pointerSwitch),
         note(QStringLiteral("Moves the real pointer so the violet Peekaboo cursor is visible. Needs Full "
                             "access.")),
         row(QStringLiteral("Provider"), m_providerPopup), row(QStringLiteral("Model"), m_modelField),
         buildApiKeyGroup(), buildSubscriptionGroup(), separator, buildStatusGroup()})};
}

QWidget *SettingsWindowController::buildApiKeyGroup()
{
    m_apiKeyGroup = new QWidget(m_content);
    auto *stack = new QVBoxLayout(m_apiKeyGroup);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(9);

    m_keyField = new QLineEdit(m_content);
    // A secret: never echoed, never copied out of the field.
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setFont(UiStyle::font(12));
    m_keyField->setFixedWidth(200);
    m_keyField->setAccessibleName(QStringLiteral("API key"));
    m_keyField->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_keyField, &QLineEdit::returnPressed, this, &SettingsWindowController::saveKey);

    m_saveButton = button(QStringLiteral("Save"), true);
    m_removeButton = button(QStringLiteral("Remove"));
    m_testButton = button(QStringLiteral("Test"));
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsWindowController::saveKey);
    connect(m_removeButton, &QPushButton::clicked, this, &SettingsWindowController::removeKey);
    connect(m_testButton, &QPushButton::clicked, this, &SettingsWindowController::testProvider);

    m_keyStatusLabel = new QLabel(m_content);
    m_keyStatusLabel->setTextFormat(Qt::PlainText);
    m_keyStatusLabel->setFont(UiStyle::font(10));
    m_keyStatusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_keyStatusLabel->setWordWrap(true);
    m_keyStatusLabel->hide();

    stack->addWidget(row(QStringLiteral("API key"), m_keyField));
    stack->addWidget(buttonRow({m_saveButton, m_removeButton, m_testButton}));
    m_keyStatusLabel->setParent(m_apiKeyGroup);
    stack->addWidget(m_keyStatusLabel);
    return m_apiKeyGroup;
}

QWidget *SettingsWindowController::buildSubscriptionGroup()
{
    m_subscriptionGroup = new QWidget(m_content);
    auto *stack = new QVBoxLayout(m_subscriptionGroup);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(9);

    m_subscriptionStatusLabel = new QLabel(QStringLiteral("Not signed in"), m_content);
    m_subscriptionStatusLabel->setTextFormat(Qt::PlainText);
    m_subscriptionStatusLabel->setFont(UiStyle::font(11));
    m_subscriptionStatusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_subscriptionStatusLabel->setWordWrap(true);
    m_subscriptionStatusLabel->setMaximumWidth(300);
    SettingsStyle::setTone(m_subscriptionStatusLabel, Tone::secondary);

    m_signInButton = button(QStringLiteral("Sign in with ChatGPT…"), true);
    m_signInButton->setToolTip(
        QStringLiteral("Open the browser and sign in with your OpenAI ChatGPT account."));
    m_pasteLinkButton = button(QStringLiteral("Paste link…"));
    m_pasteLinkButton->setToolTip(QStringLiteral("Use this if the browser could not return to Tessaly."));
    m_pasteLinkButton->hide();
    m_cancelSignInButton = button(QStringLiteral("Cancel"));
    m_cancelSignInButton->hide();
    m_subscriptionTestButton = button(QStringLiteral("Test"));
    connect(m_signInButton, &QPushButton::clicked, this, &SettingsWindowController::startSignIn);
    connect(m_pasteLinkButton, &QPushButton::clicked, this, &SettingsWindowController::pasteLink);
    connect(m_cancelSignInButton, &QPushButton::clicked, this, &SettingsWindowController::cancelSignIn);
    connect(m_subscriptionTestButton, &QPushButton::clicked, this, &SettingsWindowController::testProvider);

    stack->addWidget(row(QStringLiteral("Account"), m_subscriptionStatusLabel));
    stack->addWidget(
        buttonRow({m_signInButton, m_pasteLinkButton, m_cancelSignInButton, m_subscriptionTestButton}));
    m_subscriptionGroup->hide();
    return m_subscriptionGroup;
}

QWidget *SettingsWindowController::buildStatusGroup()
{
    auto *group = new QWidget(m_content);
    auto *stack = new QVBoxLayout(group);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);

    auto *line = new QHBoxLayout;
    line->setSpacing(7);
    m_statusDot = new StatusDotView(group);
    m_statusLabel = new QLabel(group);
    m_statusLabel->setTextFormat(Qt::PlainText);
    m_statusLabel->setFont(UiStyle::font(11));
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setMaximumHeight(QFontMetrics(m_statusLabel->font()).lineSpacing() * 2 + 2);
    SettingsStyle::setTone(m_statusLabel, Tone::secondary);
    line->addWidget(m_statusDot, 0, Qt::AlignVCenter);
    line->addWidget(m_statusLabel, 1);
    stack->addLayout(line);

    m_statusActionButton = button(QString(), true);
    m_statusActionButton->hide();
    m_logButton = button(QStringLiteral("Log"));
    m_logButton->setToolTip(QStringLiteral("Show the Peekaboo log"));
    m_checkButton = button(QStringLiteral("Check"));
    connect(m_statusActionButton, &QPushButton::clicked, this, &SettingsWindowController::runStatusAction);
    connect(m_logButton, &QPushButton::clicked, this, [this] {
        if (m_services.agentSetup)
            m_services.agentSetup->openLog();
    });
    connect(m_checkButton, &QPushButton::clicked, this, &SettingsWindowController::checkStatus);
    stack->addWidget(buttonRow({m_statusActionButton, m_logButton, m_checkButton}));
    return group;
}

PeekabooProvider SettingsWindowController::selectedProvider() const
{
    const int index = m_providerPopup ? m_providerPopup->currentIndex() : -1;
    if (index < 0 || index >= int(PeekabooProviders::all.size()))
        return m_currentState ? m_currentState->provider : PeekabooProvider::openai;
    return PeekabooProviders::all[size_t(index)];
}

void SettingsWindowController::applyProviderFields(PeekabooProvider provider,
                                                   const std::optional<QString> &model, bool hasKey)
{
    const auto position = std::find(PeekabooProviders::all.begin(), PeekabooProviders::all.end(), provider);
    m_providerPopup->setCurrentIndex(int(position - PeekabooProviders::all.begin()));
    if (!m_modelField->hasFocus())
        m_modelField->setText(model.value_or(SettingsForm::suggestedModel(provider).value_or(QString())));
    m_modelField->setPlaceholderText(SettingsForm::modelPlaceholder(provider));
    m_keyField->setPlaceholderText(SettingsForm::keyPlaceholder(provider, hasKey));
}

void SettingsWindowController::providerChosen(int index)
{
    if (index < 0 || index >= int(PeekabooProviders::all.size()))
        return;
    const PeekabooProvider provider = PeekabooProviders::all[size_t(index)];
    if (m_services.settings)
        m_services.settings->setString(AgentSettingsKeys::peekabooProvider,
                                       PeekabooProviders::rawValue(provider));
    std::optional<QString> model;
    bool hasKey = false;
    if (m_services.settings)
        model = PeekabooSettings(*m_services.settings).model(provider);
    if (m_services.secrets)
        hasKey = PeekabooKeychain(*m_services.secrets).key(provider).has_value();
    m_modelField->setText(model.value_or(SettingsForm::suggestedModel(provider).value_or(QString())));
    m_modelField->setPlaceholderText(SettingsForm::modelPlaceholder(provider));
    m_keyField->clear();
    m_keyStatusLabel->clear();
    m_keyStatusLabel->hide();
    m_keyField->setPlaceholderText(SettingsForm::keyPlaceholder(provider, hasKey));
    updateCredentialRows(provider);
    if (m_hooks.onKeyChanged)
        m_hooks.onKeyChanged();
}

void SettingsWindowController::updateCredentialRows(PeekabooProvider provider)
{
    const bool subscription = provider == PeekabooProvider::openaiSubscription;
    m_apiKeyGroup->setVisible(!subscription);
    m_subscriptionGroup->setVisible(subscription);
    if (subscription && isVisible() && m_services.agentSetup) {
        if (m_services.agentSetup->signInWaiting()) {
            m_signInButton->setEnabled(false);
        } else {
            const bool signedIn = m_services.agentSetup->chatGPTSignedIn();
            m_signInButton->setEnabled(true);
            m_subscriptionStatusLabel->setText(signedIn ? QStringLiteral("Signed in")
                                                        : QStringLiteral("Not signed in"));
            SettingsStyle::setTone(m_subscriptionStatusLabel, Tone::secondary);
            m_signInButton->setText(signedIn ? QStringLiteral("Sign in again…")
                                             : QStringLiteral("Sign in with ChatGPT…"));
        }
    }
    fitWindowToContent();
}

void SettingsWindowController::showKeyStatus(QLabel *label, const QString &text, SettingsStyle::Tone tone,
                                             const QString &toolTip)
{
    SettingsStyle::setTone(label, tone);
    label->setText(text);
    label->setToolTip(toolTip.isEmpty() ? QString() : LiteralText::toolTip(toolTip));
    label->show();
}

void SettingsWindowController::saveKey()
{
    const PeekabooProvider provider = selectedProvider();
    const QString name = PeekabooProviders::displayName(provider);
    const std::optional<QString> key = SettingsForm::acceptedKey(m_keyField->text());
    if (!key) {
        showKeyStatus(m_keyStatusLabel, SettingsForm::keyRefusal, Tone::failure);
        return;
    }
    if (!m_services.secrets || !PeekabooKeychain(*m_services.secrets).save(*key, provider)) {
        showKeyStatus(m_keyStatusLabel, QStringLiteral("Could not save the key."), Tone::failure);
        return;
    }
    m_keyField->clear();
    showKeyStatus(m_keyStatusLabel, QStringLiteral("Saved for ") + name + QLatin1Char('.'), Tone::secondary);
    m_keyField->setPlaceholderText(SettingsForm::keyPlaceholder(provider, true));
    if (m_hooks.onKeyChanged)
        m_hooks.onKeyChanged();
}

void SettingsWindowController::removeKey()
{
    const PeekabooProvider provider = selectedProvider();
    if (m_services.secrets)
        PeekabooKeychain(*m_services.secrets).remove(provider);
    m_keyField->clear();
    m_keyField->setPlaceholderText(SettingsForm::keyPlaceholder(provider, false));
    showKeyStatus(m_keyStatusLabel, QStringLiteral("Removed."), Tone::secondary);
    if (m_hooks.onKeyChanged)
        m_hooks.onKeyChanged();
}

void SettingsWindowController::testProvider()
{
    if (m_hooks.onModelChanged)
        m_hooks.onModelChanged(m_modelField->text());
    const PeekabooProvider provider = selectedProvider();
    QLabel *label =
        provider == PeekabooProvider::openaiSubscription ? m_subscriptionStatusLabel : m_keyStatusLabel;
    showKeyStatus(label,
                  QStringLiteral("Testing ") + PeekabooProviders::displayName(provider) + QStringLiteral("…"),
                  Tone::secondary);
    for (QPushButton *test : {m_testButton, m_subscriptionTestButton}) {
        test->setEnabled(false);
        test->setText(QStringLiteral("Testing…"));
    }
    if (!m_services.testProvider)
        return;
    const std::optional<QString> model =
        m_modelField->text().trimmed().isEmpty() ? std::nullopt : std::optional(m_modelField->text());
    QPointer<SettingsWindowController> self(this);
    const quint64 generation = m_generation;
    m_services.testProvider(model, [self, generation, label](const PeekabooResult &result) {
        if (!self || self->m_generation != generation)
            return;
        for (QPushButton *test : {self->m_testButton, self->m_subscriptionTestButton}) {
            test->setEnabled(true);
            test->setText(QStringLiteral("Test"));
        }
        const QString reply = result.text.trimmed();
        if (result.succeeded)
            self->showKeyStatus(label, SettingsForm::testSuccessText(reply), Tone::success, reply);
        else
            self->showKeyStatus(label, reply, Tone::failure, reply);
    });
}

void SettingsWindowController::startSignIn()
{
    m_signInButton->setEnabled(false);
    m_signInButton->setText(QStringLiteral("Waiting for browser…"));
    m_pasteLinkButton->show();
    m_cancelSignInButton->show();
    showKeyStatus(m_subscriptionStatusLabel, QStringLiteral("Finish signing in in your browser."),
                  Tone::secondary);
    fitWindowToContent();

    AgentSetup *setup = m_services.agentSetup;
    if (selectedProvider() != PeekabooProvider::openaiSubscription) {
        finishSignIn(false, QStringLiteral("Choose OpenAI (ChatGPT sign-in) as the provider first."));
        return;
    }
    if (setup && setup->signInWaiting()) {
        finishSignIn(false, QStringLiteral("A ChatGPT sign-in is already waiting for the browser."));
        return;
    }
    if (!setup || !setup->toolFound()) {
        finishSignIn(false,
                     QStringLiteral("Peekaboo is not installed, so ChatGPT sign-in is not available."));
        return;
    }
    QPointer<SettingsWindowController> self(this);
    const quint64 generation = m_generation;
    setup->startSignIn([self, generation](bool succeeded, const QString &message) {
        if (self && self->m_generation == generation)
            self->finishSignIn(succeeded, message);
    });
}

void SettingsWindowController::finishSignIn(bool succeeded, const QString &message)
{
    m_signInButton->setEnabled(true);
    m_pasteLinkButton->hide();
    m_cancelSignInButton->hide();
    if (succeeded) {
        showKeyStatus(m_subscriptionStatusLabel, QStringLiteral("Signed in"), Tone::secondary);
        m_signInButton->setText(QStringLiteral("Sign in again…"));
        if (m_hooks.onKeyChanged)
            m_hooks.onKeyChanged();
    } else {
        showKeyStatus(m_subscriptionStatusLabel, message, Tone::failure, message);
        m_signInButton->setText(QStringLiteral("Sign in with ChatGPT…"));
    }
    fitWindowToContent();
}

void SettingsWindowController::cancelSignIn()
{
    if (m_services.agentSetup)
        m_services.agentSetup->cancelSignIn();
    m_signInButton->setEnabled(true);
    m_pasteLinkButton->hide();
    m_cancelSignInButton->hide();
    showKeyStatus(m_subscriptionStatusLabel, QStringLiteral("Not signed in"), Tone::secondary);
    m_signInButton->setText(QStringLiteral("Sign in with ChatGPT…"));
    fitWindowToContent();
}

void SettingsWindowController::pasteLink()
{
    if (!m_services.alerts)
        return;
    AlertRequest request;
    request.message = QStringLiteral("Paste the ChatGPT sign-in link");
    request.informativeText =
        QStringLiteral("After you approve the sign-in, your browser shows a page that cannot "
                       "connect. Copy its full address and paste it here.");
    request.buttons = {QStringLiteral("Sign In"), QStringLiteral("Cancel")};
    request.cancelIndex = 1;
    request.accessory = AlertRequest::Accessory::TextField;
    request.accessorySize = QSize(360, 24);
    request.placeholder = QStringLiteral("http://localhost:1455/auth/callback?code=…");
    QPointer<SettingsWindowController> self(this);
    m_services.alerts->present(request, [self](const AlertAnswer &answer) {
        if (!self || answer.buttonIndex != 0)
            return;
        AgentSetup *setup = self->m_services.agentSetup;
        if (!setup || !setup->pasteSignInLink(answer.text.trimmed())) {
            self->showKeyStatus(self->m_subscriptionStatusLabel,
                                ChatGPTAccount::noLongerWaitingText(),
                                Tone::failure);
        }
    });
}

void SettingsWindowController::checkStatus()
{
    showStatusLine(PeekabooStatusLine::checking());
    if (!m_services.agentSetup)
        return;
    QPointer<SettingsWindowController> self(this);
    const quint64 generation = m_generation;
    m_services.agentSetup->checkStatus([self, generation](const PeekabooStatusLine &line) {
        if (self && self->m_generation == generation)
            self->showStatusLine(line);
    });
}

void SettingsWindowController::showStatusLine(const PeekabooStatusLine &line)
{
    static const QColor dark[] = {QColor(0xff, 0xd6, 0x0a), QColor(0x32, 0xd7, 0x4b),
                                  QColor(0xff, 0x9f, 0x0a), QColor(0xff, 0x45, 0x3a)};
    static const QColor light[] = {QColor(0xff, 0xcc, 0x00), QColor(0x28, 0xcd, 0x41),
                                   QColor(0xff, 0x95, 0x00), QColor(0xff, 0x3b, 0x30)};
    m_statusDot->setColor((m_ui.light ? light : dark)[int(line.dot)]);
    m_statusLabel->setText(line.text);
    m_statusAction = line.action;
    m_statusActionButton->setText(line.buttonTitle);
    m_statusActionButton->setVisible(line.action != StatusAction::none && !line.buttonTitle.isEmpty());
    fitWindowToContent();
}

void SettingsWindowController::runStatusAction()
{
    AgentSetup *setup = m_services.agentSetup;
    if (!setup)
        return;
    QPointer<SettingsWindowController> self(this);
    const quint64 generation = m_generation;
    const auto alive = [self, generation] { return self && self->m_generation == generation; };
    switch (m_statusAction) {
    case StatusAction::none:
        return;
    case StatusAction::grant:
        showStatusLine({PeekabooStatusLine::Dot::yellow,
                        PeekabooStatusLine::requestingPermissionsText(),
                        StatusAction::none,
                        {}});
        setup->requestPermissions([self, alive](const std::optional<QString> &error) {
            if (!alive())
                return;
            if (error)
                self->showStatusLine({PeekabooStatusLine::Dot::red, *error, StatusAction::grant,
                                      QStringLiteral("Grant Permissions")});
            else
                self->showStatusLine({PeekabooStatusLine::Dot::orange,
                                      PeekabooStatusLine::afterPermissionRequestText(),
                                      StatusAction::none,
                                      {}});
        });
        return;
    case StatusAction::download:
        showStatusLine({PeekabooStatusLine::Dot::yellow,
                        PeekabooStatusLine::downloadingText(),
                        StatusAction::none,
                        {}});
        setup->prefetch([self, alive](const std::optional<QString> &error) {
            if (!alive())
                return;
            if (error)
                self->showStatusLine({PeekabooStatusLine::Dot::red, *error, StatusAction::download,
                                      QStringLiteral("Download Peekaboo")});
            else
                self->checkStatus();
        });
        return;
    case StatusAction::guide:
        if (m_services.openUrl)
            m_services.openUrl(setup->installGuide());
        return;
    }
}
