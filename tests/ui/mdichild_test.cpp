#include "appfixture.h"
#include "model/dados.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "ui/hint.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <algorithm>

namespace veltra {
namespace {

using DrawingTest = AppTest;

TEST_F(DrawingTest, PlacingCentresTheGlyphAndCountsLabels) {
    Click(100, 50);
    EXPECT_EQ(prompter->messages, QStringList{"Choose something!"});
    TProtoNeuronio* n = Place(TTool::Neuron, 100, 50);
    EXPECT_EQ(Status(), "[91,40,110,60]");
    EXPECT_EQ(n->Label(), "0");
    EXPECT_TRUE(main->WeightBox()->hasFocus());
    const struct {
        TTool tool;
        TGlyphKind kind;
    } kinds[] = {{TTool::Bias, TGlyphKind::Bias},
                 {TTool::Input, TGlyphKind::Input},
                 {TTool::Output, TGlyphKind::Output},
                 {TTool::Module, TGlyphKind::Module}};
    int label = 1;
    for (const auto& k : kinds) {
        Tool(k.tool);
        Click(300, 200);
        TProtoNeuronio* e = nullptr;
        for (const auto& candidate : List())
            if (candidate->Label() == std::to_string(label)) e = candidate.get();
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Kind(), k.kind);
        EXPECT_EQ(e->Centre(), (TPoint{300, 200}));
        ++label;
    }
    // Elements may go past the window's edge; nothing checks bounds or overlap.
    EXPECT_EQ(Place(TTool::Neuron, 2, 3)->GetPosition(), (TPoint{-7, -7}));
}

TEST_F(DrawingTest, MissingTargetsGiveTheirMessages) {
    for (TTool tool : {TTool::Synapse, TTool::Info, TTool::Move, TTool::Erase}) {
        Tool(tool);
        Click(400, 300);
    }
    EXPECT_EQ(prompter->messages, (QStringList{"Nobody home....", "Nobody home...",
                                               "Nobody home...", "Nobody home..."}));
    // The glyph box edge is no hit.
    Place(TTool::Neuron, 100, 50);
    Tool(TTool::Move);
    Click(91, 45);
    EXPECT_EQ(prompter->messages.back(), "Nobody home...");
}

TEST_F(DrawingTest, SynapsesTakeTheirWeightsAndRefuseWhatTheModelRefuses) {
    TProtoNeuronio* a = Place(TTool::Neuron, 100, 100);
    TProtoNeuronio* out = Place(TTool::Output, 300, 100);
    TProtoNeuronio* b = Place(TTool::Neuron, 100, 250);
    TProtoNeuronio* bias = Place(TTool::Bias, 300, 250);
    Tool(TTool::Synapse);
    EXPECT_TRUE(main->WeightBox()->hasFocus());

    main->WeightBox()->setText("0.5");
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, {100, 100});
    QTest::mouseMove(&Ecra(), {150, 170});
    EXPECT_EQ(Status(), "Synapse: 150:170state:2");
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, {100, 250});
    ASSERT_EQ(a->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(a->OutgoingSynapses().Item(0)->Weight().ToText(), "0.5");
    EXPECT_TRUE(Status().startsWith("FindEdge: "));
    EXPECT_EQ(main->WeightBox()->text(), "0.5"); // survives clicks in the drawing

    Drag({100, 100}, {300, 100}); // into an output: weight 1 whatever the box says
    ASSERT_EQ(a->OutgoingSynapses().Count(), 2);
    EXPECT_EQ(a->OutgoingSynapses().Item(1)->Weight().ToText(), "1");
    EXPECT_EQ(out->IncomingSynapses().Count(), 1);

    main->WeightBox()->clear(); // empty box: 0.0
    Drag({100, 250}, {100, 100});
    ASSERT_EQ(b->OutgoingSynapses().Count(), 1);
    EXPECT_TRUE(b->OutgoingSynapses().Item(0)->Weight().IsZero());

    Drag({300, 250}, {300, 250}); // bias onto itself: nothing
    Drag({100, 250}, {500, 400}); // onto empty space: nothing
    EXPECT_EQ(bias->OutgoingSynapses().Count(), 0);
    EXPECT_EQ(b->OutgoingSynapses().Count(), 1);

    Drag({97, 95}, {100, 92}); // neuron onto itself: a loop kept where it was pressed
    ASSERT_EQ(a->OutgoingSynapses().Count(), 3);
    TSinapse* loop = a->OutgoingSynapses().Item(2);
    EXPECT_TRUE(loop->IsSelfLoop());
    EXPECT_TRUE(static_cast<TNeuronio*>(a)->Loop());
    EXPECT_EQ(loop->EndPoint(), (TPoint{97, 95}));
    EXPECT_EQ(Child().Document().dragState, TDragState::None);
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(DrawingTest, AWeightThatIsNotANumberIsReportedAndEndsTheGesture) {
    TProtoNeuronio* a = Place(TTool::Neuron, 100, 100);
    Place(TTool::Neuron, 250, 100);
    Tool(TTool::Synapse);
    main->WeightBox()->setText("abc");
    Drag({100, 100}, {250, 100});
    ASSERT_EQ(prompter->messages.size(), 1);
    EXPECT_EQ(prompter->messages[0], "'abc' is not a valid floating point value");
    EXPECT_EQ(a->OutgoingSynapses().Count(), 0);
    EXPECT_EQ(Child().Document().dragState, TDragState::None);
    EXPECT_EQ(Child().Document().pendingSynapse, nullptr);
    // The window goes on working.
    main->WeightBox()->setText("2");
    Drag({100, 100}, {250, 100});
    EXPECT_EQ(a->OutgoingSynapses().Count(), 1);
}

TEST_F(DrawingTest, MovingFollowsTheMouseAndBringsToFront) {
    TProtoNeuronio* first = Place(TTool::Neuron, 100, 100);
    Place(TTool::Neuron, 200, 100);
    TProtoNeuronio* out = Place(TTool::Output, 300, 100);
    Tool(TTool::Synapse);
    Drag({100, 100}, {200, 100});
    Tool(TTool::Move);
    QTest::mousePress(&Ecra(), Qt::LeftButton, Qt::NoModifier, {95, 95});
    EXPECT_EQ(Status(), "[91,90,110,110]");
    EXPECT_EQ(List().IndexOf(first), 1); // after every other non-output, before the output
    EXPECT_EQ(List().IndexOf(out), 2);
    QTest::mouseMove(&Ecra(), {150, 220});
    EXPECT_EQ(Status(), "MouseMove (neuron):[150:220]");
    EXPECT_EQ(first->Centre(), (TPoint{150, 220}));
    EXPECT_EQ(first->OutgoingSynapses().Item(0)->StartPoint(), (TPoint{150, 220}));
    QTest::mouseRelease(&Ecra(), Qt::LeftButton, Qt::NoModifier, {150, 220});
    EXPECT_EQ(Child().Document().dragState, TDragState::None);
    QTest::mouseMove(&Ecra(), {160, 230});
    EXPECT_EQ(first->Centre(), (TPoint{150, 220})); // released: no longer follows
}

TEST_F(DrawingTest, EraseAsksAtTheElementAndRemovesItsSynapses) {
    TProtoNeuronio* a = Place(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Place(TTool::Neuron, 250, 100);
    Tool(TTool::Synapse);
    Drag({100, 100}, {250, 100});
    Drag({250, 100}, {100, 100});
    Drag({250, 100}, {250, 95});
    Tool(TTool::Erase);
    prompter->confirmAnswers.push_back(false);
    Click(250, 100);
    EXPECT_EQ(prompter->confirmations, QStringList{"Erase?"});
    EXPECT_EQ(prompter->confirmPlaces.back(), Ecra().mapToGlobal(QPoint(241, 90)));
    EXPECT_EQ(List().Count(), 2);

    prompter->confirmAnswers.push_back(true);
    Click(250, 100);
    ASSERT_EQ(List().Count(), 1);
    EXPECT_EQ(List().Item(0), a);
    EXPECT_TRUE(a->OutgoingSynapses().Empty());
    EXPECT_TRUE(a->IncomingSynapses().Empty());
    (void)b;
}

TEST_F(DrawingTest, PopupsFollowWhatIsUnderTheMouse) {
    Place(TTool::Neuron, 100, 100);
    Place(TTool::Module, 250, 100);
    auto loadItem = [&] { return Child().findChild<QAction*>("PopupMenuProtoNeuronioLoad"); };
    Click(250, 100, Qt::RightButton);
    EXPECT_TRUE(Child().ElementPopup()->isVisible());
    EXPECT_TRUE(loadItem()->isVisible());
    Child().ElementPopup()->hide();
    Click(100, 100, Qt::RightButton);
    EXPECT_FALSE(loadItem()->isVisible());
    Child().ElementPopup()->hide();
    Click(400, 300, Qt::RightButton);
    EXPECT_TRUE(Child().DrawingPopup()->isVisible());
    // Choosing Synapse there presses the palette button and focuses the weight box.
    Child().findChild<QAction*>("PopupMenuDesenhoSynapse")->trigger();
    Child().DrawingPopup()->hide();
    EXPECT_EQ(main->Toolbar().CurrentTool(), TTool::Synapse);
    EXPECT_TRUE(main->Toolbar().Button(TTool::Synapse)->isChecked());
    EXPECT_TRUE(Child().findChild<QAction*>("PopupMenuDesenhoSynapse")->isChecked());
    EXPECT_TRUE(main->WeightBox()->hasFocus());
    // The element pop-up's Erase acts on the element that was under the right press.
    prompter->confirmAnswers.push_back(true);
    Click(100, 100, Qt::RightButton);
    Child().findChild<QAction*>("PopupMenuProtoNeuronioErase")->trigger();
    EXPECT_EQ(List().Count(), 1);
}

TEST_F(DrawingTest, PopupsAndPaletteListTheirItemsInOrder) {
    QStringList drawing;
    for (QAction* a : Child().DrawingPopup()->actions())
        drawing << (a->isSeparator() ? "-" : a->objectName() + "|" + a->text());
    EXPECT_EQ(drawing,
              (QStringList{"PopupMenuDesenhoInfo|&Info", "PopupMenuDesenhoMove|Mo&ve",
                           "PopupMenuDesenhoNeuron|&Neuron", "PopupMenuDesenhoSynapse|&Synapse",
                           "PopupMenuDesenhoPendor|&Bias", "PopupMenuDesenhoInput|&Input",
                           "PopupMenuDesenhoOutput|&Output", "PopupMenuDesenhoModule|&Module",
                           "PopupMenuDesenhoErase|&Erase", "-", "Cancel1|Cancel"}));
    QStringList element;
    for (QAction* a : Child().ElementPopup()->actions())
        element << a->objectName() + "|" + a->text();
    EXPECT_EQ(element,
              (QStringList{"PopupMenuProtoNeuronioinfo|&Info", "PopupMenuProtoNeuronioErase|&Erase",
                           "PopupMenuProtoNeuronioLoad|&Load"}));

    TToolbar& palette = main->Toolbar();
    EXPECT_EQ(palette.windowTitle(), "Action Menu");
    EXPECT_TRUE(palette.windowFlags() & Qt::WindowStaysOnTopHint);
    QList<QAbstractButton*> buttons = palette.findChildren<QAbstractButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapTo(a->window(), QPoint()).x() < b->mapTo(b->window(), QPoint()).x();
    });
    QStringList names;
    for (QAbstractButton* b : buttons) {
        names << b->objectName();
        EXPECT_EQ(b->height(), 45) << b->objectName().toStdString();
        EXPECT_FALSE(b->isChecked()) << "no tool is chosen at start";
    }
    EXPECT_EQ(names,
              (QStringList{"SpeedInfo", "SpeedMover", "SpeedNeuronio", "SpeedSinapse",
                           "SpeedPendor", "SpeedIn", "SpeedOut", "SpeedModule", "SpeedErase"}));
}

