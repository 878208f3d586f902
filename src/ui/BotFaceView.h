#pragma once

#include "telegram/BotMessage.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// The bot face: toolbar, the conversation and the composer.
class BotFaceView : public QWidget
{
    Q_OBJECT
public:
    explicit BotFaceView(QWidget *parent = nullptr);

    void setMessages(const QList<BotMessage> &messages);
    void setEmptyStateVisible(bool visible);
    void setComposerPlaceholder(const QString &text);
    QString composerPlaceholder() const;
    void setRetryEnabled(bool enabled);
    void clearReplyBar();
    void clearSearch();
    void focusComposer();
    int shownMessageCount() const;
    QString shownLine(int row) const;

signals:
    void sendRequested(const QString &text);
    void chooseBotRequested();
    void retryRequested();

private:
    QStackedWidget *m_stack;
    QLabel *m_empty;
    QListWidget *m_list;
    QLineEdit *m_input;
    QPushButton *m_send;
    QPushButton *m_retry;
};
