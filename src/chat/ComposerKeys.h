#pragma once

#include <Qt>

// What the composer's keys do, decided from the key and its modifiers alone.
// Command on macOS arrives as Qt::ControlModifier, so Control-Return here is
// Command-Return there.
namespace ComposerKeys {

enum class ReturnAction {
    notReturn,       // not Return or Enter: type normally
    insertLineBreak, // Shift held
    runAsMacTask,    // Command (Control) held
    send,
};
ReturnAction returnAction(int key, Qt::KeyboardModifiers modifiers);

enum class PopupAction { none, commit, dismiss, moveDown, moveUp };
// While the skill popup is visible: Return or Tab commits, Escape hides it,
// Down and Up move the highlight; other keys type normally.
PopupAction skillPopupAction(int key);

} // namespace ComposerKeys
