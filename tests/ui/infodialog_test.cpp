// The Info dialog driven through the real application: the net browser tree, the property
// pages, Apply, Clear, Close, and what happens when what it shows goes away.
#include "infotestsupport.h"
#include "model/activacao.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "ui/editstack.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace veltra {
namespace {

QStringList Children(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& text) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text) return node->child(i);
    return nullptr;
}

TEST_F(InfoTest, BranchesShowSynapsesValuesCoordinatesAndASecondInfoSelects) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Neuron, 250, 100);
    Connect(a, b, "0.5");
    ShowInfo(b);
    EXPECT_TRUE(Info().isVisible());
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    QTreeWidgetItem* node = Tree().topLevelItem(0);
    EXPECT_EQ(node->text(0), "1");
    EXPECT_EQ(Children(node), (QStringList{"pre synapses ", "potential = 0", "coordinates"}));
    QTreeWidgetItem* synapse = node->child(0)->child(0);
    EXPECT_EQ(synapse->text(0), "0/1");
    EXPECT_EQ(Children(synapse), (QStringList{"origem =0", "destino =1", "peso =0.5"}));
    QTreeWidgetItem* coordinates = node->child(2);
    EXPECT_EQ(Children(coordinates), (QStringList{"x", "y"}));
    EXPECT_EQ(Children(coordinates->child(0)), QStringList{QString::number(b->GetPosition().x)});
    EXPECT_EQ(Children(coordinates->child(1)), QStringList{QString::number(b->GetPosition().y)});
    EXPECT_EQ(Tree().currentItem(), node);
    EXPECT_EQ(Info().CurrentElement(), b);
    EXPECT_EQ(In<QTabBar>("TabSet")->currentIndex(), 0);

    ShowInfo(a);
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(Children(Tree().topLevelItem(1)),
              (QStringList{"pos synapses ", "potential = 0", "coordinates"}));
    EXPECT_EQ(Info().CurrentElement(), a);
    ShowInfo(b); // already has a branch: selected, not added again
    EXPECT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(Tree().currentItem(), node);
    EXPECT_EQ(Info().CurrentElement(), b);
}

TEST_F(InfoTest, ModuleBranchesHoldTheInnerNetAndModuleSynapsesAreLeftOut) {
    TProtoNeuronio* m = Add(TTool::Module, 100, 100);
    LoadModule(m, WriteFile("two.net", TwoNeuronModule()));
    TProtoNeuronio* n = Add(TTool::Neuron, 300, 100);
    AnswerSelectIO(1);
    Connect(m, n, "2");
    ASSERT_EQ(n->IncomingSynapses().Count(), 2); // the hidden one from B, the module's own

    ShowInfo(n);
    QTreeWidgetItem* pre = ChildNamed(Tree().topLevelItem(0), "pre synapses ");
    ASSERT_NE(pre, nullptr);
    EXPECT_EQ(Children(pre), QStringList{"B/1"}); // the synapse drawn from the module is not there

    ShowInfo(m);
    QTreeWidgetItem* moduleNode = Tree().topLevelItem(1);
    EXPECT_EQ(Children(moduleNode), (QStringList{"coordinates", "A", "B"}));
    EXPECT_EQ(Info().ShownGroupBox()->objectName(), "properties_module");
    auto* list = In<QListWidget>("list_module_inputs_outputs");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "B");
    EXPECT_TRUE(In<QPushButton>("button_load_module")->isVisibleTo(&Info()));
    EXPECT_TRUE(In<QPushButton>("button_load_from_window")->isVisibleTo(&Info()));
    EXPECT_FALSE(In<QPushButton>("button_load")->isVisibleTo(&Info()));

    // An inner element standing only inside the module's branch gets a branch of its own.
    TProtoNeuronio* inner = static_cast<TModule*>(m)->InnerNet().Item(0);
    Info().ShowNetBrowser(inner, Child().Document());
    ASSERT_EQ(Tree().topLevelItemCount(), 3);
    EXPECT_EQ(Tree().topLevelItem(2)->text(0), "A");
    EXPECT_EQ(Info().CurrentElement(), inner);
}

TEST_F(InfoTest, ChoosingANodeFillsThePageAndOnlyEditsThereEnableApply) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    ShowInfo(n);
    EXPECT_EQ(Info().ShownGroupBox()->objectName(), "properties_neuronio");
    EXPECT_EQ(Info().ShownGroupBox()->y(), TMultPageDlg::InViewTop);
    EXPECT_EQ(Text("edit_neuron_name"), "0");
    EXPECT_EQ(Text("edit_neuron_potencial"), "0");
    EXPECT_EQ(Text("edit_neuron_x"), "91");
    EXPECT_EQ(Text("edit_neuron_y"), "90");
    for (const char* hidden : {"button_load", "button_save", "Button_Clear", "button_load_module",
                               "button_load_from_window"})
        EXPECT_FALSE(In<QPushButton>(hidden)->isVisibleTo(&Info())) << hidden;
    EXPECT_FALSE(ApplyEnabled());
    ToProperties();
    EXPECT_FALSE(ApplyEnabled()); // turning the page is no edit
    QTest::keyClicks(In<QLineEdit>("edit_neuron_x"), "5");
    EXPECT_TRUE(ApplyEnabled());
    Press("button_apply");
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(n->GetPosition().x, 915);
}

