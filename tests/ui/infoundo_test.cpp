// The Info dialog's edits on the undo stack: one Apply (every field of it, a cleared output
// history included) is one command, and so is "&Window" on a module.
#include "infotestsupport.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/protolista.h"
#include "ui/editstack.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <sstream>

namespace veltra {
namespace {

class InfoUndoTest : public InfoTest {
protected:
    void Undo() { Find<QAction>("EditUndoItem")->trigger(); }
    void Redo() { Find<QAction>("EditRedoItem")->trigger(); }
    std::string Saved(TMDIChild& child) {
        std::ostringstream out;
        EXPECT_TRUE(child.Document().Save(out));
        return out.str();
    }
};

TEST_F(InfoUndoTest, OneApplyIsOneCommandForAllItsFields) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 250, 100));
    out->SetHistory("0110x");
    const std::string placed = Saved(Child());
    const int commands = Child().UndoStack().count();

    ShowInfo(n);
    ToProperties();
    Set("edit_neuron_name", "Alpha");
    Set("edit_neuron_potencial", "0.25");
    Set("edit_neuron_x", "40");
    Set("edit_neuron_y", "60");
    Press("button_apply");
    EXPECT_EQ(Child().UndoStack().count(), commands + 1);
    EXPECT_EQ(Find<QAction>("EditUndoItem")->text(), "&Undo Apply to neuron");
    const std::string applied = Saved(Child());

    // The output's history cleared on its page, then applied.
    ShowInfo(out);
    ToProperties();
    Press("Button_Clear");
    Press("button_apply");
    EXPECT_EQ(out->History(), "");
    EXPECT_EQ(Child().UndoStack().count(), commands + 2);

    Undo();
    EXPECT_EQ(out->History(), "0110x");
    EXPECT_EQ(Saved(Child()), applied);
    Undo();
    EXPECT_EQ(n->Label(), "0");
    EXPECT_EQ(n->ValueText(), "0");
    EXPECT_EQ(n->GetPosition(), (TPoint{91, 90}));
    EXPECT_EQ(Saved(Child()), placed);
    Redo();
    EXPECT_EQ(n->Label(), "Alpha");
    EXPECT_EQ(Saved(Child()), applied);

    // An Apply that changes nothing is no command.
    ShowInfo(n);
    ToProperties();
    Press("button_apply");
    EXPECT_EQ(Child().UndoStack().index(), commands + 1);
}

TEST_F(InfoUndoTest, LoadingAModulesNetIsOneCommandAndCancellingIsNone) {
    auto* m = static_cast<TModule*>(Add(TTool::Module, 100, 100));
    const std::shared_ptr<TProtoLista> empty = m->SharedInnerNet();
    const int commands = Child().UndoStack().count();
    ShowInfo(m);
    Press("button_load_module"); // the file dialog cancelled
    EXPECT_EQ(Child().UndoStack().count(), commands);
    prompter->fileAnswers.push_back(WriteFile("two.net", TwoNeuronModule()));
    Press("button_load_module");
    ASSERT_EQ(m->InnerNet().Count(), 2);
    EXPECT_EQ(Find<QAction>("EditUndoItem")->text(), "&Undo Load Module");
    const std::shared_ptr<TProtoLista> loaded = m->SharedInnerNet();

    Undo();
    EXPECT_EQ(m->SharedInnerNet(), empty);
    EXPECT_EQ(In<QListWidget>("list_module_inputs_outputs")->count(), 0);
    Redo();
    EXPECT_EQ(m->SharedInnerNet(), loaded);
}

TEST_F(InfoUndoTest, WindowOnAModuleIsUndoneWithTheSynapsesAcrossItsBorder) {
    TMDIChild& first = Child();
    auto* m = static_cast<TModule*>(Add(TTool::Module, 100, 100));
    // An inner neuron a synapse from outside can reach.
    auto made = std::make_unique<TNeuronio>();
    made->SetLabel("inner");
    TNeuronio* inner = made.get();
    m->InnerNet().AddElement(std::move(made));
    TProtoNeuronio* n = Add(TTool::Neuron, 250, 100);
    AnswerSelectIO(0);
    Connect(n, m, "2");
    ASSERT_EQ(inner->IncomingSynapses().Count(), 1); // the hidden synapse
    const std::string before = Saved(first);

    main->FileNewItemClick();
    TMDIChild& second = Child();
    Add(TTool::Neuron, 60, 60);
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(first.parentWidget()));
    ShowInfo(m);
    prompter->dialogAnswers.push_back([](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("listbox_mdi_windows");
        list->setCurrentRow(0); // NONAME2, the last child first
        d.findChild<QPushButton*>("OKBtn")->click();
    });
    Press("button_load_from_window");
    ASSERT_EQ(m->SharedInnerNet(), second.Document().Net().SharedElements());
    EXPECT_EQ(inner->IncomingSynapses().Count(), 0);
    EXPECT_EQ(n->OutgoingSynapses().Count(), 1); // only the drawn one stays
    EXPECT_EQ(Find<QAction>("EditUndoItem")->text(), "&Undo Module Window");

    Undo();
    EXPECT_NE(m->SharedInnerNet(), second.Document().Net().SharedElements());
    EXPECT_EQ(m->InnerNet().Item(0), inner);
    EXPECT_EQ(inner->IncomingSynapses().Count(), 1);
    EXPECT_EQ(Saved(first), before);
}

} // namespace
} // namespace veltra
