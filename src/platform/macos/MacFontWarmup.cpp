#include "platform/FontWarmup.h"

// Core Text keeps the font list in a system service: nothing to load ahead.
struct FontWarmup::Worker
{
};

FontWarmup::FontWarmup() = default;
FontWarmup::~FontWarmup() = default;