TEST_F(InfoTest, ApplyTakesWhatItCanAndIgnoresBlankOrUnreadableFields) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    ShowInfo(n);
    ToProperties();
    Set("edit_neuron_name", "   ");
    Set("edit_neuron_potencial", "0.25");
    Set("edit_neuron_x", "12");
    Set("edit_neuron_y", "x");
    Press("button_apply");
    EXPECT_EQ(n->Label(), "0");
    EXPECT_EQ(n->ValueText(), "0.25");
    EXPECT_EQ(n->GetPosition(), (TPoint{91, 90}));

    Set("edit_neuron_name", "Alpha");
    Set("edit_neuron_x", "40");
    Set("edit_neuron_y", "60");
    Press("button_apply");
    EXPECT_EQ(n->Label(), "Alpha");
    EXPECT_EQ(n->GetPosition(), (TPoint{40, 60}));
    EXPECT_TRUE(Child().Modified());
    // The node takes the new label and shows the applied potential; the coordinates keep the
    // texts they were made with.
    QTreeWidgetItem* node = Tree().topLevelItem(0);
    EXPECT_EQ(node->text(0), "Alpha");
    EXPECT_EQ(Children(node), (QStringList{"potential = 0.25", "coordinates"}));
    EXPECT_EQ(Children(node->child(1)->child(0)), QStringList{"91"});
    EXPECT_EQ(List().Item(0), n);
    EXPECT_EQ(Child().Document().ElementAt(49, 70), n); // found where it now stands
}

TEST_F(InfoTest, ANameNoFileCanCarryIsRefusedBeforeAnythingIsApplied) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    ShowInfo(n);
    ToProperties();
    const int commands = Child().UndoStack().count();
    Set("edit_neuron_name", "sc\nan");
    Set("edit_neuron_potencial", "0.25");
    Press("button_apply");
    ASSERT_FALSE(prompter->messages.isEmpty());
    EXPECT_EQ(prompter->messages.back(), QString::fromLatin1(InvalidLabelText));
    EXPECT_EQ(n->Label(), "0");
    EXPECT_EQ(n->ValueText(), "0") << "nothing of the Apply is taken";
    EXPECT_TRUE(ApplyEnabled()) << "the fields stay to be corrected";
    EXPECT_EQ(Child().UndoStack().count(), commands);
    Set("edit_neuron_name", "sc\ran");
    Press("button_apply");
    EXPECT_EQ(n->Label(), "sc\ran");
}

TEST_F(InfoTest, ThresholdBoxFollowsTheActivationChoice) {
    auto* n = static_cast<TNeuronio*>(Add(TTool::Neuron, 100, 100));
    auto* other = static_cast<TNeuronio*>(Add(TTool::Neuron, 250, 100));
    auto* combo = In<QComboBox>("ComboBox_Neuron_Activacao");
    auto* teta = In<QLineEdit>("EditTeta");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), -1);
    ShowInfo(n);
    EXPECT_EQ(combo->currentText(), "Saturated_Linear");
    EXPECT_FALSE(teta->isEnabled());
    EXPECT_TRUE(teta->text().isEmpty());

    ToProperties();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_TRUE(teta->isEnabled());
    EXPECT_TRUE(teta->text().isEmpty()); // not a step function yet: no threshold to show
    EXPECT_TRUE(ApplyEnabled());
    teta->setText("0.5");
    Press("button_apply");
    EXPECT_EQ(n->Activation().DisplayName(), "HeavisideStepFunction");
    EXPECT_EQ(n->TetaText(), "0.5");

    ShowInfo(other);
    ShowInfo(n);
    EXPECT_EQ(combo->currentText(), "HeavisideStepFunction");
    EXPECT_TRUE(teta->isEnabled());
    EXPECT_EQ(teta->text(), "0.5");
    ToProperties();
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_FALSE(teta->isEnabled());
    EXPECT_TRUE(teta->text().isEmpty());
}

