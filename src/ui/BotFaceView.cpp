#include "ui/BotFaceView.h"

#include "chat/PinButton.h"
#include "platform/WindowDesktops.h"
#include "speech/MessageSpeaker.h"
#include "ui/AudioPlayback.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/IconTable.h"
#include "ui/RecordingWaveformView.h"
#include "ui/SkillCompletionController.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int toolSymbol = 13;
constexpr int statusLingerMs = 8000;
} // namespace

BotFaceView::BotFaceView(QWidget *parent, MermaidRenderer *diagrams)
    : QWidget(parent), m_speaker(std::make_unique<MessageSpeaker>()), m_audio(new AudioPlayback(this))
{
    m_toolbar = new QWidget(this);
    auto *toolbar = new QHBoxLayout(m_toolbar);
    toolbar->setContentsMargins(10, 6, 8, 6);
    toolbar->setSpacing(2);
    m_search = new QLineEdit(m_toolbar);
    m_search->setPlaceholderText(QStringLiteral("Search"));
    // Our own clear button: Qt's loads the style's bitmap through every image
    // plugin on the way to the first frame.
    m_clearSearch = m_search->addAction(QIcon(), QLineEdit::TrailingPosition);
    m_clearSearch->setToolTip(QStringLiteral("Clear search"));
    m_clearSearch->setVisible(false);
    connect(m_clearSearch, &QAction::triggered, m_search, &QLineEdit::clear);
    connect(m_search, &QLineEdit::textChanged, m_clearSearch,
            [this](const QString &text) { m_clearSearch->setVisible(!text.isEmpty()); });
    m_search->setFont(UiStyle::font(11.5));
    m_search->setAccessibleName(QStringLiteral("Search messages"));
    toolbar->addWidget(m_search, 1);
    toolbar->addSpacing(4);
    QToolButton *smaller = makeToolButton(QStringLiteral("textformat.size.smaller"),
                                          QStringLiteral("Decrease message font size"));
    m_fontScaleLabel = new QLabel(m_fontScale.label(), m_toolbar);
    m_fontScaleLabel->setFont(UiStyle::font(10.5, QFont::Medium));
    m_fontScaleLabel->setMinimumWidth(32);
    m_fontScaleLabel->setAlignment(Qt::AlignCenter);
    QToolButton *larger = makeToolButton(QStringLiteral("textformat.size.larger"),
                                         QStringLiteral("Increase message font size"));
    QToolButton *pin =
        makeToolButton(QStringLiteral("pin.fill"),
                       QStringLiteral("Window stays on top. Click to let other windows come forward."));
    QToolButton *choose = makeToolButton(QStringLiteral("person.2"), QStringLiteral("Choose Bot…"));
    toolbar->addWidget(smaller);
    toolbar->addWidget(m_fontScaleLabel);
    toolbar->addWidget(larger);
    toolbar->addSpacing(4);
    toolbar->addWidget(pin);
    toolbar->addWidget(choose);
    connect(smaller, &QToolButton::clicked, this, &BotFaceView::decreaseFontSize);
    connect(larger, &QToolButton::clicked, this, &BotFaceView::increaseFontSize);
    connect(pin, &QToolButton::clicked, this, &BotFaceView::pinToggled);
    connect(choose, &QToolButton::clicked, this, &BotFaceView::chooseBotRequested);
    addFontScaleShortcuts();

    m_separator = new QWidget(this);
    m_separator->setFixedHeight(1);
    m_transcriptView = new TranscriptView(this);
    m_transcript = new TranscriptController(m_transcriptView, m_audio, m_speaker.get(), diagrams, this);
    connect(m_search, &QLineEdit::textChanged, m_transcript, &TranscriptController::searchChanged);

    m_status = new QLabel(this);
    // Results and failures quote Telegram's and the agent's own words.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setFont(UiStyle::font(10.5));
    m_status->setContentsMargins(14, 2, 14, 0);
    m_status->setWordWrap(true);
    m_status->hide();

    m_composer = new ComposerView(this);
    connect(m_composer, &ComposerView::sendRequested, this,
            [this] { emit sendRequested(m_composer->text()); });
    connect(m_composer, &ComposerView::runAsMacTaskRequested, this,
            [this] { emit runDraftAsMacTaskRequested(m_composer->text()); });
    connect(m_composer, &ComposerView::retryRequested, this, &BotFaceView::retryRequested);
    connect(m_composer, &ComposerView::attachRequested, this, &BotFaceView::attachRequested);
    connect(m_composer, &ComposerView::recordRequested, this, &BotFaceView::recordRequested);
    m_composer->input()->onPasteFile = [this](const QUrl &url) { emit pasteFileRequested(url); };
    m_composer->input()->onPasteImage = [this](const QImage &image) { emit pasteImageRequested(image); };
    m_transcript->actions.reply = [this](const BotMessage &message) { m_composer->beginReply(message); };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_separator);
    layout->addWidget(m_transcriptView, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_composer);

    applyTheme(UiTheme{AppTheme(), ChatStyle::lightAppearance()});
    setEmptyStateVisible(true);
}

