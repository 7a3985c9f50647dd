// The main window's "&Edit" menu: Undo and Redo of the active drawing window's stack,
// captioned with what they would undo or redo.
#pragma once

class QMenu;
class QMenuBar;
class QUndoGroup;

namespace veltra {

QMenu* AddEditMenu(QMenuBar& bar, QUndoGroup& group);

} // namespace veltra
