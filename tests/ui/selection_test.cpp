// Selecting elements in a drawing window with real keys and mouse events, and the edits made
// on a selection, each one command.
#include "appfixture.h"
#include "model/dados.h"
#include "model/module.h"
#include "model/protolista.h"
#include "ui/editstack.h"
#include "ui/netscroller.h"

#include <QAction>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <sstream>

namespace veltra {
namespace {

class SelectionTest : public AppTest {
protected:
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&Ecra(), key, modifiers);
        QApplication::processEvents();
    }
    // The active window's net as its file would hold it now.
    std::string Saved() {
        std::ostringstream out;
        Child().Document().Save(out);
        return out.str();
    }
    // Whether the screen shows the selection mark just outside the element's glyph.
    bool Marked(const TProtoNeuronio& e) {
        const QImage shown = Ecra().grab().toImage();
        const QRect box = Child().Ecra().View().ToScreen(e.GlyphBox()).adjusted(-2, -2, 2, 2);
        return shown.pixel(box.topLeft()) == TEcra::SelectionMarkColour;
    }
};

TEST_F(SelectionTest, CtrlASelectsEveryElementAndMarksIt) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Bias, 200, 60);
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(Marked(*a));
    QAction* all = Find<QAction>("EditSelectAllItem");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text(), "Select &All");
    EXPECT_EQ(all->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));

    const int commands = Child().UndoStack().count();
    Keys(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{a, b}));
    EXPECT_TRUE(Marked(*a));
    EXPECT_TRUE(Marked(*b));
    EXPECT_EQ(Child().UndoStack().count(), commands); // selecting is not an edit

    // What leaves the net leaves the selection.
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{a}));
    EXPECT_TRUE(Marked(*a));
}

TEST_F(SelectionTest, ShiftClickAddsOrRemovesAndABandOverEmptySpaceSelectsAtAnyZoom) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Neuron, 200, 60);
    TProtoNeuronio* c = Place(TTool::Neuron, 200, 200);
    ASSERT_TRUE(a && b && c);
    const std::string before = Saved();
    Tool(TTool::Move);
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 60));
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 200));
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{a, c}));
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 60));
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{c}));

    // At 200% a band over the net's (150, 25)-(225, 100) covers b alone and replaces the
    // selection; with Shift one over (40, 40)-(70, 70) adds a.
    Child().Ecra().Scroller().SetZoom(2.0, QPoint(0, 0));
    const TNetView& view = Child().Ecra().View();
    ASSERT_EQ(view.Zoom(), 2.0);
    Drag(view.ToScreen(150, 25), view.ToScreen(225, 100));
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{b}));
    EXPECT_TRUE(Marked(*b));
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, view.ToScreen(40, 40));
    QTest::mouseMove(&Ecra(), view.ToScreen(70, 70));
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, view.ToScreen(70, 70));
    EXPECT_EQ(Child().Selection(), (std::vector<TProtoNeuronio*>{a, b}));

    // None of it is an edit of the net, and nothing moved.
    std::ostringstream after;
    Child().Document().Save(after);
    EXPECT_EQ(after.str(), before);
    EXPECT_EQ(Child().UndoStack().undoText(), "Place neuron");
}

TEST_F(SelectionTest, DraggingASelectedElementMovesTheSelectionAsOneCommand) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Bias, 200, 60);
    TProtoNeuronio* c = Place(TTool::Neuron, 200, 200);
    ASSERT_TRUE(a && b && c);
    const std::string before = Saved();
    Tool(TTool::Move);
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 60));
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 60));
    const int commands = Child().UndoStack().count();
    Drag(QPoint(200, 60), QPoint(240, 130));
    EXPECT_EQ(a->Centre(), (TPoint{100, 130}));
    EXPECT_EQ(b->Centre(), (TPoint{240, 130}));
    EXPECT_EQ(c->Centre(), (TPoint{200, 200}));
    EXPECT_EQ(Child().UndoStack().count(), commands + 1);
    EXPECT_EQ(Child().UndoStack().undoText(), "Move selection");
    const std::string moved = Saved();

    Child().UndoStack().undo();
    EXPECT_EQ(Saved(), before);
    Child().UndoStack().redo();
    EXPECT_EQ(Saved(), moved);
}

TEST_F(SelectionTest, DeleteErasesTheSelectionAfterOneConfirmationAsOneCommand) {
    main->FileNewItemClick();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Neuron, 200, 60);
    TProtoNeuronio* c = Place(TTool::Neuron, 130, 200);
    ASSERT_TRUE(a && b && c);
    Tool(TTool::Synapse);
    Drag(QPoint(60, 60), QPoint(200, 60));
    Drag(QPoint(200, 60), QPoint(130, 200));
    Drag(QPoint(130, 200), QPoint(60, 60));
    Drag(QPoint(200, 60), QPoint(60, 60));
    const std::string before = Saved();
    Tool(TTool::Move);
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 60));
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 60));

    prompter->confirmAnswers.push_back(false); // No: nothing happens
    Keys(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(Saved(), before);
    prompter->confirmAnswers.push_back(true);
    Keys(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(prompter->confirmations.size(), 2);
    EXPECT_EQ(List().Count(), 1);
    EXPECT_EQ(c->IncomingSynapses().Count(), 0);
    EXPECT_EQ(c->OutgoingSynapses().Count(), 0);
    EXPECT_TRUE(Child().SelectionEmpty());
    EXPECT_EQ(Child().UndoStack().undoText(), "Erase selection");
    const std::string erased = Saved();

    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Saved(), before);
    Keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Saved(), erased);
}

