#include "app/Appearance.h"

#include "settings/AppTheme.h"
#include "settings/SettingsStore.h"
#include "ui/AppIcon.h"
#include "ui/BotFaceView.h"
#include "ui/SignInView.h"
#include "ui/TelegramWindow.h"
#include "ui/UiStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace {
const QString kLightAppearance = QStringLiteral("lightAppearance");
} // namespace

Appearance::Appearance(SettingsStore &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_lightAppearanceEnabled(settings.plainBool(kLightAppearance))
{
}

UiTheme Appearance::currentTheme() const
{
    return UiTheme{AppTheme::current(m_settings), m_lightAppearanceEnabled};
}

void Appearance::applyAppearance()
{
    // One style everywhere, so the light and dark palettes look the same on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    if (!m_lightAppearanceEnabled) {
        palette.setColor(QPalette::Window, QColor(0x1f, 0x1d, 0x26));
        palette.setColor(QPalette::WindowText, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::Base, QColor(0x2a, 0x27, 0x33));
        palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x2f, 0x3d));
        palette.setColor(QPalette::Text, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::Button, QColor(0x36, 0x32, 0x42));
        palette.setColor(QPalette::ButtonText, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x96, 0xa8));
        palette.setColor(QPalette::Highlight, QColor(0x8b, 0x5c, 0xf6));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::ToolTipBase, QColor(0x2a, 0x27, 0x33));
        palette.setColor(QPalette::ToolTipText, QColor(0xee, 0xec, 0xf4));
    } else {
        palette = QApplication::style()->standardPalette();
        palette.setColor(QPalette::Highlight, QColor(0x7c, 0x3a, 0xed));
    }
    QApplication::setPalette(palette);
}

void Appearance::installApplicationIcon()
{
    QApplication::setWindowIcon(AppIcon::icon());
}

void Appearance::attach(TelegramWindow *window, SignInView *signIn)
{
    m_window = window;
    m_signIn = signIn;
    applyTheme();
}

void Appearance::attachBotFace(BotFaceView *botFace)
{
    m_botFace = botFace;
    m_botFace->applyTheme(currentTheme());
}

void Appearance::applyTheme()
{
    const UiTheme theme = currentTheme();
    UiStyle::applyApplicationTheme(theme);
    if (m_window) {
        m_window->setPalette(theme.palette());
        UiStyle::setBackground(m_window, theme.window());
    }
    if (m_signIn)
        UiStyle::setBackground(m_signIn, theme.window());
    if (m_botFace)
        m_botFace->applyTheme(theme);
}

bool Appearance::changeTheme(AppTheme theme)
{
    if (AppTheme::current(m_settings) == theme)
        return false;
    AppTheme::setCurrent(m_settings, theme);
    applyTheme();
    return true;
}

bool Appearance::updateAppearance(bool lightAppearance)
{
    if (lightAppearance == m_lightAppearanceEnabled)
        return false;
    m_lightAppearanceEnabled = lightAppearance;
    m_settings.setBool(kLightAppearance, lightAppearance);
    applyTheme();
    return true;
}

#include "moc_Appearance.cpp"
