// The main window's "&Edit" menu: Undo and Redo of the active drawing window's stack,
// captioned with what they would undo or redo.
#pragma once

#include <functional>

class QMenu;
class QMenuBar;
class QUndoGroup;

namespace veltra {

// `beforeStep` runs before every undo or redo the menu or its keys make (the windows end the
// gestures under way, which must not see the net change under them).
// `selectAll` selects every element of the active window, `eraseSelection` erases them.
QMenu* AddEditMenu(QMenuBar& bar, QUndoGroup& group, std::function<void()> beforeStep,
                   std::function<void()> selectAll, std::function<void()> eraseSelection);

} // namespace veltra
