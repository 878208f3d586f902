#pragma once

#include "agent/MacAccessLevel.h"
#include "agent/PeekabooProvider.h"
#include "settings/AppTheme.h"
#include "telegram/BotMessage.h"

#include <QStringList>
#include <optional>

// The snapshot the settings window is refreshed with. A plain value: the
// window keeps the last one and never writes it back.
struct SettingsState
{
    QStringList botTitles;
    int selectedBotIndex = -1;
    MacAccessLevel macAccess = MacAccessLevel::off;
    bool showAgentPointer = false;
    PeekabooProvider provider = PeekabooProvider::openai;
    std::optional<QString> model;
    bool hasKey = false;
    bool lightAppearance = false;
    AppTheme theme = AppTheme::violet;
    bool hoverShrink = true;
    bool followActiveSpace = true;

    // Titles in the bot list's order; the selection is found by chat id (-1
    // when nothing is selected or the selected chat is not in the list).
    static std::pair<QStringList, int> bots(const QList<BotConversation> &botChats,
                                            const std::optional<QString> &selectedID);
};

inline std::pair<QStringList, int> SettingsState::bots(const QList<BotConversation> &botChats,
                                                       const std::optional<QString> &selectedID)
{
    QStringList titles;
    int index = -1;
    for (const BotConversation &bot : botChats) {
        if (selectedID && bot.id == *selectedID && index < 0)
            index = int(titles.size());
        titles.append(bot.title);
    }
    return {titles, index};
}
