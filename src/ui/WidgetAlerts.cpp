#include "ui/WidgetAlerts.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

void WidgetAlerts::present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion)
{
    auto *dialog = new QDialog(m_window);
    dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(request.message);

    auto *layout = new QVBoxLayout(dialog);
    auto *message = new QLabel(request.message, dialog);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setWordWrap(true);
    layout->addWidget(message);
    if (!request.informativeText.isEmpty()) {
        auto *info = new QLabel(request.informativeText, dialog);
        info->setWordWrap(true);
        info->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(info);
    }

    QLineEdit *field = nullptr;
    QComboBox *list = nullptr;
    const QSize size = request.accessorySize.isValid() ? request.accessorySize : QSize(260, 24);
    switch (request.accessory) {
    case AlertRequest::Accessory::SecureField:
    case AlertRequest::Accessory::TextField:
        field = new QLineEdit(request.fieldText, dialog);
        if (request.accessory == AlertRequest::Accessory::SecureField)
            field->setEchoMode(QLineEdit::Password);
        field->setMinimumSize(size);
        layout->addWidget(field);
        break;
    case AlertRequest::Accessory::PopUpList:
        list = new QComboBox(dialog);
        list->addItems(request.items);
        list->setCurrentIndex(request.selectedIndex);
        list->setMinimumSize(size);
        layout->addWidget(list);
        break;
    case AlertRequest::Accessory::None:
        break;
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto answered = std::make_shared<bool>(false);
    auto finish = [=](int index) {
        if (*answered)
            return;
        *answered = true;
        AlertAnswer answer;
        answer.buttonIndex = index;
        if (field)
            answer.text = field->text();
        if (list)
            answer.selectedIndex = list->currentIndex();
        if (completion)
            completion(answer);
    };
    // The first button is the default one, as in a sheet; it sits rightmost.
    for (int i = int(request.buttons.size()) - 1; i >= 0; --i) {
        auto *button = new QPushButton(request.buttons[i], dialog);
        if (i == 0)
            button->setDefault(true);
        QObject::connect(button, &QPushButton::clicked, dialog, [=] {
            finish(i);
            dialog->accept();
        });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    QObject::connect(dialog, &QDialog::rejected, dialog, [=] {
        // Escape answers with the last button (Cancel) when there are several.
        finish(request.buttons.size() > 1 ? int(request.buttons.size()) - 1 : 0);
    });
    dialog->open();
    if (field)
        field->setFocus();
}
