#pragma once

#include <thread>

// Loads the system's font configuration on another thread while the
// application connects to the display and builds its window: the first text
// laid out then finds it ready instead of reading it on the way to the first
// frame. Where the system needs no such loading it does nothing. Create it
// before the application object; it waits for the thread when it goes.
class FontWarmup
{
public:
    FontWarmup();
    ~FontWarmup()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    FontWarmup(const FontWarmup &) = delete;
    FontWarmup &operator=(const FontWarmup &) = delete;

private:
    std::thread m_thread;
};
