#include "ui/SkillCompletionController.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

namespace {

QFont rowFont()
{
    return UiStyle::font(13, QFont::Medium);
}

constexpr int sideInset = 12;

} // namespace

void SkillRowView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect cell = option.rect;
    if (isPicked(index)) {
        QColor fill = theme.accent();
        fill.setAlphaF(0.22);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(cell.adjusted(4, 0, -4, 0), 7, 7);
    }
    painter->setFont(rowFont());
    painter->setPen(isPicked(index) ? theme.accent() : theme.text());
    const QRect textRect = cell.adjusted(sideInset, 0, -sideInset, 0);
    const QString text =
        painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
    painter->restore();
}

QSize SkillRowView::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // The list gives each row its full width.
    return QSize(1, SkillCompletionController::rowHeight);
}

SkillCompletionController::SkillCompletionController(QObject *parent) : QObject(parent)
{
    // A floating panel that never becomes the active window, so the caret stays in the composer.
    m_panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                       Qt::WindowDoesNotAcceptFocus);
    m_panel->setAttribute(Qt::WA_ShowWithoutActivating);
    m_panel->setAttribute(Qt::WA_TranslucentBackground);
    m_panel->setFocusPolicy(Qt::NoFocus);
    m_panel->setObjectName(QStringLiteral("skillCompletionPanel"));

    auto *outer = new QVBoxLayout(m_panel);
    outer->setContentsMargins(0, 0, 0, 0);
    m_content = new QFrame(m_panel);
    m_content->setObjectName(QStringLiteral("skillCompletionContent"));
    outer->addWidget(m_content);

    auto *inner = new QVBoxLayout(m_content);
    inner->setContentsMargins(6, 5, 6, 5);
    m_tableView = new QListWidget(m_content);
    m_tableView->setObjectName(QStringLiteral("skill"));
    m_tableView->setFocusPolicy(Qt::NoFocus);
    m_tableView->setFrameShape(QFrame::NoFrame);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setUniformItemSizes(true);
    // One point above and below each row: two points between rows.
    m_tableView->setSpacing(rowGap / 2);
    m_tableView->viewport()->setAutoFillBackground(false);
    m_tableView->setAttribute(Qt::WA_TranslucentBackground);
    m_rowView = new SkillRowView(m_tableView);
    m_tableView->setItemDelegate(m_rowView);
    inner->addWidget(m_tableView);

    connect(m_tableView, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const int row = m_tableView->row(item);
        if (row < 0 || row >= m_matches.size())
            return;
        const QString name = m_matches[row];
        if (onCommit)
            onCommit(name);
    });
    applyStyle();
}

SkillCompletionController::~SkillCompletionController()
{
    delete m_panel;
}

void SkillCompletionController::setTheme(const UiTheme &theme)
{
    m_theme = theme;
    m_rowView->theme = theme;
    applyStyle();
}

void SkillCompletionController::applyStyle()
{
    const QColor background = UiStyle::blend(m_theme.composer(), m_theme.window(), 0.35);
    m_content->setStyleSheet(
        QStringLiteral("#skillCompletionContent { background: %1; border: 1px solid %2; "
                       "border-radius: 10px; } QListWidget { background: transparent; }")
            .arg(background.name(QColor::HexArgb), m_theme.border().name(QColor::HexArgb)));
    m_tableView->viewport()->update();
}

bool SkillCompletionController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

std::optional<QString> SkillCompletionController::highlightedName() const
{
    if (m_selectedRow < 0 || m_selectedRow >= m_matches.size())
        return std::nullopt;
    return m_matches[m_selectedRow];
}

void SkillCompletionController::hide()
{
    m_matches.clear();
    m_tableView->clear();
    if (m_panel)
        m_panel->hide();
}

int SkillCompletionController::fittingWidth() const
{
    const QFontMetricsF metrics(rowFont());
    qreal widest = 0;
    for (const QString &name : m_matches)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char('@') + name));
    return int(std::ceil(widest));
}

QRect SkillCompletionController::panelGeometry(int fittingWidth, qsizetype count, const QRect &anchor,
                                               const QRect &visible)
{
    int width = std::max(minimumWidth, fittingWidth + 46);
    int height = int(std::min<qsizetype>(count, maximumRows)) * (rowHeight + rowGap) + 10;
    width = std::min(width, visible.width() - 12);
    height = std::min(height, visible.height() - 24);

    int top = anchor.top() - 6 - height;
    if (top < visible.top())
        top = anchor.bottom() + 1 + 6;
    const int leftmost = visible.left() + 6;
    const int rightmost = visible.left() + visible.width() - 6 - width;
    const int left = std::max(leftmost, std::min(anchor.left(), rightmost));
    return QRect(left, top, width, height);
}

void SkillCompletionController::show(const QStringList &matches, const QRect &anchor)
{
    if (matches.isEmpty()) {
        hide();
        return;
    }
    if (matches != m_matches || !isVisible())
        m_selectedRow = 0;
    m_matches = matches;
    m_selectedRow = std::clamp(m_selectedRow, 0, int(m_matches.size()) - 1);
    m_widthReferenceName = m_matches.first();

    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect visible = screen ? screen->availableGeometry() : QRect(0, 0, 1440, 900);
    const QRect frame = panelGeometry(fittingWidth(), m_matches.size(), anchor, visible);

    m_panel->setGeometry(frame);
    m_panel->show();
    // Rows are scrolled within the new size, not the previous one.
    m_panel->layout()->activate();
    m_content->layout()->activate();
    refreshRows();
}

void SkillCompletionController::refreshRows()
{
    m_rowView->pickedRow = m_selectedRow;
    m_tableView->clear();
    for (const QString &name : std::as_const(m_matches))
        m_tableView->addItem(QLatin1Char('@') + name);
    if (QListWidgetItem *item = m_tableView->item(m_selectedRow))
        m_tableView->scrollToItem(item);
}

void SkillCompletionController::move(int step)
{
    if (m_matches.isEmpty())
        return;
    const int count = int(m_matches.size());
    m_selectedRow = ((m_selectedRow + step) % count + count) % count;
    m_rowView->pickedRow = m_selectedRow;
    if (QListWidgetItem *item = m_tableView->item(m_selectedRow))
        m_tableView->scrollToItem(item);
    m_tableView->viewport()->update();
}

#include "moc_SkillCompletionController.cpp"
