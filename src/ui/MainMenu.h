#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// The application's commands: the application, "Settings" and "Edit" menus.
// Without a global menu bar they are offered in the status item's menu and
// the window's context menu, and their shortcuts work anywhere in the window.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    explicit MainMenu(QWidget *window, QObject *parent = nullptr);
    ~MainMenu() override;

    // The three menus as submenus of another menu (the status item's).
    void addTo(QMenu *menu);
    // The window's context menu holds the same three menus.
    QMenu *contextMenu() const { return m_contextMenu; }
    QAction *action(const QString &text) const;

    // "Settings…" and "Check for Updates…" are offered (enabled) only once
    // something answers them; until then they do nothing.
    void setSettingsOpener(std::function<void()> opener);
    void setUpdateChecker(std::function<void()> checker);
    void openSettings();
    void checkForUpdates();

    // The about box's text: name, version and the TDLib version.
    static QString aboutText(const QString &version, const QString &tdlibVersion);
    void showAbout(const QString &version, const QString &tdlibVersion);

signals:
    void aboutRequested();
    void quitRequested();
    void peekabooLogRequested();
    void searchRequested();
    void chooseBotRequested();
    void logOutRequested();

private:
    QAction *addCommand(QMenu *menu, const QString &text, const QKeySequence &shortcut);
    QAction *addEditCommand(QMenu *menu, const QString &text, const QKeySequence &shortcut, const char *slot);

    QPointer<QWidget> m_window;
    QMenu *m_application;
    QMenu *m_settings;
    QMenu *m_edit;
    QMenu *m_contextMenu;
    std::function<void()> m_settingsOpener;
    std::function<void()> m_updateChecker;
};
