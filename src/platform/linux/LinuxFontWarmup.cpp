#include "platform/FontWarmup.h"

#include <fontconfig/fontconfig.h>

// Fontconfig builds its configuration once per process and publishes it
// atomically, so Qt's own first use either finds it ready or builds it too.
FontWarmup::FontWarmup() : m_thread([] { FcInit(); }) {}
