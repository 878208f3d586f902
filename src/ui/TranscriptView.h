#pragma once

#include "chat/TranscriptPlan.h"
#include "ui/UiStyle.h"

#include <QHash>
#include <QScrollArea>
#include <functional>

class QLabel;
class QVBoxLayout;
class TelegramMessageRow;

// The scrolling column of message rows. It applies a refresh plan: rows of
// unchanged messages stay (the same objects), moved messages move, changed
// ones are replaced in place. It keeps the view at the bottom when it was
// there, and shows the empty state over the column.
class TranscriptView : public QScrollArea
{
    Q_OBJECT
public:
    explicit TranscriptView(QWidget *parent = nullptr);

    using RowFactory = std::function<TelegramMessageRow *(const BotMessage &)>;
    // Removes, builds and places rows so the column shows plan.visible in order.
    void applyPlan(const TranscriptPlan &plan, const RowFactory &makeRow);

    const QHash<QString, TelegramMessageRow *> &messageRows() const { return m_messageRows; }
    TelegramMessageRow *row(const QString &id) const { return m_messageRows.value(id); }
    // The rows in column order.
    QList<TelegramMessageRow *> orderedRows() const;
    TelegramMessageRow *lastRow() const;

    void setEmptyState(const QString &text, bool visible);
    bool isEmptyStateShowing() const;
    QString emptyStateText() const;

    void updateTranscriptLayout(bool scrollToBottom);
    // The insets tighten from 365-point wide windows down to 300 points.
    void updateTranscriptInsets(qreal windowWidth);
    qreal messageInset() const { return m_messageInset; }
    bool isAtBottom() const;

    void applyTheme(const UiTheme &theme);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void discardRow(const QString &id);
    void fitDocumentHeight();
    // The blank space the rows leaving the top of the column keep; -1 when
    // the column should close up instead.
    int departingSpace(const TranscriptPlan &plan) const;
    void setDepartedSpace(int space);
    void closeDepartedSpace();

    static constexpr int departedSpaceScreens = 8;
    void placeEmptyState();

    QWidget *m_document;
    QVBoxLayout *m_column;
    QWidget *m_emptyState;
    QLabel *m_emptyIcon;
    QLabel *m_emptyLabel;
    QHash<QString, TelegramMessageRow *> m_messageRows;
    qreal m_messageInset = 12;
    int m_topMargin = 0;
    // Blank space above the first row where departed rows were.
    int m_departedSpace = 0;
    bool m_pinnedToBottom = true;
    bool m_scrollPending = false;
    bool m_layoutRetryScheduled = false;
    UiTheme m_theme;
};
