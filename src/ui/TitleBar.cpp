#include "ui/TitleBar.h"

#include "ui/LiteralText.h"
#include "ui/TelegramWindow.h"

#include <QApplication>

namespace {
const QString kApplicationName = QStringLiteral("Tessaly");
} // namespace

TitleBar::TitleBar(TelegramWindow *window, QObject *parent) : QObject(parent), m_window(window)
{
}

void TitleBar::configureTitlebar()
{
    if (!m_window)
        return;
    m_window->setWindowIcon(QApplication::windowIcon());
    connect(m_window, &TelegramWindow::subtitleChanged, this, &TitleBar::updateTitlebarLabel);
    updateTitlebarLabel();
}

void TitleBar::updateTitlebarLabel()
{
    if (!m_window)
        return;
    const QString text = titlebarText(m_window->subtitle());
    // The subtitle is the bot's name from Telegram: shown as written.
    m_window->setWindowTitle(LiteralText::windowTitle(text));
    m_window->setAccessibleName(text);
}

QString TitleBar::titlebarText(const QString &subtitle)
{
    return subtitle.isEmpty() ? kApplicationName : kApplicationName + QStringLiteral(" — ") + subtitle;
}

#include "moc_TitleBar.cpp"
