#pragma once

#include <QObject>
#include <QPointer>

class AppTheme;
class BotFaceView;
class SettingsStore;
class SignInView;
class TelegramWindow;
struct UiTheme;

// Light or dark, the chosen theme, and their application to every themed view.
class Appearance : public QObject
{
    Q_OBJECT
public:
    explicit Appearance(SettingsStore &settings, QObject *parent = nullptr);

    bool lightAppearanceEnabled() const { return m_lightAppearanceEnabled; }
    UiTheme currentTheme() const;

    // The application's style, palette and icon, before any window exists.
    void applyAppearance();
    void installApplicationIcon();
    void attach(TelegramWindow *window, SignInView *signIn);
    // The chat face comes later than the window: it is themed when it arrives.
    void attachBotFace(BotFaceView *botFace);
    // Recolours every attached view.
    void applyTheme();
    // False when the theme is already current.
    bool changeTheme(AppTheme theme);
    // False when nothing changed.
    bool updateAppearance(bool lightAppearance);

private:
    SettingsStore &m_settings;
    bool m_lightAppearanceEnabled;
    QPointer<TelegramWindow> m_window;
    QPointer<SignInView> m_signIn;
    QPointer<BotFaceView> m_botFace;
};
