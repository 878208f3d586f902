#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

// Modal questions (sheets on macOS, window-modal dialogs elsewhere) go through
// this one small interface, so that tests can answer them.
struct AlertRequest
{
    enum class Accessory { None, SecureField, TextField, PopUpList };

    QString message;
    QString informativeText;
    QStringList buttons;
    Accessory accessory = Accessory::None;
    QSize accessorySize;
    QString fieldText;
    QStringList items;
    int selectedIndex = -1;
};

struct AlertAnswer
{
    // Index into AlertRequest::buttons; -1 when dismissed otherwise.
    int buttonIndex = -1;
    QString text;
    int selectedIndex = -1;
};

class Alerts
{
public:
    virtual ~Alerts() = default;
    // Shows the question without blocking; completion runs once on the main thread.
    virtual void present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion) = 0;
};
