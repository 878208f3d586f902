#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class TelegramWindow;

// The window's title bar as the system draws it: the application icon and
// "Tessaly", followed by " — " and the selected bot's title when there is one.
// The same words name the window to assistive technology.
class TitleBar : public QObject
{
    Q_OBJECT
public:
    explicit TitleBar(TelegramWindow *window, QObject *parent = nullptr);

    // The icon, the first label, and following the window's subtitle from then on.
    void configureTitlebar();
    void updateTitlebarLabel();

    // "Tessaly — <subtitle>", or "Tessaly" without a subtitle.
    static QString titlebarText(const QString &subtitle);

private:
    QPointer<TelegramWindow> m_window;
};