TEST_F(DrawingTest, PaletteMarksOnlyTheFirstWindowsPopup) {
    TMDIChild& first = Child();
    main->FileNewItemClick();
    TMDIChild& second = Child();
    Tool(TTool::Neuron);
    EXPECT_TRUE(first.findChild<QAction*>("PopupMenuDesenhoNeuron")->isChecked());
    EXPECT_FALSE(second.findChild<QAction*>("PopupMenuDesenhoNeuron")->isChecked());
    first.findChild<QAction*>("PopupMenuDesenhoMove")->setChecked(true);
    Tool(TTool::Neuron); // same tool again: nothing happens
    EXPECT_TRUE(first.findChild<QAction*>("PopupMenuDesenhoMove")->isChecked());
    // Once the first window is closed nothing refers to it.
    first.parentWidget()->close();
    QApplication::processEvents();
    EXPECT_EQ(main->FirstChild(), nullptr);
    Tool(TTool::Bias);
    EXPECT_EQ(main->Toolbar().CurrentTool(), TTool::Bias);
}

TEST_F(DrawingTest, DoubleClickOpensTheModulesInnerNetForEditing) {
    auto* module = static_cast<TModule*>(Place(TTool::Module, 200, 150));
    module->SetLabel("adder");
    TMDIChild& outer = Child();
    outer.SetModified(false);
    Tool(TTool::Info);
    QTest::mouseDClick(&Ecra(), Qt::LeftButton, Qt::NoModifier, {200, 150});
    EXPECT_TRUE(prompter->messages.contains("Internal: double click on module"));
    ASSERT_EQ(main->ChildCount(), 2);
    EXPECT_EQ(Child().Caption(), "adder");
    Place(TTool::Neuron, 60, 60);
    ASSERT_EQ(module->InnerNet().Count(), 1);
    EXPECT_EQ(module->InnerNet().Item(0), List().Item(0));
    Tool(TTool::Move);
    Drag({60, 60}, {90, 80});
    EXPECT_EQ(module->InnerNet().Item(0)->Centre(), (TPoint{90, 80}));
    // The edit belongs to the net holding the module: that window is now modified, and
    // closing the inner view asks nothing.
    EXPECT_TRUE(outer.Modified());
    Child().parentWidget()->close();
    QApplication::processEvents();
    EXPECT_TRUE(prompter->saveQuestions.isEmpty());
}

