#include "ui/TranscriptView.h"

#include "chat/TranscriptLayout.h"
#include "ui/IconTable.h"
#include "ui/TelegramMessageRow.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace M = ChatStyle::Metrics;

TranscriptView::TranscriptView(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The bar's room is kept from the start: a bar that appeared once the rows
    // outgrew the view would narrow the column and lay every row out again.
    // It is slim, and shows its handle only when there is something to scroll.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_document = new QWidget;
    m_document->setObjectName(QStringLiteral("transcriptDocument"));
    // Rows keep their place when the column grows or shrinks at its end: a
    // new message paints itself, not every row on screen.
    m_document->setAttribute(Qt::WA_StaticContents);
    m_column = new QVBoxLayout(m_document);
    const int inset = int(TranscriptLayout::initialColumnInset);
    m_topMargin = int(M::rowSpacing);
    m_column->setContentsMargins(inset, m_topMargin, inset, int(TranscriptLayout::bottomPadding));
    m_column->setSpacing(int(TranscriptLayout::rowSpacing));
    m_column->addStretch(1);
    setWidget(m_document);

    m_emptyState = new QWidget(viewport());
    auto *emptyLayout = new QVBoxLayout(m_emptyState);
    emptyLayout->setSpacing(8);
    m_emptyIcon = new QLabel(m_emptyState);
    m_emptyIcon->setAlignment(Qt::AlignCenter);
    m_emptyLabel = new QLabel(m_emptyState);
    // It quotes the search text.
    m_emptyLabel->setTextFormat(Qt::PlainText);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setWordWrap(true);
    m_emptyLabel->setFont(UiStyle::font(M::emptyStateLabel, QFont::Medium));
    emptyLayout->addStretch();
    emptyLayout->addWidget(m_emptyIcon);
    emptyLayout->addWidget(m_emptyLabel);
    emptyLayout->addStretch();
    m_emptyState->hide();

    QScrollBar *bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        m_pinnedToBottom = value >= bar->maximum() - int(TranscriptLayout::bottomTolerance);
        // Scrolled up into the space left by departed rows: the column closes
        // up before it is painted, so that space is never seen.
        if (value < m_departedSpace)
            closeDepartedSpace();
    });
    // Rows grow after they are laid out (wrapping, images): follow the end while pinned.
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        bar->setEnabled(maximum > 0);
        if (m_pinnedToBottom || m_scrollPending)
            bar->setValue(maximum);
    });
    bar->setEnabled(false);
    applyTheme(m_theme);
}

void TranscriptView::applyPlan(const TranscriptPlan &plan, const RowFactory &makeRow)
{
    const int departing = departingSpace(plan);
    if (departing < 0)
        closeDepartedSpace();
    // No layout pass until the column has its new height (see fitDocumentHeight).
    m_column->setEnabled(false);
    if (departing > 0)
        setDepartedSpace(m_departedSpace + departing);
    for (const QString &id : plan.removedRowIDs)
        discardRow(id);
    for (qsizetype j = 0; j < plan.visible.size(); ++j) {
        const BotMessage &message = plan.visible[j];
        TelegramMessageRow *row = m_messageRows.value(message.id);
        if (!row || plan.rebuiltIDs.contains(message.id)) {
            discardRow(message.id);
            row = makeRow(message);
            row->setHorizontalInset(m_messageInset);
            // Made at the column's width, so its first layout is its last.
            const QMargins margins = m_column->contentsMargins();
            row->resize(qMax(m_document->width() - margins.left() - margins.right(), 1), row->height());
            m_messageRows.insert(message.id, row);
            m_column->insertWidget(int(j), row);
            // Shown now rather than on the layout's next turn, so the column's
            // new height counts it.
            if (m_document->isVisible())
                row->show();
            continue;
        }
        const int at = m_column->indexOf(row);
        if (at != j) {
            m_column->removeWidget(row);
            m_column->insertWidget(int(qMin<qsizetype>(j, m_column->count() - 1)), row);
        }
    }
    fitDocumentHeight();
    m_column->setEnabled(true);
}

int TranscriptView::departingSpace(const TranscriptPlan &plan) const
{
    // Rows leaving the top of the column (the oldest message when a new one
    // comes) leave their space behind: the rows below keep their places, the
    // view scrolls as one piece and only the new row is painted. Moving every
    // row up instead makes Qt repaint everything on screen.
    for (const QString &id : plan.rebuiltIDs) {
        if (m_messageRows.contains(id))
            return -1; // rows change in place: the column is laid out anew anyway
    }
    if (plan.removedRowIDs.isEmpty())
        return 0;
    const QList<TelegramMessageRow *> rows = orderedRows();
    qsizetype firstKept = 0;
    while (firstKept < rows.size() && plan.removedRowIDs.contains(rows[firstKept]->message().id))
        ++firstKept;
    // Every row goes (another chat, signed out): the next ones start at the top.
    if (firstKept == rows.size())
        return -1;
    if (firstKept == 0)
        return 0;
    // Off screen the rows' places are not to be trusted, and nothing is painted anyway.
    if (!m_document->isVisible())
        return -1;
    // A column that would no longer fill the view closes up, so that a short
    // list (a search) starts at the top.
    const int space = rows[firstKept]->y() - rows.first()->y();
    const int rest = rows.last()->geometry().bottom() - rows[firstKept]->y();
    if (space <= 0 || rest < viewport()->height() ||
        m_departedSpace + space > departedSpaceScreens * viewport()->height())
        return -1;
    return space;
}

