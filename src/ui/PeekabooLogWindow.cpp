#include "ui/PeekabooLogWindow.h"

#include "agent/PeekabooLog.h"
#include "platform/FileReveal.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// How close to the end the view must be to count as showing the bottom.
constexpr int bottomSlack = 24;

QFont systemFont(qreal pointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace

PeekabooLogWindow::PeekabooLogWindow(PeekabooLog &log, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(log)
{
    setWindowTitle(QStringLiteral("Peekaboo Log"));
    resize(660, 460);
    setMinimumSize(420, 240);

    auto *refreshButton = new QPushButton(QStringLiteral("Refresh"), this);
    auto *revealButton = new QPushButton(FileReveal::actionTitle(), this);
    auto *clearButton = new QPushButton(QStringLiteral("Clear"), this);
    connect(refreshButton, &QPushButton::clicked, this, &PeekabooLogWindow::refresh);
    connect(revealButton, &QPushButton::clicked, this, &PeekabooLogWindow::reveal);
    connect(clearButton, &QPushButton::clicked, this, &PeekabooLogWindow::clearLog);

    m_pathLabel = new QLabel(this);
    m_pathLabel->setTextFormat(Qt::PlainText);
    m_pathLabel->setText(m_log.filePath());
    m_pathLabel->setFont(systemFont(10));
    m_pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_textView = new QPlainTextEdit(this);
    m_textView->setReadOnly(true);
    m_textView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(11);
    m_textView->setFont(mono);
    m_textView->setStyleSheet(QStringLiteral("QPlainTextEdit { padding: 8px 10px; }"));

    m_emptyLabel = new QLabel(QStringLiteral("No Peekaboo activity yet."), m_textView->viewport());
    m_emptyLabel->setFont(systemFont(12));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    auto *overlay = new QVBoxLayout(m_textView->viewport());
    overlay->addWidget(m_emptyLabel, 0, Qt::AlignCenter);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(refreshButton);
    buttons->addWidget(revealButton);
    buttons->addWidget(clearButton);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_pathLabel);
    layout->addWidget(m_textView, 1);

    m_liveTimer.setInterval(1000);
    connect(&m_liveTimer, &QTimer::timeout, this, &PeekabooLogWindow::reloadIfChanged);
}

void PeekabooLogWindow::present()
{
    QWidget::show();
    raise();
    activateWindow();
    refresh();
}

void PeekabooLogWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_liveTimer.start();
}

void PeekabooLogWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_liveTimer.stop();
}

void PeekabooLogWindow::closeEvent(QCloseEvent *event)
{
    m_liveTimer.stop();
    QWidget::closeEvent(event);
}

void PeekabooLogWindow::refresh()
{
    display(m_log.read(), true);
}

void PeekabooLogWindow::reloadIfChanged()
{
    const QString text = m_log.read();
    if (text == m_shown)
        return;
    display(text, isShowingBottom());
}

void PeekabooLogWindow::clearLog()
{
    m_log.clear();
    refresh();
}

void PeekabooLogWindow::reveal()
{
    revealFile(m_log.prepareForReveal());
}

bool PeekabooLogWindow::isShowingBottom() const
{
    const QScrollBar *bar = m_textView->verticalScrollBar();
    // QPlainTextEdit scrolls by lines; convert the slack from pixels.
    const int lineHeight = qMax(1, m_textView->fontMetrics().lineSpacing());
    const int slackLines = qMax(1, (bottomSlack + lineHeight - 1) / lineHeight);
    return bar->maximum() - bar->value() <= slackLines;
}

void PeekabooLogWindow::display(const QString &text, bool scrollToEnd)
{
    QScrollBar *bar = m_textView->verticalScrollBar();
    const int kept = bar->value();
    if (!m_shown.isEmpty() && text.startsWith(m_shown)) {
        // Only new entries: add them at the end, leaving the view where it is.
        QTextCursor cursor(m_textView->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text.mid(m_shown.size()));
    } else {
        m_textView->setPlainText(text);
    }
    m_shown = text;
    m_emptyLabel->setVisible(text.isEmpty());
    if (scrollToEnd)
        bar->setValue(bar->maximum());
    else
        bar->setValue(qMin(kept, bar->maximum()));
}

void PeekabooLogWindow::revealFile(const QString &path)
{
    FileReveal::reveal(path);
}

#include "moc_PeekabooLogWindow.cpp"
