// The Edit menu in the running application: Undo and Redo follow the active window's stack,
// the keys reach them, an erase answered Yes comes back with its synapses, and the modified
// mark follows the stack back to the saved state.
#include "appfixture.h"
#include "model/dados.h"
#include "model/module.h"
#include "model/protolista.h"
#include "ui/editstack.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
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
    // Neurons placed at the points, saved and opened again: a window whose stack is empty.
    std::string OpenNeurons(std::initializer_list<QPoint> at) {
        main->FileNewItemClick();
        for (const QPoint& p : at)
            Place(TTool::Neuron, p.x(), p.y());
        const std::string bytes = Saved();
        const QString path = dir.filePath(QStringLiteral("n%1.net").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        EXPECT_TRUE(main->OpenNetFile(path));
        EXPECT_EQ(Child().UndoStack().count(), 0);
        return bytes;
    }
    void Activate(TMDIChild& child) {
        main->findChild<QMdiArea*>()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow*>(child.parentWidget()));
        QApplication::processEvents();
    }
    // The next Select IO question is answered with the entry at `row`.
    void AnswerSelectIO(int row) {
        prompter->dialogAnswers.push_back([row](QDialog& dialog) {
            dialog.findChild<QListWidget*>("listbox_io")->setCurrentRow(row);
            dialog.findChild<QPushButton*>("OKBtn")->click();
        });
    }
    static bool ReadsBack(const std::string& bytes) {
        TDados copy;
        std::istringstream in(bytes);
        return copy.Load(in).empty();
    }
    QTemporaryDir dir;
    int files = 0;
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

TEST_F(EditMenuTest, CtrlZDuringADragEndsTheDragBeforeUndoing) {
    const std::string opened = OpenNeurons({QPoint(100, 100)});
    TProtoNeuronio* a = List().Item(0);
    Tool(TTool::Move);
    Drag(QPoint(100, 100), QPoint(200, 150));
    ASSERT_EQ(a->Centre().x, 200);

    // Ctrl+Z with the button still held: the drag ends where it began, then the move before
    // it is undone; the rest of the drag moves nothing and the release records nothing.
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QTest::mouseMove(&Ecra(), QPoint(260, 200));
    Keys(Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(&Ecra(), QPoint(300, 220));
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 220));
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(a->Centre().x, 100);
    EXPECT_EQ(a->Centre().y, 100);
    EXPECT_EQ(Saved(), opened);
    EXPECT_TRUE(Redo()->isEnabled()); // nothing was pushed over the undone move
    EXPECT_TRUE(ShowsTheNet());

    // A synapse being drawn: its band goes with the gesture, no stray line is left.
    Place(TTool::Neuron, 300, 100);
    Tool(TTool::Synapse);
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&Ecra(), QPoint(180, 250));
    Keys(Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(&Ecra(), QPoint(220, 280));
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(220, 280));
    EXPECT_EQ(List().Count(), 1);
    EXPECT_EQ(a->OutgoingSynapses().Count(), 0);
    EXPECT_TRUE(ShowsTheNet());
}

TEST_F(EditMenuTest, APopUpDuringAMoveLeavesTheMovedElementItsMove) {
    const std::string opened = OpenNeurons({QPoint(100, 100), QPoint(260, 100)});
    Tool(TTool::Move);
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&Ecra(), QPoint(150, 180));
    QTest::mouseClick(&Ecra(), Qt::RightButton, Qt::NoModifier, QPoint(260, 100)); // on B
    Child().ElementPopup()->hide();
    QTest::mouseMove(&Ecra(), QPoint(160, 200));
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(160, 200));
    ASSERT_EQ(Undo()->text(), "&Undo Move neuron");
    Undo()->trigger();
    EXPECT_EQ(Saved(), opened);
}

