// Selecting elements in a drawing window with real keys and mouse events, and the edits made
// on a selection, each one command.
#include "appfixture.h"
#include "model/protolista.h"
#include "ui/editstack.h"

#include <QAction>
#include <sstream>

namespace veltra {
namespace {

class SelectionTest : public AppTest {
protected:
    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&Ecra(), key, modifiers);
        QApplication::processEvents();
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

} // namespace
} // namespace veltra
