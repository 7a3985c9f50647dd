#include "ui/editmenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoGroup>

namespace veltra {

QMenu* AddEditMenu(QMenuBar& bar, QUndoGroup& group, std::function<void()> beforeStep,
                   std::function<void()> selectAll, std::function<void()> eraseSelection) {
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
    // The group moves its stack when an action is triggered; the gestures end first.
    QObject::disconnect(undo, &QAction::triggered, &group, &QUndoGroup::undo);
    QObject::disconnect(redo, &QAction::triggered, &group, &QUndoGroup::redo);
    QObject::connect(undo, &QAction::triggered, &group, [&group, beforeStep] {
        beforeStep();
        group.undo();
    });
    QObject::connect(redo, &QAction::triggered, &group, [&group, beforeStep] {
        beforeStep();
        group.redo();
    });
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction* all = edit->addAction(QStringLiteral("Select &All"));
    all->setObjectName(QStringLiteral("EditSelectAllItem"));
    all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    all->setStatusTip(QStringLiteral("Select every element of the net"));
    QObject::connect(all, &QAction::triggered, edit, [selectAll] { selectAll(); });
    QAction* erase = edit->addAction(QStringLiteral("&Delete"));
    erase->setObjectName(QStringLiteral("EditDeleteItem"));
    erase->setShortcut(QKeySequence(QKeySequence::Delete));
    erase->setStatusTip(QStringLiteral("Erase the selected elements"));
    QObject::connect(erase, &QAction::triggered, edit, [eraseSelection] { eraseSelection(); });
    return edit;
}

} // namespace veltra
