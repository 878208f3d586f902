#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QWidget;

// Runs work once a window has put its first frame on screen: whatever does
// not shape that frame (loading TDLib, registering the tray icon over D-Bus)
// then does not compete with it for the processor or the bus. A window that is
// never exposed (started hidden) still gets the work after fallbackMs. Watch
// before the window is shown: some platforms expose it inside show().
class AfterFirstFrame : public QObject
{
    Q_OBJECT
public:
    AfterFirstFrame(QWidget *window, int fallbackMs, QObject *parent = nullptr);

    // Work added after the frame (or the fallback) runs on the next turn of the event loop.
    void add(std::function<void()> work);
    bool hasRun() const { return m_ran; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runSoon();
    void run();

    QPointer<QWidget> m_window;
    QTimer m_fallback;
    QList<std::function<void()>> m_work;
    bool m_scheduled = false;
    bool m_ran = false;
};
