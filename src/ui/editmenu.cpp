#include "ui/editmenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoGroup>

namespace veltra {

QMenu* AddEditMenu(QMenuBar& bar, QUndoGroup& group) {
    QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->menuAction()->setStatusTip(QStringLiteral("Undo and redo the edits of the net"));
    // The group keeps both actions enabled and captioned ("&Undo Erase neuron") from the
    // active stack, and empty of a command when there is none.
    QAction* undo = group.createUndoAction(edit, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("EditUndoItem"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setStatusTip(QStringLiteral("Undo the last edit"));
    QAction* redo = group.createRedoAction(edit, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("EditRedoItem"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setStatusTip(QStringLiteral("Redo the last edit undone"));
    edit->addAction(undo);
    edit->addAction(redo);
    return edit;
}

} // namespace veltra
