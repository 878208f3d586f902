// The controller's side of the window's desktop presence: the status item, the
// menus, the title bar, hover shrink, the workspace follower and the appearance.
#include "app/AppDelegate.h"

#include "app/Appearance.h"
#include "app/MacTaskController.h"
#include "app/WindowHoverShrink.h"
#include "app/WindowPresence.h"
#include "app/WorkspaceFollowing.h"
#include "desktop/AeroSpaceWorkspaceFollower.h"
#include "telegram/TdJsonLibrary.h"
#include "ui/BotFaceView.h"
#include "ui/MainMenu.h"
#include "ui/StatusItem.h"
#include "ui/TelegramWindow.h"
#include "ui/TitleBar.h"

void AppDelegate::toggleHoverShrink()
{
    hoverShrink()->toggleHoverShrink();
    refreshSettingsWindow();
}

void AppDelegate::installMainMenu()
{
    m_mainMenu = std::make_unique<MainMenu>(m_window.get());
    m_mainMenu->addTo(m_statusItem->menu());
    connect(m_mainMenu.get(), &MainMenu::aboutRequested, this, [this] {
        m_mainMenu->showAbout(QStringLiteral(TESSALY_VERSION), TdJsonLibrary::interfaceVersion);
    });
    connect(m_mainMenu.get(), &MainMenu::quitRequested, this, &AppDelegate::requestTermination);
    connect(m_mainMenu.get(), &MainMenu::peekabooLogRequested, this, [this] {
        buildChatFace();
        m_mac->showPeekabooLog(m_window.get());
    });
    connect(m_mainMenu.get(), &MainMenu::searchRequested, this, [this] {
        if (m_window->face() == m_botFace)
            m_botFace->focusSearch();
    });
    connect(m_mainMenu.get(), &MainMenu::chooseBotRequested, this, [this] {
        if (telegramAuthorized())
            chooseBot();
    });
    connect(m_mainMenu.get(), &MainMenu::logOutRequested, this, [this] {
        if (telegramAuthorized())
            logOut();
    });
}

void AppDelegate::configureTitleBar()
{
    m_titleBar = std::make_unique<TitleBar>(m_window.get());
    m_titleBar->configureTitlebar();
}
void AppDelegate::attachWorkspaceFollower()
{
    AeroSpaceWorkspaceFollower &follower =
        m_env.workspaceFollower ? *m_env.workspaceFollower : AeroSpaceWorkspaceFollower::shared();
    m_workspaceFollowing = std::make_unique<WorkspaceFollowing>(follower, *m_presence);
    m_workspaceFollowing->attach(m_window->windowHandle());
}

void AppDelegate::createStatusItem()
{
    m_statusItem = std::make_unique<StatusItem>();
    connect(m_statusItem.get(), &StatusItem::showMainWindowRequested, m_presence.get(),
            &WindowPresence::showMainWindow);
    connect(m_statusItem.get(), &StatusItem::hideMainWindowRequested, m_presence.get(),
            &WindowPresence::hideMainWindow);
}

void AppDelegate::refreshStatusItem()
{
    if (m_statusItem)
        m_statusItem->refreshStatusItem(
            m_unread.shownCount(m_window && m_window->isKey(), m_selection.selectedChatID()));
}

void AppDelegate::updateAppearance(bool lightAppearance)
{
    if (!m_appearance->updateAppearance(lightAppearance))
        return;
    if (m_statusItem)
        m_statusItem->redraw();
    m_titleBar->updateTitlebarLabel();
    refreshSettingsWindow();
}

void AppDelegate::setSettingsOpener(std::function<void()> opener)
{
    m_mainMenu->setSettingsOpener(std::move(opener));
}

void AppDelegate::checkForUpdates()
{
    m_mainMenu->checkForUpdates();
}
