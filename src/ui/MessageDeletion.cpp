#include "ui/MessageDeletion.h"

namespace MessageDeletion {

AlertRequest request(const BotMessage &message)
{
    AlertRequest request;
    request.message = QStringLiteral("Delete this message?");
    request.informativeText = message.isOutgoing
                                  ? QStringLiteral("It will be removed from this conversation for everyone.")
                                  : QStringLiteral("It will be removed from this conversation for you.");
    request.buttons = {QStringLiteral("Cancel"), QStringLiteral("Delete")};
    request.style = AlertRequest::Style::Warning;
    request.cancelIndex = 0;
    request.destructiveIndex = 1;
    return request;
}

void confirm(Alerts &alerts, const BotMessage &message, std::function<void(bool forEveryone)> deleteMessage)
{
    const bool forEveryone = message.isOutgoing;
    alerts.present(request(message),
                   [deleteMessage = std::move(deleteMessage), forEveryone](const AlertAnswer &answer) {
                       if (answer.buttonIndex == 1 && deleteMessage)
                           deleteMessage(forEveryone);
                   });
}

} // namespace MessageDeletion
