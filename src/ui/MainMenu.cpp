#include "ui/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

namespace {
const QString kProcessName = QStringLiteral("Tessaly");
} // namespace

MainMenu::MainMenu(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window), m_application(new QMenu(kProcessName)),
      m_settings(new QMenu(QStringLiteral("Settings"))), m_edit(new QMenu(QStringLiteral("Edit"))),
      m_contextMenu(new QMenu)
{
    connect(addCommand(m_application, QStringLiteral("About ") + kProcessName, {}), &QAction::triggered, this,
            &MainMenu::aboutRequested);
    connect(addCommand(m_application, QStringLiteral("Check for Updates…"), {}), &QAction::triggered, this,
            &MainMenu::checkForUpdates);
    m_application->addSeparator();
    connect(
        addCommand(m_application, QStringLiteral("Quit ") + kProcessName, QKeySequence(Qt::CTRL | Qt::Key_Q)),
        &QAction::triggered, this, &MainMenu::quitRequested);

    connect(addCommand(m_settings, QStringLiteral("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma)),
            &QAction::triggered, this, &MainMenu::openSettings);
    connect(addCommand(m_settings, QStringLiteral("Peekaboo Log…"), {}), &QAction::triggered, this,
            &MainMenu::peekabooLogRequested);
    // Until the settings window holds them, its bot chooser and log-out live here.
    m_settings->addSeparator();
    connect(addCommand(m_settings, QStringLiteral("Choose Bot…"), QKeySequence(Qt::CTRL | Qt::Key_B)),
            &QAction::triggered, this, &MainMenu::chooseBotRequested);
    connect(addCommand(m_settings, QStringLiteral("Log Out of Telegram…"), {}), &QAction::triggered, this,
            &MainMenu::logOutRequested);

    addEditCommand(m_edit, QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), "undo");
    addEditCommand(m_edit, QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "redo");
    m_edit->addSeparator();
    addEditCommand(m_edit, QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X), "cut");
    addEditCommand(m_edit, QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), "copy");
    addEditCommand(m_edit, QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), "paste");
    addEditCommand(m_edit, QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A), "selectAll");
    m_edit->addSeparator();
    connect(addCommand(m_edit, QStringLiteral("Search Messages"), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, &MainMenu::searchRequested);

    setSettingsOpener({});
    setUpdateChecker({});
    addTo(m_contextMenu);
    if (window) {
        window->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(window, &QWidget::customContextMenuRequested, this,
                [this](const QPoint &pos) { m_contextMenu->popup(m_window->mapToGlobal(pos)); });
    }
}

MainMenu::~MainMenu()
{
    delete m_contextMenu;
    delete m_application;
    delete m_settings;
    delete m_edit;
}

void MainMenu::addTo(QMenu *menu)
{
    menu->addMenu(m_application);
    menu->addMenu(m_settings);
    menu->addMenu(m_edit);
}

QAction *MainMenu::addCommand(QMenu *menu, const QString &text, const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(text);
    action->setShortcut(shortcut);
    // Added to the window as well, so the shortcut works wherever its focus is.
    action->setShortcutContext(Qt::WindowShortcut);
    if (m_window)
        m_window->addAction(action);
    return action;
}

QAction *MainMenu::addEditCommand(QMenu *menu, const QString &text, const QKeySequence &shortcut,
                                  const char *slot)
{
    QAction *action = addCommand(menu, text, shortcut);
    // A focused text field answers these keys itself; the menu item asks it by name.
    connect(action, &QAction::triggered, this, [this, slot] {
        QWidget *target = m_window ? m_window->focusWidget() : QApplication::focusWidget();
        if (target && target->metaObject()->indexOfMethod(QByteArray(slot) + "()") >= 0)
            QMetaObject::invokeMethod(target, slot);
    });
    return action;
}

QAction *MainMenu::action(const QString &text) const
{
    for (const QMenu *menu : {m_application, m_settings, m_edit})
        for (QAction *action : menu->actions())
            if (action->text() == text)
                return action;
    return nullptr;
}

void MainMenu::setSettingsOpener(std::function<void()> opener)
{
    m_settingsOpener = std::move(opener);
    action(QStringLiteral("Settings…"))->setEnabled(bool(m_settingsOpener));
}

void MainMenu::setUpdateChecker(std::function<void()> checker)
{
    m_updateChecker = std::move(checker);
    action(QStringLiteral("Check for Updates…"))->setEnabled(bool(m_updateChecker));
}

void MainMenu::openSettings()
{
    if (m_settingsOpener)
        m_settingsOpener();
}

void MainMenu::checkForUpdates()
{
    if (m_updateChecker)
        m_updateChecker();
}

QString MainMenu::aboutText(const QString &version, const QString &tdlibVersion)
{
    return kProcessName + QStringLiteral("\nVersion ") + version + QStringLiteral("\nTDLib ") + tdlibVersion;
}

void MainMenu::showAbout(const QString &version, const QString &tdlibVersion)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("About ") + kProcessName,
                                aboutText(version, tdlibVersion), QMessageBox::Ok, m_window);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

#include "moc_MainMenu.cpp"
