#include "platform/FontWarmup.h"

#include <fontconfig/fontconfig.h>
#include <thread>

// Fontconfig builds its configuration once per process and publishes it
// atomically, so Qt's own first use either finds it ready or builds it too.
struct FontWarmup::Worker
{
    std::thread thread{[] { FcInit(); }};
};

FontWarmup::FontWarmup() : m_worker(std::make_unique<Worker>()) {}

FontWarmup::~FontWarmup()
{
    if (m_worker->thread.joinable())
        m_worker->thread.join();
}
