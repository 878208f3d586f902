#pragma once

#include "ui/ThemedView.h"

#include <QStringList>
#include <QWidget>
#include <optional>

// A row of equal segments, one selected, drawn as pills on a rounded track.
// A click selects the segment under the pointer and emits activated, also
// when it was already selected; Left and Right move the selection and emit
// activated even at either end.
class ThemedSegmentedControl : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    // symbols: optional symbol names beside the labels, may be empty.
    ThemedSegmentedControl(const QStringList &labels, const QStringList &symbols = {},
                           QWidget *parent = nullptr);

    const QStringList &labels() const { return m_labels; }
    int selectedSegment() const { return m_selected; }
    // From code: redraws, emits nothing.
    void setSelectedSegment(int segment);
    std::optional<int> hoveredSegment() const { return m_hovered; }

    QSize sizeHint() const override;
    QAccessible::Role accessibleRole() const override { return QAccessible::Grouping; }
    QString accessibleValue() const override;

signals:
    void activated(int segment);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void themeChanged() override { update(); }

private:
    int count() const { return int(qMax<qsizetype>(m_labels.size(), 1)); }
    std::optional<int> segmentAt(qreal x) const;
    void select(int segment);

    QStringList m_labels;
    QStringList m_symbols;
    int m_selected = 0;
    std::optional<int> m_hovered;
};
