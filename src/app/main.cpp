// Tessaly: one Telegram bot conversation always at hand.
//   tessaly                 signs in to Telegram with the credentials of Info.json
//   tessaly --demo          runs against the built-in simulator with throw-away storage
//   --screenshot FILE.png   renders the main window to FILE.png and exits
//   --screenshot-delay MS   waits MS milliseconds first (default 1500)
//   --report-first-paint    prints the time to the first painted window (benchmarks)
//   --show settings:TAB     with --screenshot: renders the settings window on that tab instead
// In a Wayland session with XWayland it runs as an X11 client unless
// QT_QPA_PLATFORM says otherwise.
#include "app/AppDelegate.h"
#include "app/AppEnvironmentSetup.h"
#include "app/SettingsPresenter.h"
#include "desktop/SingleInstance.h"
#include "platform/AppPaths.h"
#include "platform/FontWarmup.h"
#include "ui/SettingsWindowController.h"
#include "ui/TelegramWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

struct Arguments
{
    bool help = false;
    bool version = false;
    bool demo = false;
    QString screenshot;
    QString show;
    int screenshotDelay = 1500;
    bool reportFirstPaint = false;
};

Arguments parseArguments(int argc, char **argv)
{
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h")
            arguments.help = true;
        else if (arg == "--version" || arg == "-v")
            arguments.version = true;
        else if (arg == "--demo")
            arguments.demo = true;
        else if (arg == "--screenshot" && i + 1 < argc)
            arguments.screenshot = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--screenshot-delay" && i + 1 < argc)
            arguments.screenshotDelay = QByteArray(argv[++i]).toInt();
        else if (arg == "--show" && i + 1 < argc)
            arguments.show = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--report-first-paint")
            arguments.reportFirstPaint = true;
    }
    return arguments;
}

// Prints the time from process start to the window's first paint (benchmarks
// read it). Watches the whole application: once the faces cover the window,
// the paint events go to them rather than to the window itself.
class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(const QElapsedTimer &clock) : m_clock(clock) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            qobject_cast<TelegramWindow *>(static_cast<QWidget *>(watched)->window())) {
            std::fprintf(stdout, "first-paint-ms: %.1f\n", double(m_clock.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            qApp->removeEventFilter(this);
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
};

// The tab of "settings:TAB"; -1 for anything else (0 … 3 are the tabs in order).
int settingsTabToShow(const QString &show)
{
    if (show.isEmpty())
        return -1;
    static const QStringList tabs = {QStringLiteral("settings:general"), QStringLiteral("settings:mac-agent"),
                                     QStringLiteral("settings:reading"), QStringLiteral("settings:appearance")};
    return int(tabs.indexOf(show));
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    const Arguments arguments = parseArguments(argc, argv);
    // Answered before any display connection, so they work on a console too.
    if (arguments.help) {
        std::fputs("Usage: tessaly [--demo] [--screenshot FILE.png [--screenshot-delay MS]]\n"
                   "  --demo                  run against the built-in Telegram simulator with throw-away storage\n"
                   "  --screenshot FILE.png   render the main window to FILE.png and quit\n"
                   "  --screenshot-delay MS   wait MS milliseconds before the screenshot (default 1500)\n"
                   "  --show settings:TAB     screenshot the settings window on a tab instead\n"
                   "                          (general, mac-agent, reading, appearance)\n"
                   "  --report-first-paint    print the time to the window's first paint\n"
                   "  -v, --version           print the version and quit\n"
                   "  -h, --help              print this help and quit\n"
                   "\n"
                   "In a Wayland session Tessaly runs through XWayland, because a Wayland window\n"
                   "cannot keep itself above other windows or on every desktop. To run as a\n"
                   "Wayland client anyway: QT_QPA_PLATFORM=wayland tessaly\n",
                   stdout);
        return 0;
    }
    if (arguments.version) {
        std::fputs("Tessaly " TESSALY_VERSION "\n", stdout);
        return 0;
    }
    if (!arguments.screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pinning and "all desktops" need X11: a Wayland client cannot ask for either.
    // The user's own choice of platform stands.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // Measured under Xvfb: the window's first frame comes about 10 ms sooner.
    FontWarmup fontWarmup;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    // No display name: Qt would append it to every window title, and the chat
    // window's title already starts with it.
    // Ties the windows to the installed tessaly.desktop (its icon and name in docks and task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    // Closing the window never ends the application; quitting is explicit.
    QApplication::setQuitOnLastWindowClosed(false);

    // Starting the application again brings the running one's window back (the
    // demo and each real data folder apart). A screenshot run is a tool, not a start.
    std::unique_ptr<SingleInstance> instance;
    if (arguments.screenshot.isEmpty()) {
        instance =
            std::make_unique<SingleInstance>(SingleInstance::keyFor(arguments.demo, AppPaths::dataFolder()));
        if (instance->claim() == SingleInstance::Role::Secondary)
            return 0;
    }

    const int settingsTab = settingsTabToShow(arguments.show);
    if (!arguments.show.isEmpty() && settingsTab < 0) {
        std::fprintf(stderr, "tessaly: unknown --show %s\n", qPrintable(arguments.show));
        return 1;
    }

    std::unique_ptr<AppEnvironmentSetup> setup;
    if (arguments.demo) {
        QString error;
        setup = AppEnvironmentSetup::demo(&error);
        if (!setup) {
            std::fprintf(stderr, "tessaly: %s\n", qPrintable(error));
            return 1;
        }
        // A picture of the settings shows a signed-in account with its bots.
        AppEnvironmentSetup::configureSimulator(settingsTab < 0 ? R"({"scan_delay_ms": 2500})"
                                                                : R"({"scan_delay_ms": 0})");
    } else {
        setup = AppEnvironmentSetup::product();
    }

    AppEnvironment environment = setup->environment();
    environment.singleInstance = instance.get();
    AppDelegate delegate(environment);
    QObject::connect(&delegate, &AppDelegate::terminationConfirmed, &app, &QCoreApplication::quit);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &delegate, [&delegate] {
            char byte;
            [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
            delegate.requestTermination();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }

    FirstPaintReporter reporter(clock);
    if (arguments.reportFirstPaint)
        app.installEventFilter(&reporter);
    delegate.applicationDidFinishLaunching();

    if (settingsTab >= 0) {
        QTimer::singleShot(qMax(0, arguments.screenshotDelay - 300), &delegate, [&delegate, settingsTab] {
            delegate.openSettings();
            delegate.settingsPresenter()->window()->applyTab(settingsTab);
        });
    }
    if (!arguments.screenshot.isEmpty()) {
        QTimer::singleShot(arguments.screenshotDelay, &delegate, [&delegate, &arguments, settingsTab] {
            QWidget *shown = settingsTab >= 0 ? static_cast<QWidget *>(delegate.settingsPresenter()->window())
                                              : static_cast<QWidget *>(delegate.window());
            const bool saved = shown && shown->grab().save(arguments.screenshot);
            if (!saved)
                std::fprintf(stderr, "tessaly: could not write %s\n", qPrintable(arguments.screenshot));
            delegate.requestTermination();
        });
    }
    return app.exec();
}
