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
    // A warning is drawn with a caution sign: the answer has consequences.
    enum class Style { Informational, Warning };

    QString message;
    QString informativeText;
    QStringList buttons;
    Style style = Style::Informational;
    // The button that does harm (deletes, signs out); never the default, never
    // what a dismissal answers. -1 when none.
    int destructiveIndex = -1;
    // The button a dismissed sheet (Escape, closing it) answers with; -1 when none.
    int cancelIndex = -1;
    Accessory accessory = Accessory::None;
    QSize accessorySize;
    QString fieldText;
    // Shown in the empty field.
    QString placeholder;
    QStringList items;
    int selectedIndex = -1;

    // What dismissing the sheet answers: its cancel button; with none marked,
    // the lone button of a notice ("OK") when it is harmless; else -1.
    int dismissalAnswer() const
    {
        const auto count = buttons.size();
        if (cancelIndex >= 0 && cancelIndex < count && cancelIndex != destructiveIndex)
            return cancelIndex;
        if (cancelIndex < 0 && count == 1 && destructiveIndex != 0)
            return 0;
        return -1;
    }
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
    virtual void present(const AlertRequest &request,
                         std::function<void(const AlertAnswer &)> completion) = 0;
};