BotFaceView::~BotFaceView()
{
    // Rows hold the speaker; they go before it does.
    delete m_transcriptView;
    m_transcriptView = nullptr;
}

QToolButton *BotFaceView::makeToolButton(const QString &symbol, const QString &toolTip)
{
    auto *button = new QToolButton(m_toolbar);
    button->setAutoRaise(true);
    button->setFixedSize(24, 24);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setText(toolTip);
    button->setProperty("symbol", symbol);
    button->setFocusPolicy(Qt::NoFocus);
    m_toolButtons << button;
    return button;
}

void BotFaceView::addFontScaleShortcuts()
{
    // The keys of the size buttons, anywhere in the window while the bot face shows.
    auto add = [this](const QList<QKeySequence> &candidates, void (BotFaceView::*step)()) {
        // The platform's zoom keys may be the same as ours; one binding each.
        QList<QKeySequence> keys;
        for (const QKeySequence &key : candidates)
            if (!key.isEmpty() && !keys.contains(key))
                keys << key;
        auto *action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, step);
        addAction(action);
    };
    add({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(QKeySequence::ZoomIn)},
        &BotFaceView::increaseFontSize);
    add({QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(QKeySequence::ZoomOut)},
        &BotFaceView::decreaseFontSize);
    add({QKeySequence(Qt::CTRL | Qt::Key_0)}, &BotFaceView::resetFontSize);
}

void BotFaceView::refreshToolbarIcons()
{
    m_clearSearch->setIcon(IconTable::icon(QStringLiteral("xmark.circle.fill"), m_theme.secondary(), 14));
    for (QToolButton *button : std::as_const(m_toolButtons)) {
        QString symbol = button->property("symbol").toString();
        QColor tint = m_theme.secondary();
        if (symbol == QLatin1String("pin.fill") || symbol == QLatin1String("pin.slash")) {
            const PinButton::Look look = PinButton::look(m_pinned, WindowDesktops::canKeepAbove());
            symbol = look.symbol;
            button->setProperty("symbol", symbol);
            tint = look.botTint ? m_theme.accent() : m_theme.secondary();
            button->setToolTip(look.help);
            button->setAccessibleName(look.help);
        } else if (symbol == QLatin1String("person.2")) {
            tint = m_theme.accent();
        }
        const QIcon icon = IconTable::icon(symbol, tint, toolSymbol);
        button->setIcon(icon);
        button->setIconSize(QSize(toolSymbol, toolSymbol));
        button->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    }
}

void BotFaceView::setPinned(bool pinned)
{
    m_pinned = pinned;
    refreshToolbarIcons();
}

void BotFaceView::setMessages(const QList<BotMessage> &messages)
{
    m_transcript->showMessages(messages, true, false);
}

void BotFaceView::setEmptyStateVisible(bool visible)
{
    m_transcriptView->setEmptyState(QStringLiteral("Choose a bot from Settings → Choose Bot…"), visible);
}

void BotFaceView::setComposerPlaceholder(const QString &text)
{
    m_composer->setPlaceholderString(text);
}

QString BotFaceView::composerPlaceholder() const
{
    return m_composer->input()->placeholderString();
}

void BotFaceView::setRetryEnabled(bool enabled)
{
    m_composer->setRetryEnabled(enabled);
}

void BotFaceView::clearReplyBar()
{
    m_composer->clearReply();
}

void BotFaceView::clearSearch()
{
    const QSignalBlocker blocker(m_search);
    m_search->clear();
    m_transcript->clearSearch();
}

void BotFaceView::focusSearch()
{
    m_search->setFocus();
    m_search->selectAll();
}

void BotFaceView::focusComposer()
{
    // The input gets the focus within the window; activating the window is the
    // controller's decision, so a refreshed bot list never steals the user's focus.
    m_composer->input()->setFocus();
}

int BotFaceView::shownMessageCount() const
{
    return int(m_transcriptView->orderedRows().size());
}

QString BotFaceView::shownLine(int row) const
{
    const QList<TelegramMessageRow *> rows = m_transcriptView->orderedRows();
    return row >= 0 && row < rows.size() ? rows[row]->message().text : QString();
}

void BotFaceView::showStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    QTimer::singleShot(statusLingerMs, m_status, [label = m_status, text] {
        if (label->text() == text)
            label->hide();
    });
}

QString BotFaceView::statusText() const
{
    return m_status->text();
}