TEST_F(SelectionTest, CopyInOneWindowAndPasteInAnotherBringsTheSynapsesAmongTheCopied) {
    main->FileNewItemClick();
    TMDIChild& first = Child();
    TProtoNeuronio* a = Place(TTool::Neuron, 60, 60);
    TProtoNeuronio* b = Place(TTool::Output, 200, 60);
    TProtoNeuronio* c = Place(TTool::Neuron, 130, 200);
    ASSERT_TRUE(a && b && c);
    Tool(TTool::Synapse);
    Drag(QPoint(60, 60), QPoint(200, 60));
    Drag(QPoint(130, 200), QPoint(60, 60));
    Tool(TTool::Move);
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 60));
    QTest::mouseClick(&Ecra(), Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 60));
    Keys(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("<TREDE="));

    main->FileNewItemClick();
    ASSERT_NE(&Child(), &first);
    Place(TTool::Bias, 300, 300); // the counter is at 1 now
    const std::string before = Saved();
    Keys(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(List().Count(), 3);
    TProtoNeuronio* pa = List().Item(1);
    TProtoNeuronio* pb = List().Item(2);
    EXPECT_EQ(pa->Label(), "1");
    EXPECT_EQ(pb->Label(), "2");
    EXPECT_EQ(pa->Centre(), (TPoint{80, 80}));
    EXPECT_EQ(pb->Centre(), (TPoint{220, 80}));
    ASSERT_EQ(pa->OutgoingSynapses().Count(), 1); // only the synapse among the copied
    EXPECT_EQ(pa->OutgoingSynapses().Item(0)->Destination(), pb);
    EXPECT_EQ(pa->IncomingSynapses().Count(), 0);
    EXPECT_EQ(Child().UndoStack().undoText(), "Paste");
    const std::string pasted = Saved();
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Saved(), before);
    Keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Saved(), pasted);

    // Duplicate and Cut in the first window, each one command.
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(first.parentWidget()));
    Keys(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(List().Count(), 5);
    EXPECT_EQ(Child().UndoStack().undoText(), "Duplicate");
    // The copies are selected, not the originals: a drag moves them clear.
    std::vector<TProtoNeuronio*> copies;
    for (const auto& e : List())
        if (e.get() != a && e.get() != b && e.get() != c) copies.push_back(e.get());
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(Child().Selection(), copies);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(List().Count(), 3);
    Child().Select({a, b});
    // Cut asks nothing: the elements are on the clipboard and the edit undoes.
    const qsizetype asked = prompter->confirmations.size();
    Keys(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(prompter->confirmations.size(), asked);
    EXPECT_EQ(List().Count(), 1);
    EXPECT_EQ(c->OutgoingSynapses().Count(), 0);
    Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(List().Count(), 3);
}

// A net file: `depth` modules, each holding the next, the innermost a neuron; the outermost
// module's glyph at (x, y).
std::string NestedText(int depth, const std::string& at = "100;100") {
    const auto head = [](const char* type, int id, const std::string& position) {
        return std::string("<TPROTONEURONIO=") + type + ">\r\nId:" + std::to_string(id) +
               "\r\nEtiqueta:e\r\nPosicao:" + position +
               "\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n<TListaSinapses=0>\r\n"
               "</TListaSinapses>\r\n";
    };
    std::string text = "<TREDE=version 0.4>\r\n";
    for (int d = 0; d < depth; ++d)
        text += "<TProtoLista=1>\r\n" + head("TMODULO", d, d == 0 ? at : "0;0");
    text += "<TProtoLista=1>\r\n" + head("TNEURONIO", depth, depth == 0 ? at : "0;0") +
            "Actividade:0\r\nFuncaoActivacao:TSacturated_Linear\r\nloop:false\r\n"
            "</TPROTONEURONIO>\r\n</TProtoLista>\r\n";
    for (int d = 0; d < depth; ++d)
        text += "</TPROTONEURONIO>\r\n</TProtoLista>\r\n";
    return text + "</TREDE>\r\n";
}

TEST_F(SelectionTest, PasteKeepsTheNestingLimitCountedFromTheTopAndTheCoordinateRange) {
    main->FileNewItemClick();
    TMDIChild& outer = Child();
    TProtoNeuronio* module = Place(TTool::Module, 200, 150);
    ASSERT_NE(module, nullptr);
    Tool(TTool::Info);
    QTest::mouseDClick(&Ecra(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    ASSERT_NE(&Child(), &outer);
    // In the module's window a pasted net stands one module deeper than in a net of its own.
    QGuiApplication::clipboard()->setText(QString::fromStdString(NestedText(MaxModuleDepth)));
    const qsizetype messages = prompter->messages.size();
    Keys(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(prompter->messages.size(), messages + 1);
    EXPECT_EQ(prompter->messages.back(), QString::fromStdString(ModuleDepthText()));
    EXPECT_TRUE(List().Empty());
    EXPECT_EQ(Child().UndoStack().count(), 0);
    QGuiApplication::clipboard()->setText(QString::fromStdString(NestedText(MaxModuleDepth - 1)));
    Keys(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(List().Count(), 1);
    std::ostringstream saved;
    ASSERT_TRUE(outer.Document().Save(saved));
    TDados reread;
    std::istringstream in(saved.str());
    EXPECT_EQ(reread.Load(in), "") << "what was taken reads back";

    // At the ends of the coordinate range a pasted or duplicated element stops there.
    main->FileNewItemClick();
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(NestedText(0, "2147483647;2147483630")));
    Keys(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(List().Count(), 1);
    EXPECT_EQ(List().Item(0)->GetPosition(), (TPoint{2147483647, 2147483647}));
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(NestedText(0, "-2147483648;-2147483648")));
    Keys(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(List().Count(), 2);
    EXPECT_EQ(List().Item(1)->GetPosition(), (TPoint{-2147483628, -2147483628}));
}

} // namespace
} // namespace veltra
