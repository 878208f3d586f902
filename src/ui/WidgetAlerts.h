#pragma once

#include "core/Alerts.h"

#include <QPointer>
#include <QWidget>

// Alerts as window-modal dialogs over the chat window.
class WidgetAlerts : public Alerts
{
public:
    explicit WidgetAlerts(QWidget *window) : m_window(window) {}
    void present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion) override;

private:
    QPointer<QWidget> m_window;
};
