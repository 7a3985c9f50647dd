// The strip under the Execution Browser's list: the step counter, Run N, Step Back and Go to
// Step (byte for byte), edits cutting the history short, and Stop When with its report.
#include "runbrowser_fixture.h"
#include "ui/dialogs/plotwindow.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runsteering.h"
#include "ui/dialogs/stopwhen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <sstream>

namespace veltra::runview_test {
namespace {

class RunSteeringTest : public RunViewTest {
protected:
    TFormRunBrowser& Browser() { return *Find<TFormRunBrowser>("FormRunBrowser"); }
    void Press(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
    QString Label(const char* name) { return Find<QLabel>(name)->text(); }
    void ShowBrowser() {
        Find<QAction>("Execution1")->trigger();
        ASSERT_TRUE(Browser().isVisible());
    }
    std::string Saved() {
        std::ostringstream out;
        main->ActiveChild()->Document().Save(out);
        return out.str();
    }
    // Answers the next Go to Step dialog with `step`.
    void AnswerGoTo(int step) {
        prompter->answers.push_back([step](QDialog& dialog) {
            auto* spin = dialog.findChild<QSpinBox*>(QStringLiteral("SpinGoTo"));
            spin->setValue(step);
            return spin->value() == step ? QDialog::Accepted : QDialog::Rejected;
        });
    }
    // Answers the next Stop When dialog by adding (element, op, value) conditions.
    void AnswerStopWhen(std::vector<std::tuple<int, QString, QString>> add, bool repeats) {
        prompter->answers.push_back([add, repeats](QDialog& dialog) {
            for (const auto& [element, op, value] : add) {
                dialog.findChild<QComboBox*>(QStringLiteral("ComboElement"))
                    ->setCurrentIndex(element);
                dialog.findChild<QComboBox*>(QStringLiteral("ComboOp"))->setCurrentText(op);
                dialog.findChild<QLineEdit*>(QStringLiteral("EditValue"))->setText(value);
                QTest::mouseClick(
                    dialog.findChild<QPushButton*>(QStringLiteral("ButtonAddCondition")),
                    Qt::LeftButton);
            }
            dialog.findChild<QCheckBox*>(QStringLiteral("CheckStateRepeats"))->setChecked(repeats);
            return QDialog::Accepted;
        });
    }
};

TEST_F(RunSteeringTest, StepBackAndGoToGiveTheSameBytesAndRowsAsTheFirstPass) {
    Open(ExamplePath("stack.net"));
    ShowBrowser();
    EXPECT_EQ(Label("LabelStep"), "Step 0");
    std::vector<std::string> bytes{Saved()}, rows{RowsText(Browser().RunView())};
    for (int i = 0; i < 12; ++i) {
        Press("step");
        bytes.push_back(Saved());
        rows.push_back(RowsText(Browser().RunView()));
    }
    EXPECT_EQ(Label("LabelStep"), "Step 12");
    for (int i = 0; i < 5; ++i)
        Press("ButtonStepBack");
    EXPECT_EQ(Label("LabelStep"), "Step 7");
    EXPECT_EQ(Saved(), bytes[7]);
    EXPECT_EQ(RowsText(Browser().RunView()), rows[7]);
    for (const int target : {12, 0, 9, 3}) {
        AnswerGoTo(target);
        Press("ButtonGoTo");
        EXPECT_EQ(Label("LabelStep"), QStringLiteral("Step %1").arg(target));
        EXPECT_EQ(Saved(), bytes[static_cast<std::size_t>(target)]) << target;
        EXPECT_EQ(RowsText(Browser().RunView()), rows[static_cast<std::size_t>(target)]);
    }
    // Forward again by Step: the same steps as the first time.
    Press("step");
    EXPECT_EQ(Saved(), bytes[4]);

    // An edit at step 4 discards the steps after it (and replaying those before it).
    main->ActiveChild()->SetModified(true);
    prompter->answers.push_back([](QDialog& dialog) {
        auto* spin = dialog.findChild<QSpinBox*>(QStringLiteral("SpinGoTo"));
        EXPECT_EQ(spin->minimum(), 4);
        EXPECT_EQ(spin->maximum(), 4);
        return QDialog::Rejected;
    });
    Press("ButtonGoTo");
    EXPECT_EQ(prompter->answers.size(), 0u);
    Press("ButtonReset");
    EXPECT_EQ(Label("LabelStep"), "Step 0");
}

TEST_F(RunSteeringTest, RunNStepsStopsAfterNAndShowsTheRate) {
    Open(DataPath("run/bias_loop.net")); // never finishes
    ShowBrowser();
    Find<QSpinBox>("SpinRunSteps")->setValue(7);
    EXPECT_EQ(Find<QPushButton>("ButtonRunSteps")->text(), "Run 7");
    Press("ButtonRunSteps");
    EXPECT_EQ(Label("LabelStep"), "Step 7");
    EXPECT_FALSE(Browser().Running());
    EXPECT_FALSE(Find<QPushButton>("ButtonStop")->isEnabled());
    Press("ButtonRunSteps");
    EXPECT_EQ(Label("LabelStep"), "Step 14");
    EXPECT_TRUE(Label("LabelRate").endsWith(" steps/s")) << Label("LabelRate").toStdString();
}

TEST_F(RunSteeringTest, StopWhenEndsTheRunAtTheStepThatMeetsItAndHighlightsTheRow) {
    Open(DataPath("run/halving.net")); // N: 0.25, 0.375, 0.4375, 0.46875, ...
    ShowBrowser();
    // A value that is not a number is refused in the dialog, which stays open.
    prompter->answers.push_back([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("EditValue"))->setText("0.3x");
        EXPECT_FALSE(static_cast<TStopWhenDialog&>(dialog).AddClick());
        EXPECT_FALSE(
            dialog.findChild<QLabel*>(QStringLiteral("LabelConditionError"))->text().isEmpty());
        return QDialog::Rejected;
    });
    Press("ButtonStopWhen");
    AnswerStopWhen({{0, ">=", "0.46875"}, {1, "ends in", "xxxxxxxxxx"}}, false);
    Press("ButtonStopWhen");
    Press("ButtonRun");
    EXPECT_EQ(Label("LabelStep"), "Step 3");
    EXPECT_EQ(Label("LabelStopReport"), "Stopped at step 3: N >= 0.46875");
    const auto selected = Browser().RunView().selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 0);
    // Run again: the value still holds after the next step; the pattern later.
    Press("ButtonRun");
    EXPECT_EQ(Label("LabelStep"), "Step 4");
    EXPECT_EQ(Label("LabelStopReport"), "Stopped at step 4: N >= 0.46875");
}

TEST_F(RunSteeringTest, StateRepeatsReportsWhereTheCycleStartsAndShowsItsFirstRepeat) {
    Open(DataPath("run/ring4.net"));
    ShowBrowser();
    AnswerStopWhen({}, true);
    Press("ButtonStopWhen");
    Press("ButtonRun");
    EXPECT_EQ(Label("LabelStopReport"), "State after step 2 repeats every 4 steps");
    EXPECT_EQ(Label("LabelStep"), "Step 6");
    const std::string shown = Saved();
    std::ostringstream plain;
    {
        // The net as six plain steps leave it, output history included.
        TMDIChild& other = Open(DataPath("run/ring4.net"));
        for (int i = 0; i < 6; ++i)
            other.Document().Step();
        other.Document().Save(plain);
        other.SetModified(false);
        other.parentWidget()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(shown, plain.str());
}

// A run begun inside the cycle (after three single steps) counts the cycle's start from the
// net's own steps, as the command-line tool does from the file: it finds step 2, not 3.
TEST_F(RunSteeringTest, ACycleStartIsCountedFromTheNetsStepsNotFromWhereRunBegan) {
    Open(DataPath("run/ring4.net"));
    ShowBrowser();
    for (int i = 0; i < 3; ++i)
        Press("step");
    AnswerStopWhen({}, true);
    Press("ButtonStopWhen");
    Press("ButtonRun");
    EXPECT_EQ(Label("LabelStopReport"), "State after step 2 repeats every 4 steps");
    EXPECT_EQ(Label("LabelStep"), "Step 6");
}

// "Element=Value" of the watched elements of a net, read from the net itself.
std::string WatchedText(TMDIChild& window) {
    std::string text;
    for (const auto& e : window.Document().Elements())
        if (IsWatched(*e)) text += (text.empty() ? "" : "|") + e->Label() + "=" + e->ValueText();
    return text;
}

TEST_F(RunSteeringTest, TheBrowserStopWhenThePlotAndTheRateFollowTheActiveWindow) {
    TMDIChild& looping = Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    Find<QAction>("Plot1")->trigger();
    TPlotWindow& plot = Browser().Steering().Plot();
    const auto plotted = [&plot] {
        std::string labels;
        for (const TPlotSeries& series : plot.View().Data().Series())
            labels += series.Label() + ";";
        return labels;
    };
    Find<QSpinBox>("SpinRunSteps")->setValue(5);
    Press("ButtonRunSteps");
    EXPECT_EQ(Label("LabelStep"), "Step 5");
    EXPECT_FALSE(Label("LabelRate").isEmpty());
    EXPECT_EQ(plotted(), "N;");

    // Another net becomes active without a step: everything shows it.
    TMDIChild& stack = Open(ExamplePath("stack.net"));
    ASSERT_NE(WatchedText(stack), WatchedText(looping));
    EXPECT_EQ(RowsText(Browser().RunView()), WatchedText(stack));
    EXPECT_EQ(Label("LabelStep"), "Step 0");
    EXPECT_TRUE(Label("LabelRate").isEmpty());
    std::string stackLabels;
    for (const auto& e : stack.Document().Elements())
        if (IsWatched(*e)) stackLabels += e->Label() + ";";
    EXPECT_EQ(plotted(), stackLabels);
    QStringList offered;
    prompter->answers.push_back([&offered](QDialog& dialog) {
        auto* elements = dialog.findChild<QComboBox*>(QStringLiteral("ComboElement"));
        for (int i = 0; i < elements->count(); ++i)
            offered << elements->itemText(i);
        return QDialog::Rejected;
    });
    Press("ButtonStopWhen");
    EXPECT_EQ((offered.join(";") + ";").toStdString(), stackLabels);

    // Each net keeps its own conditions.
    AnswerStopWhen({{0, ">", "0"}}, false);
    Press("ButtonStopWhen");
    auto* area = Find<QMdiArea>("ClientArea");
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(looping.parentWidget()));
    QApplication::processEvents();
    EXPECT_EQ(RowsText(Browser().RunView()), WatchedText(looping));
    EXPECT_EQ(Label("LabelStep"), "Step 5");
    EXPECT_EQ(plotted(), "N;");
    EXPECT_TRUE(Browser().Control().Conditions().Empty());

    // Closing the active window shows the one that becomes active; closing the last shows
    // nothing.
    looping.SetModified(false);
    looping.parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(main->ActiveChild(), &stack);
    EXPECT_EQ(RowsText(Browser().RunView()), WatchedText(stack));
    EXPECT_EQ(Browser().Control().Conditions().Items().size(), 1u);
    CloseAllWindows();
    QApplication::processEvents();
    EXPECT_EQ(RowsText(Browser().RunView()), "");
    EXPECT_EQ(Label("LabelStep"), "Step 0");
    EXPECT_EQ(plotted(), "");
}

TEST_F(RunSteeringTest, GoingBackOrResettingForgetsTheLastRunsRate) {
    Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    for (const char* back : {"ButtonStepBack", "ButtonReset"}) {
        Find<QSpinBox>("SpinRunSteps")->setValue(4);
        Press("ButtonRunSteps");
        EXPECT_FALSE(Label("LabelRate").isEmpty()) << back;
        Press(back);
        EXPECT_TRUE(Label("LabelRate").isEmpty()) << back;
    }
}

} // namespace
} // namespace veltra::runview_test
