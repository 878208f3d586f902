#pragma once

#include "telegram/BotMessage.h"
#include "ui/UiStyle.h"

#include <QWidget>
#include <optional>

class ComposerTextView;
class QLabel;
class RecordingWaveformView;
class QToolButton;

// The bottom of the bot face: the reply bar, the input and its buttons
// (attach, record, clear, retry, send). The input keeps a height of two to
// five lines of its text.
class ComposerView : public QWidget
{
    Q_OBJECT
public:
    explicit ComposerView(QWidget *parent = nullptr);

    ComposerTextView *input() const { return m_input; }
    QString text() const;
    void clearInput();

    void beginReply(const BotMessage &message);
    void clearReply();
    const std::optional<BotMessage> &replyTarget() const { return m_replyTarget; }
    bool isReplyBarVisible() const;
    QString replyHeading() const;
    // The preview's full text (the label elides it to its width).
    QString replyPreview() const;

    // The microphone button as "stop", and the level bars, while a voice note records.
    void setRecording(bool recording);
    bool isRecording() const;
    RecordingWaveformView *recordingWaveform() const { return m_waveform; }

    void setRetryEnabled(bool enabled);
    bool isRetryEnabled() const;
    void setPlaceholderString(const QString &text);

    // Two to five lines of the text, or at most 26 points while the window is collapsed.
    void updateComposerInputHeight();
    void setHoverCollapsed(bool collapsed);
    int inputHeight() const;
    void setTheme(const UiTheme &theme);
    void setFontScale(qreal scale);

    QToolButton *button(const QString &symbol) const;

signals:
    void sendRequested();
    void runAsMacTaskRequested();
    void retryRequested();
    void attachRequested();
    void recordRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *makeButton(const QString &symbol, const QString &toolTip, bool circular);
    void refreshButtonIcons();
    void refreshReplyBar();

    UiTheme m_theme;
    qreal m_fontScale = 1.0;
    bool m_hoverCollapsed = false;
    std::optional<BotMessage> m_replyTarget;
    QWidget *m_replyBar;
    QWidget *m_replyAccent;
    QLabel *m_replyHeading;
    QLabel *m_replyPreview;
    QToolButton *m_cancelReply;
    QWidget *m_inputBox;
    ComposerTextView *m_input;
    RecordingWaveformView *m_waveform;
    QList<QToolButton *> m_buttons;
};