void BotFaceView::applyTheme(const UiTheme &theme)
{
    m_theme = theme;
    setPalette(theme.palette());
    UiStyle::setBackground(this, theme.window());
    UiStyle::setBackground(m_toolbar, theme.window());
    UiStyle::setBackground(m_separator, theme.border());
    QPalette statusPalette = m_status->palette();
    statusPalette.setColor(QPalette::WindowText, theme.secondary());
    m_status->setPalette(statusPalette);
    QPalette searchPalette = theme.palette();
    searchPalette.setColor(QPalette::Base, theme.composer());
    m_search->setPalette(searchPalette);
    refreshToolbarIcons();
    m_composer->setTheme(theme);
    m_transcript->setTheme(theme);
}

QString BotFaceView::fontScaleLabel() const
{
    return m_fontScaleLabel->text();
}

void BotFaceView::decreaseFontSize()
{
    const qreal old = m_fontScale.value();
    if (m_fontScale.decrease())
        updateFontSize(old);
}

void BotFaceView::increaseFontSize()
{
    const qreal old = m_fontScale.value();
    if (m_fontScale.increase())
        updateFontSize(old);
}

void BotFaceView::resetFontSize()
{
    const qreal old = m_fontScale.value();
    if (m_fontScale.reset())
        updateFontSize(old);
}

void BotFaceView::updateFontSize(qreal oldScale)
{
    const qreal scale = m_fontScale.value();
    // The window grows and shrinks with the text, centred where it was and inside the screen.
    QWidget *window = this->window();
    if (window && window != this && window->isVisible()) {
        const QRect frame = window->geometry();
        const int minimum = FontScale::minimumWindowWidth(scale);
        window->setMinimumWidth(minimum);
        const int width = qMax(minimum, qRound(m_windowWidth.widthFor(frame.width(), oldScale, scale)));
        QRect target(frame.center().x() - width / 2, frame.y(), width, frame.height());
        if (const QScreen *screen = window->screen()) {
            const QRect available = screen->availableGeometry();
            if (target.width() > available.width())
                target.setWidth(available.width());
            target.moveLeft(qBound(available.left(), target.left(), available.right() - target.width() + 1));
        }
        window->setGeometry(target);
        m_windowWidth.applied(target.width());
        m_transcriptView->updateTranscriptInsets(target.width());
    }
    m_fontScaleLabel->setText(m_fontScale.label());
    m_composer->setFontScale(scale);
    m_transcript->setFontScale(scale);
    emit fontScaleChanged(scale);
}

void BotFaceView::windowDidResize()
{
    m_transcriptView->updateTranscriptInsets(width());
    m_composer->updateComposerInputHeight();
    ComposerTextView *input = m_composer->input();
    if (input->skillCompletion && input->skillCompletion->isVisible())
        input->updateSkillCompletion();
}

void BotFaceView::setHoverCollapsed(bool collapsed)
{
    m_hoverCollapsed = collapsed;
    m_toolbar->setVisible(!collapsed);
    m_separator->setVisible(!collapsed);
    m_transcriptView->setVisible(!collapsed);
    m_composer->setHoverCollapsed(collapsed);
}

QString BotFaceView::composerText() const
{
    return m_composer->text();
}

std::optional<QString> BotFaceView::replyTargetID() const
{
    if (!m_composer->replyTarget())
        return std::nullopt;
    return m_composer->replyTarget()->id;
}

void BotFaceView::clearComposer()
{
    m_composer->clearInput();
    m_composer->clearReply();
    m_composer->input()->applyTokenHighlighting();
    m_composer->input()->updateSkillCompletion();
}

void BotFaceView::restoreDraft(const QString &text)
{
    ComposerTextView *input = m_composer->input();
    const QString typed = input->toPlainText();
    input->setPlainText(typed.isEmpty() ? text : text + QLatin1Char('\n') + typed);
    input->moveCursor(QTextCursor::End);
    input->applyTokenHighlighting();
}

void BotFaceView::setSkillCompletion(SkillCompletionController *popup,
                                     std::function<QStringList(const QString &prefix)> skillNames)
{
    ComposerTextView *input = m_composer->input();
    input->skillCompletion = popup;
    input->skillNameProvider = std::move(skillNames);
    QPointer<ComposerTextView> target(input);
    popup->onCommit = [target](const QString &name) {
        if (target)
            target->commitSkill(name);
    };
}

bool BotFaceView::updateThinkingText(const QString &itemID, const QString &text)
{
    TelegramMessageRow *row = m_transcriptView->lastRow();
    if (!row || row->message().id != itemID)
        return false;
    row->updateThinkingText(text);
    return true;
}

QPoint BotFaceView::attachMenuPosition() const
{
    const QToolButton *attach = m_composer->button(QStringLiteral("paperclip"));
    return attach->mapToGlobal(QPoint(0, attach->height()));
}

void BotFaceView::setRecording(bool recording)
{
    m_composer->setRecording(recording);
}

void BotFaceView::setRecordingLevel(double level, double phase)
{
    m_composer->recordingWaveform()->setLevel(level, phase);
}

#include "moc_BotFaceView.cpp"