void TranscriptView::setDepartedSpace(int space)
{
    if (space == m_departedSpace)
        return;
    m_departedSpace = space;
    const QMargins margins = m_column->contentsMargins();
    m_column->setContentsMargins(margins.left(), m_topMargin + space, margins.right(), margins.bottom());
}

void TranscriptView::closeDepartedSpace()
{
    if (m_departedSpace == 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value() - m_departedSpace;
    const bool wasEnabled = m_column->isEnabled();
    m_column->setEnabled(false);
    setDepartedSpace(0);
    fitDocumentHeight();
    m_column->setEnabled(wasEnabled);
    m_column->activate();
    bar->setValue(qMax(value, 0));
}

void TranscriptView::fitDocumentHeight()
{
    // The scroll area gives the column its new height only after the column
    // has laid its rows out once in the old one. A column that grew would be
    // squeezed for that pass (tall rows first) and every row on screen
    // resized twice and repainted; sized now, the rows that stay only move.
    const int width = m_document->width();
    if (width <= 0 || !m_document->isVisible())
        return;
    const int height = qMax(viewport()->height(), m_document->heightForWidth(width));
    if (height != m_document->height())
        m_document->resize(width, height);
}

void TranscriptView::discardRow(const QString &id)
{
    TelegramMessageRow *row = m_messageRows.take(id);
    if (!row)
        return;
    m_column->removeWidget(row);
    // Hidden with the focus in it (a clicked link), the row would hand the
    // focus to the next row and the view would jump to that row.
    if (QWidget *focused = QApplication::focusWidget(); focused && row->isAncestorOf(focused))
        focused->clearFocus();
    row->hide();
    // Its speech ends now, not when the row is finally deleted.
    row->stopReadingAloud();
    // Deleting now would pull a row out from under its own button's click.
    row->deleteLater();
}

QList<TelegramMessageRow *> TranscriptView::orderedRows() const
{
    QList<TelegramMessageRow *> rows;
    for (int i = 0; i < m_column->count(); ++i) {
        if (auto *row = qobject_cast<TelegramMessageRow *>(m_column->itemAt(i)->widget()))
            rows << row;
    }
    return rows;
}

TelegramMessageRow *TranscriptView::lastRow() const
{
    const int last = m_column->count() - 2; // the stretch closes the column
    return last >= 0 ? qobject_cast<TelegramMessageRow *>(m_column->itemAt(last)->widget()) : nullptr;
}

void TranscriptView::setEmptyState(const QString &text, bool visible)
{
    m_emptyLabel->setText(text);
    m_emptyState->setVisible(visible);
    placeEmptyState();
}

bool TranscriptView::isEmptyStateShowing() const
{
    return !m_emptyState->isHidden();
}

QString TranscriptView::emptyStateText() const
{
    return m_emptyLabel->text();
}

bool TranscriptView::isAtBottom() const
{
    const qreal documentHeight = m_document->height();
    const qreal clipHeight = viewport()->height();
    const qreal visibleBottom = verticalScrollBar()->value() + clipHeight;
    return TranscriptLayout::isAtBottom(documentHeight, clipHeight, visibleBottom);
}

void TranscriptView::updateTranscriptLayout(bool scrollToBottom)
{
    if (viewport()->width() <= 0) {
        // Before the window has a size: try again on the next turn.
        if (!m_layoutRetryScheduled) {
            m_layoutRetryScheduled = true;
            QTimer::singleShot(0, this, [this, scrollToBottom] {
                m_layoutRetryScheduled = false;
                if (isVisible())
                    updateTranscriptLayout(scrollToBottom);
            });
        }
        return;
    }
    const bool atBottom = isAtBottom() || m_pinnedToBottom;
    if (atBottom || scrollToBottom) {
        m_pinnedToBottom = true;
        m_scrollPending = true;
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        // The document takes its new height when the layout request is handled.
        QTimer::singleShot(0, this, [this] {
            verticalScrollBar()->setValue(verticalScrollBar()->maximum());
            m_scrollPending = false;
        });
    }
}

void TranscriptView::updateTranscriptInsets(qreal windowWidth)
{
    const TranscriptLayout::Insets insets = TranscriptLayout::insets(windowWidth);
    const int column = qRound(insets.column);
    const QMargins margins = m_column->contentsMargins();
    m_column->setContentsMargins(column, margins.top(), column, margins.bottom());
    if (qFuzzyCompare(insets.message, m_messageInset))
        return;
    m_messageInset = insets.message;
    for (TelegramMessageRow *row : std::as_const(m_messageRows))
        row->setHorizontalInset(m_messageInset);
}

void TranscriptView::applyTheme(const UiTheme &theme)
{
    m_theme = theme;
    UiStyle::setBackground(this, theme.transcript());
    UiStyle::setBackground(viewport(), theme.transcript());
    UiStyle::setBackground(m_document, theme.transcript());
    QColor handle = theme.secondary();
    handle.setAlphaF(0.45f);
    verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: 8px; background: transparent; margin: 4px 2px 4px 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 28px; }"
                       "QScrollBar::handle:vertical:disabled { background: transparent; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(handle.name(QColor::HexArgb)));
    m_emptyIcon->setPixmap(IconTable::pixmap(QStringLiteral("bubble.left.and.bubble.right"),
                                             theme.secondary(), int(M::emptyStateSymbol)));
    QPalette palette = m_emptyLabel->palette();
    palette.setColor(QPalette::WindowText, theme.secondary());
    m_emptyLabel->setPalette(palette);
}

void TranscriptView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    placeEmptyState();
}

void TranscriptView::placeEmptyState()
{
    m_emptyState->setGeometry(viewport()->rect().adjusted(24, 0, -24, 0));
    m_emptyState->raise();
}

#include "moc_TranscriptView.cpp"
