#include "platform/FontWarmup.h"

// Core Text keeps the font list in a system service: nothing to load ahead.
FontWarmup::FontWarmup() = default;
