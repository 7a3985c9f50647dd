// The Edit menu in the running application: Undo and Redo follow the active window's stack,
// the keys reach them, an erase answered Yes comes back with its synapses, and the modified
// mark follows the stack back to the saved state.
#include "appfixture.h"
#include "model/protolista.h"
#include "ui/editstack.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <sstream>

namespace veltra {
namespace {

class EditMenuTest : public AppTest {
protected:
    QAction* Undo() { return Find<QAction>("EditUndoItem"); }
    QAction* Redo() { return Find<QAction>("EditRedoItem"); }
    // Real key presses, as the user gives them, to the drawing area.
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&Ecra(), key, modifiers);
        QApplication::processEvents();
    }
    // What the drawing shows, and whether it is what a whole repaint from the net shows.
    bool ShowsTheNet() {
        TEcra& ecra = Child().Ecra();
        ecra.Compose();
        const QImage shown = ecra.Screen().copy();
        ecra.InvalidateAll();
        ecra.Compose();
        return shown == ecra.Screen();
    }
    std::string Saved() {
        std::ostringstream out;
        EXPECT_TRUE(Child().Document().Save(out));
        return out.str();
    }
};

TEST_F(EditMenuTest, UndoAndRedoAreCaptionedAndEnabledFromTheActiveWindowsStack) {
    ASSERT_NE(Undo(), nullptr);
    ASSERT_NE(Redo(), nullptr);
    EXPECT_FALSE(Undo()->isEnabled()); // nothing done yet
    main->FileNewItemClick();
    EXPECT_FALSE(Undo()->isEnabled());
    EXPECT_EQ(Undo()->text(), "&Undo");
    EXPECT_EQ(Undo()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(Redo()->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                   QKeySequence(QStringLiteral("Ctrl+Y"))}));

    TProtoNeuronio* neuron = Place(TTool::Neuron, 100, 100);
    ASSERT_NE(neuron, nullptr);
    EXPECT_TRUE(Undo()->isEnabled());
    EXPECT_EQ(Undo()->text(), "&Undo Place neuron");
    EXPECT_FALSE(Redo()->isEnabled());

    // One drag is one command, however many moves it takes.
    Tool(TTool::Move);
    Drag(QPoint(100, 100), QPoint(200, 150));
    EXPECT_EQ(Undo()->text(), "&Undo Move neuron");
    EXPECT_EQ(Child().UndoStack().count(), 2);
    Undo()->trigger();
    EXPECT_EQ(neuron->Centre().x, 100);
    EXPECT_EQ(Redo()->text(), "&Redo Move neuron");
    EXPECT_EQ(Undo()->text(), "&Undo Place neuron");

    // Another window has its own stack, and the menu follows the window made active.
    TMDIChild* first = &Child();
    main->FileNewItemClick();
    EXPECT_NE(&Child(), first);
    EXPECT_FALSE(Undo()->isEnabled());
    EXPECT_FALSE(Redo()->isEnabled());
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    EXPECT_EQ(Redo()->text(), "&Redo Move neuron");
}

TEST_F(EditMenuTest, CtrlZAfterAnEraseAnsweredYesBringsBackTheElementAndItsSynapses) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Neuron, 200, 60);
    TProtoNeuronio* c = Place(TTool::Neuron, 130, 200);
    ASSERT_TRUE(a && b && c);
    main->WeightBox()->setText(QStringLiteral("0.5"));
    Tool(TTool::Synapse);
    Drag(QPoint(60, 60), QPoint(200, 60));
    Drag(QPoint(130, 200), QPoint(60, 60));
    Drag(QPoint(60, 60), QPoint(130, 200));
    ASSERT_EQ(a->OutgoingSynapses().Count(), 2);
    const std::string before = Saved();

    Tool(TTool::Erase);
    prompter->confirmAnswers.push_back(true);
    Click(60, 60);
    ASSERT_EQ(List().IndexOf(a), -1);
    EXPECT_EQ(b->IncomingSynapses().Count(), 0);
    EXPECT_TRUE(ShowsTheNet()); // the erased synapses are gone from the screen too
    EXPECT_EQ(Undo()->text(), "&Undo Erase neuron");

    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(List().IndexOf(a), 0); // the same element, at its place
    EXPECT_EQ(b->IncomingSynapses().Count(), 1);
    EXPECT_EQ(c->OutgoingSynapses().Item(0)->Destination(), a);
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(ShowsTheNet());

    // Both redo keys erase it again; Ctrl+Z once more brings it back.
    Keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(List().IndexOf(a), -1);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    Keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(List().IndexOf(a), -1);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Saved(), before);
}

TEST_F(EditMenuTest, TheModifiedMarkFollowsTheStackBackToTheSavedState) {
    main->FileNewItemClick();
    Place(TTool::Neuron, 100, 100);
    EXPECT_TRUE(Child().isWindowModified());
    QTemporaryDir dir;
    ASSERT_TRUE(main->WriteChild(Child(), dir.filePath(QStringLiteral("a.net"))));
    EXPECT_FALSE(Child().isWindowModified());
    EXPECT_FALSE(Child().Modified());

    Place(TTool::Bias, 200, 100);
    EXPECT_TRUE(Child().isWindowModified());
    Keys(Qt::Key_Z, Qt::ControlModifier); // back to what was saved
    EXPECT_FALSE(Child().isWindowModified());
    EXPECT_FALSE(Child().Modified());
    Keys(Qt::Key_Z, Qt::ControlModifier); // before it
    EXPECT_TRUE(Child().isWindowModified());
    Keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(Child().isWindowModified());

    // Clean: closing asks nothing.
    EXPECT_TRUE(Child().parentWidget()->close());
    EXPECT_TRUE(prompter->saveQuestions.isEmpty());
}

} // namespace
} // namespace veltra
