#include "chat/ComposerKeys.h"

namespace ComposerKeys {

ReturnAction returnAction(int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return ReturnAction::notReturn;
    if (modifiers.testFlag(Qt::ShiftModifier))
        return ReturnAction::insertLineBreak;
    if (modifiers.testFlag(Qt::ControlModifier))
        return ReturnAction::runAsMacTask;
    return ReturnAction::send;
}

PopupAction skillPopupAction(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        return PopupAction::commit;
    case Qt::Key_Escape:
        return PopupAction::dismiss;
    case Qt::Key_Down:
        return PopupAction::moveDown;
    case Qt::Key_Up:
        return PopupAction::moveUp;
    default:
        return PopupAction::none;
    }
}

} // namespace ComposerKeys
