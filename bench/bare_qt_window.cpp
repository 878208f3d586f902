// The reference for the start-up benchmarks: the least a Qt Widgets
// application does to put a window on screen. Prints "first-paint" when the
// window is first painted, then runs until it is terminated.
#include <QApplication>
#include <QWidget>
#include <cstdio>

namespace {

class Window : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_reported)
            return;
        m_reported = true;
        std::fputs("first-paint\n", stdout);
        std::fflush(stdout);
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Window window;
    window.resize(380, 560);
    window.show();
    return app.exec();
}
