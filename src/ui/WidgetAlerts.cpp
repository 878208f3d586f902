#include "ui/WidgetAlerts.h"

#include "ui/LiteralText.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

namespace {

// The button Return presses: the first one, as in a sheet, unless it does harm;
// then the cancel button, or none.
int defaultButton(const AlertRequest &request)
{
    if (request.buttons.isEmpty())
        return -1;
    if (request.destructiveIndex != 0)
        return 0;
    return request.cancelIndex >= 0 && request.cancelIndex < request.buttons.size() ? request.cancelIndex
                                                                                    : -1;
}

} // namespace

void WidgetAlerts::present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion)
{
    auto *dialog = new QDialog(m_window);
    dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Questions carry task texts and names from Telegram: every text shows as it is.
    dialog->setWindowTitle(LiteralText::windowTitle(request.message));

    auto *layout = new QVBoxLayout(dialog);
    auto *texts = new QVBoxLayout;
    auto *message = new QLabel(dialog);
    message->setTextFormat(Qt::PlainText);
    message->setText(request.message);
    message->setObjectName(QStringLiteral("alertMessage"));
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setWordWrap(true);
    texts->addWidget(message);
    if (!request.informativeText.isEmpty()) {
        auto *info = new QLabel(dialog);
        info->setTextFormat(Qt::PlainText);
        info->setText(request.informativeText);
        info->setObjectName(QStringLiteral("alertInformativeText"));
        info->setWordWrap(true);
        info->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(info);
    }
    if (request.style == AlertRequest::Style::Warning) {
        auto *header = new QHBoxLayout;
        auto *sign = new QLabel(dialog);
        const int extent = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
        sign->setPixmap(dialog->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(extent, extent));
        sign->setAccessibleName(QStringLiteral("Warning"));
        sign->setAlignment(Qt::AlignTop);
        header->addWidget(sign, 0, Qt::AlignTop);
        header->addLayout(texts, 1);
        layout->addLayout(header);
    } else {
        layout->addLayout(texts);
    }

    QLineEdit *field = nullptr;
    QComboBox *list = nullptr;
    const QSize size = request.accessorySize.isValid() ? request.accessorySize : QSize(260, 24);
    switch (request.accessory) {
    case AlertRequest::Accessory::SecureField:
    case AlertRequest::Accessory::TextField:
        field = new QLineEdit(request.fieldText, dialog);
        field->setPlaceholderText(request.placeholder);
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
    const int defaultIndex = defaultButton(request);
    QPushButton *defaultPushButton = nullptr;
    QList<QPushButton *> created;
    // The first button sits rightmost, as in a sheet.
    for (int i = int(request.buttons.size()) - 1; i >= 0; --i) {
        auto *button = new QPushButton(LiteralText::buttonTitle(request.buttons[i]), dialog);
        button->setAutoDefault(false);
        if (i == defaultIndex) {
            button->setDefault(true);
            defaultPushButton = button;
        }
        if (i == request.destructiveIndex) {
            button->setProperty("destructive", true);
            QPalette palette = button->palette();
            palette.setColor(QPalette::ButtonText, QColor(0xd7, 0x3a, 0x31));
            button->setPalette(palette);
        }
        QObject::connect(button, &QPushButton::clicked, dialog, [=] {
            finish(i);
            dialog->accept();
        });
        buttons->addWidget(button);
        created.prepend(button);
    }
    // Tab order follows the buttons' meaning, first to last.
    for (qsizetype i = 1; i < created.size(); ++i)
        QWidget::setTabOrder(created[i - 1], created[i]);
    layout->addLayout(buttons);
    const int dismissal = request.dismissalAnswer();
    QObject::connect(dialog, &QDialog::rejected, dialog, [=] { finish(dismissal); });
    dialog->open();
    if (field)
        field->setFocus();
    else if (defaultPushButton)
        defaultPushButton->setFocus();
}
