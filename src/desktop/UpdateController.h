#pragma once

// "Check for Updates…" behind one call. On macOS Sparkle's standard updater
// controller runs the check with its own dialogs; elsewhere the appcast is read
// by UpdateChecker and the answer shown through the window's alerts.
class UpdateController
{
public:
    virtual ~UpdateController() = default;
    // User-initiated; nothing is contacted before the first call.
    virtual void checkForUpdates() = 0;
};
