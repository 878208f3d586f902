#pragma once

#include "chat/FontScale.h"
#include "telegram/BotMessage.h"
#include "ui/UiStyle.h"

#include <QImage>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class AudioPlayback;
class ComposerView;
class MermaidRenderer;
class MessageSpeaker;
class QAction;
class QLabel;
class QLineEdit;
class QToolButton;
class SkillCompletionController;
class TranscriptController;
class TranscriptView;

// The bot face: the toolbar (search, font size, pin, bot chooser), the
// transcript, the status line and the composer. It owns the application's one
// audio player, speaker and diagram host, which its rows share.
class BotFaceView : public QWidget
{
    Q_OBJECT
public:
    // diagrams: null shows diagrams as their source.
    explicit BotFaceView(QWidget *parent = nullptr, MermaidRenderer *diagrams = nullptr);
    ~BotFaceView() override;

    TranscriptController *transcript() const { return m_transcript; }
    TranscriptView *transcriptView() const { return m_transcriptView; }
    ComposerView *composer() const { return m_composer; }
    AudioPlayback *audio() const { return m_audio; }
    MessageSpeaker *speaker() const { return m_speaker.get(); }
    QLineEdit *searchField() const { return m_search; }

    // Shows a full list (no search change, no forced rebuild), scrolled to the bottom.
    void setMessages(const QList<BotMessage> &messages);
    void setEmptyStateVisible(bool visible);
    void setComposerPlaceholder(const QString &text);
    QString composerPlaceholder() const;
    void setRetryEnabled(bool enabled);
    void clearReplyBar();
    void clearSearch();
    void focusSearch();
    void focusComposer();
    int shownMessageCount() const;
    QString shownLine(int row) const;

    // The window's status line for short results and failures.
    void showStatus(const QString &text);
    QString statusText() const;

    void applyTheme(const UiTheme &theme);
    const UiTheme &theme() const { return m_theme; }

    qreal fontScale() const { return m_fontScale.value(); }
    void decreaseFontSize();
    void increaseFontSize();
    void resetFontSize();
    QString fontScaleLabel() const;
    // Shows the pin state; the window's level is the controller's.
    void setPinned(bool pinned);
    // The window took a new size: the transcript insets, the input height and a
    // visible skill popup follow it.
    void windowDidResize();
    // Collapsed to the composer while the pointer is over the window: the
    // toolbar, separator and transcript hide and the input is capped.
    void setHoverCollapsed(bool collapsed);
    bool isHoverCollapsed() const { return m_hoverCollapsed; }

    // The composer as the controller uses it.
    QString composerText() const;
    std::optional<QString> replyTargetID() const;
    // Empties the input and the reply bar, with token colours and the skill popup in step.
    void clearComposer();
    // A text that could not be sent goes back into the input, before anything typed since.
    void restoreDraft(const QString &text);
    // The skill popup the input offers, with the names it completes.
    void setSkillCompletion(SkillCompletionController *popup,
                            std::function<QStringList(const QString &prefix)> skillNames);
    // A voice note recording: the microphone button and the level bars.
    void setRecording(bool recording);
    void setRecordingLevel(double level, double phase);

    // Where the attach button's menu opens, in global coordinates.
    QPoint attachMenuPosition() const;
    // The thinking text of the transcript's last row, when that row is the given synthetic item.
    bool updateThinkingText(const QString &itemID, const QString &text);

signals:
    void sendRequested(const QString &text);
    void runDraftAsMacTaskRequested(const QString &text);
    void chooseBotRequested();
    void retryRequested();
    void pinToggled();
    void attachRequested();
    void recordRequested();
    void pasteFileRequested(const QUrl &url);
    void pasteImageRequested(const QImage &image);
    void fontScaleChanged(qreal scale);

private:
    QToolButton *makeToolButton(const QString &symbol, const QString &toolTip);
    void refreshToolbarIcons();
    void addFontScaleShortcuts();
    void updateFontSize(qreal oldScale);

    UiTheme m_theme;
    FontScale m_fontScale;
    ScaledWindowWidth m_windowWidth;
    bool m_pinned = true;
    bool m_hoverCollapsed = false;
    std::unique_ptr<MessageSpeaker> m_speaker;
    AudioPlayback *m_audio;
    QWidget *m_toolbar;
    QLineEdit *m_search;
    QAction *m_clearSearch;
    QLabel *m_fontScaleLabel;
    QList<QToolButton *> m_toolButtons;
    QWidget *m_separator;
    TranscriptView *m_transcriptView;
    TranscriptController *m_transcript;
    QLabel *m_status;
    ComposerView *m_composer;
};