TEST_F(InfoTest, ASigmoidNeuronKeepsThePreviousChoiceWhichApplyThenHandsOn) {
    auto* sigmoid = static_cast<TNeuronio*>(Add(TTool::Neuron, 100, 100));
    sigmoid->SetActivation(MakeActivationByDisplayName("BinarySigmoid"));
    auto* plain = static_cast<TNeuronio*>(Add(TTool::Neuron, 250, 100));
    auto* combo = In<QComboBox>("ComboBox_Neuron_Activacao");
    ShowInfo(sigmoid);
    EXPECT_EQ(combo->currentIndex(), -1);
    ToProperties();
    Set("edit_neuron_potencial", "0.5");
    Press("button_apply"); // no choice to hand on: the function stays
    EXPECT_EQ(sigmoid->Activation().DisplayName(), "BinarySigmoid");

    ShowInfo(plain);
    ShowInfo(sigmoid);
    EXPECT_EQ(combo->currentText(), "Saturated_Linear");
    ToProperties();
    Set("edit_neuron_name", "S");
    Press("button_apply");
    EXPECT_EQ(sigmoid->Activation().DisplayName(), "Saturated_Linear");
}

TEST_F(InfoTest, InputSequenceIsTakenOnlyWhenItHoldsNothingButZerosAndOnes) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 100, 100));
    input->SetSequence("101");
    ShowInfo(input);
    EXPECT_EQ(Info().ShownGroupBox()->objectName(), "properties_input_output");
    EXPECT_EQ(Box(), "101");
    for (const char* shown : {"button_load", "button_save", "Button_Clear"})
        EXPECT_TRUE(In<QPushButton>(shown)->isVisibleTo(&Info())) << shown;
    ToProperties();
    In<QPlainTextEdit>("Memo_input_output_binario")->setPlainText("01\n10");
    EXPECT_TRUE(ApplyEnabled());
    Press("button_apply");
    EXPECT_EQ(input->Sequence(), "101");
    In<QPlainTextEdit>("Memo_input_output_binario")->setPlainText("0110");
    Press("button_apply");
    EXPECT_EQ(input->Sequence(), "0110");
    Press("Button_Clear");
    EXPECT_TRUE(Box().isEmpty());
    EXPECT_EQ(input->Sequence(), "0110"); // only Apply changes the element
    Press("button_apply");
    EXPECT_EQ(input->Sequence(), "");
}

TEST_F(InfoTest, OutputHistoryIsClearedOnlyAfterClear) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 60, 100));
    TProtoNeuronio* n = Add(TTool::Neuron, 160, 100);
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 260, 100));
    Connect(input, n, "1");
    Connect(n, out, "1");
    input->SetSequence("10");
    Child().Document().Step();
    Child().Document().Step();
    ASSERT_EQ(out->History(), "10");

    ShowInfo(out);
    auto* log = In<TLogList>("ListBoxLog");
    ASSERT_EQ(log->count(), 2);
    EXPECT_EQ(log->Shown(0), "1");
    ToProperties();
    Set("edit_output_name", "Result");
    Press("button_apply");
    EXPECT_EQ(out->Label(), "Result");
    EXPECT_EQ(out->History(), "10");

    Press("Button_Clear");
    EXPECT_EQ(log->count(), 0);
    EXPECT_EQ(out->History(), "10");
    Press("button_apply");
    EXPECT_EQ(out->History(), "");
    EXPECT_TRUE(out->ValueLog().empty());
}

TEST_F(InfoTest, RenamingAnOutputReadFromAFileKeepsItsHistory) {
    // A history read from a file comes without the log the page lists.
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 260, 100));
    out->SetHistory("0x1");
    ShowInfo(out);
    EXPECT_EQ(In<TLogList>("ListBoxLog")->count(), 0);
    ToProperties();
    Set("edit_output_name", "Kept");
    Press("button_apply");
    EXPECT_EQ(out->Label(), "Kept");
    EXPECT_EQ(out->History(), "0x1");
    // A Clear forgotten by choosing the node again does not count either.
    Press("Button_Clear");
    ShowInfo(Add(TTool::Neuron, 100, 200));
    ShowInfo(out);
    ToProperties();
    Set("edit_output_name", "Again");
    Press("button_apply");
    EXPECT_EQ(out->History(), "0x1");
}