// A synapse from outside a module to an element inside it, and the element taken out by the
// stack of a window on the module while the module is out: undoing the module's erase must
// not put back a synapse to an element that is out of the net.
TEST_F(EditMenuTest, UndoNeverJoinsTheNetToAnElementAnotherWindowTookOut) {
    main->FileNewItemClick();
    TMDIChild& outer = Child();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    auto* m = static_cast<TModule*>(Place(TTool::Module, 200, 150));
    ASSERT_TRUE(a && m);
    Tool(TTool::Info);
    QTest::mouseDClick(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    TMDIChild& inner = Child();
    ASSERT_NE(&inner, &outer);
    TProtoNeuronio* x = Place(TTool::Neuron, 100, 100);
    ASSERT_NE(x, nullptr);

    Activate(outer);
    Tool(TTool::Synapse);
    AnswerSelectIO(0);
    Drag(QPoint(60, 60), QPoint(200, 150));
    ASSERT_EQ(x->IncomingSynapses().Count(), 1);

    Tool(TTool::Erase);
    prompter->confirmAnswers.push_back(true);
    Click(200, 150);
    Activate(inner);
    prompter->confirmAnswers.push_back(true);
    Click(100, 100);
    ASSERT_EQ(m->InnerNet().IndexOf(x), -1);

    Activate(outer);
    Undo()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(List().IndexOf(m), -1) << "refused: the module stays out";
    EXPECT_EQ(a->OutgoingSynapses().Count(), 0);
    EXPECT_EQ(outer.UndoStack().count(), 0); // emptied, as when another stack releases
    EXPECT_TRUE(outer.Modified());
    EXPECT_TRUE(ReadsBack(Saved()));
}

TEST_F(EditMenuTest, AWindowOnAModuleStaysItsModulesAcrossAnUndoneErase) {
    main->FileNewItemClick();
    TMDIChild& outer = Child();
    auto* m = Place(TTool::Module, 200, 150);
    ASSERT_NE(m, nullptr);
    Tool(TTool::Info);
    QTest::mouseDClick(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    TMDIChild& inner = Child();
    Activate(outer);
    Tool(TTool::Erase);
    prompter->confirmAnswers.push_back(true);
    Click(200, 150);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(List().IndexOf(m), 0);
    ASSERT_TRUE(main->WriteChild(outer, dir.filePath(QStringLiteral("m.net"))));
    ASSERT_FALSE(outer.Modified());

    Activate(inner);
    Place(TTool::Neuron, 100, 100);
    EXPECT_EQ(inner.ExpandedModule(), m);
    EXPECT_TRUE(outer.Modified()); // the module's net changed
}

// Every window's mark follows its clean state, edits made in a module's window included: undone
// there, the net holding the module is as saved and unmarked; saved, the module's window is
// unmarked too; closed with edits, the holder stays marked and asks on closing.
TEST_F(EditMenuTest, TheMarkOfTheNetHoldingAModuleFollowsTheEditsInTheModulesWindow) {
    main->FileNewItemClick();
    TMDIChild& outer = Child();
    Place(TTool::Module, 200, 150);
    const QString path = dir.filePath(QStringLiteral("holder.net"));
    ASSERT_TRUE(main->WriteChild(outer, path));
    const std::string saved = Saved();
    Tool(TTool::Info);
    QTest::mouseDClick(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    TMDIChild& inner = Child();
    ASSERT_NE(&inner, &outer);

    Place(TTool::Neuron, 100, 100);
    EXPECT_TRUE(outer.isWindowModified());
    EXPECT_TRUE(inner.isWindowModified());
    Keys(Qt::Key_Z, Qt::ControlModifier); // undone inside the module's window
    EXPECT_FALSE(outer.isWindowModified());
    EXPECT_FALSE(outer.Modified());
    EXPECT_FALSE(inner.isWindowModified());
    Activate(outer);
    EXPECT_EQ(Saved(), saved);
    Activate(inner);
    Keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // and redone
    EXPECT_TRUE(outer.isWindowModified());

    // Saving the holder saves the module's net: no window is marked.
    ASSERT_TRUE(main->WriteChild(outer, path));
    EXPECT_FALSE(outer.isWindowModified());
    EXPECT_FALSE(inner.isWindowModified());
    Keys(Qt::Key_Z, Qt::ControlModifier); // back before the save: marked again
    EXPECT_TRUE(outer.isWindowModified());
    EXPECT_TRUE(inner.isWindowModified());

    // The module's window closes with the change: its stack goes, the mark stays.
    inner.parentWidget()->close();
    QApplication::processEvents();
    ASSERT_EQ(main->ChildCount(), 2);
    EXPECT_TRUE(outer.isWindowModified());
    EXPECT_TRUE(outer.Modified());
}

} // namespace
} // namespace veltra
