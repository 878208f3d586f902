#include "ui/BotFaceView.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

BotFaceView::BotFaceView(QWidget *parent) : QWidget(parent)
{
    auto *choose = new QPushButton(QStringLiteral("Choose Bot…"), this);
    connect(choose, &QPushButton::clicked, this, &BotFaceView::chooseBotRequested);
    m_retry = new QPushButton(QStringLiteral("Retry"), this);
    m_retry->setEnabled(false);
    connect(m_retry, &QPushButton::clicked, this, &BotFaceView::retryRequested);
    auto *toolbar = new QHBoxLayout;
    toolbar->addWidget(choose);
    toolbar->addStretch();
    toolbar->addWidget(m_retry);

    m_stack = new QStackedWidget(this);
    m_empty = new QLabel(QStringLiteral("Choose a bot conversation to begin."), m_stack);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_list = new QListWidget(m_stack);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_stack->addWidget(m_empty);
    m_stack->addWidget(m_list);

    m_input = new QLineEdit(this);
    m_send = new QPushButton(QStringLiteral("Send"), this);
    auto send = [this] {
        const QString text = m_input->text();
        if (text.trimmed().isEmpty())
            return;
        m_input->clear();
        emit sendRequested(text);
    };
    connect(m_input, &QLineEdit::returnPressed, this, send);
    connect(m_send, &QPushButton::clicked, this, send);
    auto *composer = new QHBoxLayout;
    composer->addWidget(m_input, 1);
    composer->addWidget(m_send);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(toolbar);
    layout->addWidget(m_stack, 1);
    layout->addLayout(composer);
    setEmptyStateVisible(true);
}

void BotFaceView::setMessages(const QList<BotMessage> &messages)
{
    m_list->clear();
    for (const BotMessage &message : messages) {
        const QString time = QDateTime::fromSecsSinceEpoch(message.date).toString(QStringLiteral("HH:mm"));
        QString line = message.text;
        line.replace(u'\n', u' ');
        m_list->addItem(QStringLiteral("%1 %2  %3").arg(message.isOutgoing ? QStringLiteral("→") : QStringLiteral("←"),
                                                        time, line));
    }
    m_list->scrollToBottom();
}

void BotFaceView::setEmptyStateVisible(bool visible)
{
    m_stack->setCurrentWidget(visible ? static_cast<QWidget *>(m_empty) : m_list);
}
void BotFaceView::setComposerPlaceholder(const QString &text) { m_input->setPlaceholderText(text); }
QString BotFaceView::composerPlaceholder() const { return m_input->placeholderText(); }
void BotFaceView::setRetryEnabled(bool enabled) { m_retry->setEnabled(enabled); }
void BotFaceView::clearReplyBar() {}
void BotFaceView::clearSearch() {}
void BotFaceView::focusComposer() { m_input->setFocus(); }
int BotFaceView::shownMessageCount() const { return m_list->count(); }
QString BotFaceView::shownLine(int row) const { return m_list->item(row) ? m_list->item(row)->text() : QString(); }