TEST_F(InfoTest, SynapsePageAppliesNameAndWeight) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Neuron, 250, 100);
    Connect(a, b, "0.5");
    ShowInfo(a);
    QTreeWidgetItem* synapse = Tree().topLevelItem(0)->child(0)->child(0);
    Tree().setCurrentItem(synapse);
    EXPECT_EQ(Info().CurrentSynapse(), a->OutgoingSynapses().Item(0));
    EXPECT_EQ(Info().CurrentElement(), nullptr);
    EXPECT_EQ(Info().ShownGroupBox()->objectName(), "properties_sinapse");
    EXPECT_EQ(Text("edit_sinapse_name"), "0/1");
    EXPECT_EQ(Text("edit_sinapse_value"), "0.5");
    EXPECT_EQ(Text("edit_sinapse_from"), "0");
    EXPECT_EQ(Text("edit_sinapse_to"), "1");
    ToProperties();
    Set("edit_sinapse_name", "w");
    Set("edit_sinapse_value", "-0.125");
    Press("button_apply");
    TSinapse* s = a->OutgoingSynapses().Item(0);
    EXPECT_EQ(s->Weight().ToText(), "-0.125");
    EXPECT_EQ(s->Name(), "w");
    EXPECT_EQ(synapse->text(0), "w");

    // An unreadable number is reported, not thrown through the event loop.
    Set("edit_sinapse_value", "abc");
    Press("button_apply");
    EXPECT_FALSE(prompter->messages.isEmpty());
}

TEST_F(InfoTest, CloseEmptiesTheTreeAndViewInfoShowsItEmpty) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    ShowInfo(n);
    ToProperties();
    Set("edit_neuron_name", "x");
    Press("button_close");
    EXPECT_FALSE(Info().isVisible());
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    EXPECT_EQ(Info().CurrentElement(), nullptr);
    EXPECT_EQ(Info().ShownGroupBox(), nullptr);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(In<QTabBar>("TabSet")->currentIndex(), 0);
    EXPECT_EQ(n->Label(), "0");
    main->findChild<QAction*>("Info1")->trigger();
    EXPECT_TRUE(Info().isVisible());
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
}

TEST_F(InfoTest, ErasedElementsLeaveTheTreeAndThePage) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Neuron, 250, 100);
    Connect(a, b, "0.5");
    ShowInfo(a);
    ShowInfo(b);
    ToProperties();
    Set("edit_neuron_name", "gone");
    prompter->confirmAnswers.push_back(true);
    Tool(TTool::Erase);
    Click(250, 100);
    ASSERT_EQ(List().Count(), 1);
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_EQ(Tree().topLevelItem(0)->text(0), "0");
    // a's outgoing synapse went with b: its node is gone from a's branch.
    QTreeWidgetItem* pos = ChildNamed(Tree().topLevelItem(0), "pos synapses ");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->childCount(), 0);
    EXPECT_EQ(Info().CurrentElement(), nullptr);
    EXPECT_EQ(Info().ShownGroupBox(), nullptr);
    EXPECT_FALSE(ApplyEnabled());
    Info().button_applyClick(); // nothing left to apply to
    EXPECT_EQ(a->Label(), "0");
}

TEST_F(InfoTest, AModuleErasedTakesItsInnerBranchesUnlessAWindowStillShowsThem) {
    TProtoNeuronio* m = Add(TTool::Module, 100, 100);
    LoadModule(m, WriteFile("two.net", TwoNeuronModule()));
    TMDIChild& outer = Child();
    TProtoNeuronio* inner = static_cast<TModule*>(m)->InnerNet().Item(0);
    ShowInfo(m);
    Info().ShowNetBrowser(inner, outer.Document());
    ASSERT_EQ(Tree().topLevelItemCount(), 2);

    // The expanded view keeps the inner net alive after the module goes.
    QTest::mouseDClick(&outer.Ecra(), Qt::LeftButton, Qt::NoModifier, At(m));
    ASSERT_NE(main->ActiveChild(), &outer);
    TMDIChild* view = main->ActiveChild();
    Tree().setCurrentItem(Tree().topLevelItem(0)); // the module's page
    prompter->confirmAnswers.push_back(true);
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(outer.parentWidget()));
    Tool(TTool::Erase);
    Click(100, 100);
    ASSERT_EQ(outer.Document().Elements().Count(), 0);
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_EQ(Tree().topLevelItem(0)->text(0), "A");
    EXPECT_EQ(Info().CurrentElement(), nullptr);

    // Closing the view releases the inner net: its branch goes too.
    Tree().setCurrentItem(Tree().topLevelItem(0));
    EXPECT_EQ(Info().CurrentElement(), inner);
    view->SetModified(false);
    view->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    EXPECT_EQ(Info().CurrentElement(), nullptr);
}

TEST_F(InfoTest, ClosingAWindowForgetsWhatTheDialogHeldOfIt) {
    TProtoNeuronio* n = Add(TTool::Neuron, 100, 100);
    ShowInfo(n);
    TMDIChild& first = Child();
    main->FileNewItemClick();
    TProtoNeuronio* m = Add(TTool::Neuron, 100, 100);
    ShowInfo(m);
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    first.SetModified(false);
    first.parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_EQ(Tree().topLevelItem(0)->text(0), "0");
    EXPECT_EQ(Info().CurrentElement(), m);
}

} // namespace
} // namespace veltra
