#pragma once

#include "ui/UiStyle.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>

class QFrame;
class QListWidget;

// Draws one "@name" row; the picked (highlighted) row gets the accent.
class SkillRowView : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    UiTheme theme;
    int pickedRow = 0;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool isPicked(const QModelIndex &index) const { return index.row() == pickedRow; }
};

// The small popup of matching skill names above the composer's caret. It
// never takes focus: the composer keeps the keys and drives it (Return or Tab
// commits, Escape hides, Up and Down move); a click on a row commits it.
class SkillCompletionController : public QObject
{
    Q_OBJECT
public:
    static constexpr int maximumRows = 10;
    static constexpr int rowHeight = 32;
    static constexpr int rowGap = 2;
    static constexpr int minimumWidth = 180;

    explicit SkillCompletionController(QObject *parent = nullptr);
    ~SkillCompletionController() override;

    // Receives the chosen skill name.
    std::function<void(const QString &)> onCommit;

    // Shows the names above the anchor (the caret, in screen coordinates); an
    // empty list hides the popup.
    void show(const QStringList &matches, const QRect &anchor);
    void hide();
    // Moves the highlight, wrapping around at both ends.
    void move(int step);

    bool isVisible() const;
    const QStringList &matches() const { return m_matches; }
    int selectedRow() const { return m_selectedRow; }
    std::optional<QString> highlightedName() const;
    void setTheme(const UiTheme &theme);

    QWidget *panel() const { return m_panel; }
    QListWidget *tableView() const { return m_tableView; }

    // Where the popup goes: at least 180 wide (the widest row plus room),
    // ten rows high at most, above the anchor or below it when there is no
    // room above, kept inside the visible area of the screen.
    static QRect panelGeometry(int fittingWidth, qsizetype count, const QRect &anchor, const QRect &visible);

private:
    void refreshRows();
    int fittingWidth() const;
    void applyStyle();

    QPointer<QWidget> m_panel;
    QFrame *m_content = nullptr;
    QListWidget *m_tableView = nullptr;
    SkillRowView *m_rowView = nullptr;
    QStringList m_matches;
    int m_selectedRow = 0;
    std::optional<QString> m_widthReferenceName;
    UiTheme m_theme;
};