TEST_F(DrawingTest, HoverHintShowsAndIsForgottenBeforeErase) {
    auto* bias = Place(TTool::Bias, 100, 100);
    Tool(TTool::Erase);
    QTest::mouseMove(&Ecra(), {100, 100});
    EXPECT_TRUE(Child().Timer1().isActive());
    Child().Timer1Timer();
    ASSERT_TRUE(Child().HintActive());
    ASSERT_NE(Child().HintWindow(), nullptr);
    EXPECT_EQ(Child().HintWindow()->text(), "Label:0  Value=1");
    EXPECT_TRUE(bias->HintShown());
    EXPECT_FALSE(Child().Timer1().isActive());
    Child().Timer1Timer(); // no second hint while one is shown
    EXPECT_TRUE(Child().HintActive());
    // A key hides it at once.
    Child().FormKeyDown();
    EXPECT_FALSE(Child().HintActive());
    EXPECT_EQ(Child().HintWindow(), nullptr);
    EXPECT_FALSE(bias->HintShown());

    // Activating another drawing window hides it too.
    QTest::mouseMove(&Ecra(), {101, 100});
    EXPECT_TRUE(Child().Timer1().isActive());
    Child().Timer1Timer();
    ASSERT_TRUE(Child().HintActive());
    TMDIChild& hinted = Child();
    main->FileNewItemClick();
    EXPECT_FALSE(hinted.HintActive());
    EXPECT_FALSE(bias->HintShown());
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(hinted.parentWidget()));

    // Shown again elsewhere, then erased: the window lets go before the release.
    auto* module = Place(TTool::Module, 250, 100);
    module->SetLabel("m");
    Tool(TTool::Erase);
    QTest::mouseMove(&Ecra(), {250, 101});
    Child().Timer1Timer();
    EXPECT_EQ(Child().HintWindow()->text(), "Label:m");
    prompter->confirmAnswers.push_back(true);
    Click(250, 101);
    EXPECT_EQ(Child().HintElement(), nullptr);
    EXPECT_EQ(Child().HintWindow(), nullptr);
    Child().Timer2Timer(); // must not touch the released element
    EXPECT_EQ(List().Count(), 1);
}

} // namespace
} // namespace veltra
