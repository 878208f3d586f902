#include "ui/ThemedView.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

class ThemedAccessible : public QAccessibleWidget
{
public:
    ThemedAccessible(QWidget *widget, ThemedView *view)
        : QAccessibleWidget(widget, view->accessibleRole()), m_view(view)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return m_view->accessibleValue();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (role() == QAccessible::CheckBox) {
            state.checkable = true;
            state.checked = m_view->accessibleValue() == QLatin1String("1");
        }
        return state;
    }

private:
    ThemedView *m_view;
};

QAccessibleInterface *themedFactory(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (auto *view = dynamic_cast<ThemedView *>(widget))
        return new ThemedAccessible(widget, view);
    return nullptr;
}

} // namespace

void ThemedView::setTheme(const UiTheme &theme)
{
    m_theme = theme;
    themeChanged();
}

void ThemedView::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(themedFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void ThemedView::announceValue(QWidget *widget)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(widget, QVariant());
    QAccessible::updateAccessibility(&event);
}
