#pragma once

#include "core/Alerts.h"
#include "telegram/BotMessage.h"

#include <functional>

// The sheet that confirms deleting a message. Outgoing messages are deleted
// for everyone, incoming ones only for the user.
namespace MessageDeletion {

AlertRequest request(const BotMessage &message);
// Asks; on "Delete" calls deleteMessage with whether to delete for everyone.
void confirm(Alerts &alerts, const BotMessage &message, std::function<void(bool forEveryone)> deleteMessage);

} // namespace MessageDeletion
