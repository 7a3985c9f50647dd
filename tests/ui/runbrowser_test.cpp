#include "model/inputs.h"
#include "model/protoneuronio.h"
#include "numeric/infinito.h"
#include "runbrowser_fixture.h"
#include "ui/dialogs/hinttext.h"
#include "ui/dialogs/longtextview.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runlist.h"
#include "ui/dialogs/runviewmodel.h"
#include "ui/dialogs/stepworker.h"
#include "ui/editstack.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <sstream>
#include <utility>

namespace veltra::runview_test {
namespace {

class RunBrowserTest : public RunViewTest {
protected:
    TFormRunBrowser& Browser() { return *Find<TFormRunBrowser>("FormRunBrowser"); }
    QTreeView& View() { return Browser().RunView(); }
    QPushButton& Button(const char* name) { return *Find<QPushButton>(name); }
    void Press(const char* name) { QTest::mouseClick(&Button(name), Qt::LeftButton); }
    void ShowBrowser() {
        Find<QAction>("Execution1")->trigger();
        ASSERT_TRUE(Browser().isVisible());
    }
    void TearDown() override {
        TFormRunBrowser::PassSliceMs = TFormRunBrowser::DefaultPassSliceMs;
        RunViewTest::TearDown();
    }
    // Calls `atPass` with the pass number (1, 2, ...) at every pass of the runs that follow,
    // before that pass's step: a zero timer fires once per pass through the event loop, which
    // the runs then make after every step.
    void EveryPass(std::function<void(int)> atPass) {
        TFormRunBrowser::PassSliceMs = 0;
        auto* timer = new QTimer(main.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer,
                         [atPass = std::move(atPass), n = 0]() mutable { atPass(++n); });
        timer->start();
    }
};

TEST_F(RunBrowserTest, WorkedExampleRunsFourStepsShowingEveryRow) {
    Open(ExamplePath("worked.net"));
    ShowBrowser();
    EXPECT_EQ(RowsText(View()), "In=0110|N=0|Out=");
    ASSERT_EQ(View().model()->columnCount(), 2);
    EXPECT_EQ(View().model()->headerData(0, Qt::Horizontal).toString(), "Element");
    EXPECT_EQ(View().model()->headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(View().columnWidth(0), 100);
    EXPECT_FALSE(View().model()->index(0, 0).data(Qt::DecorationRole).isNull());

    std::vector<std::string> seen;
    EveryPass([&](int) { seen.push_back(RowsText(View())); });
    Press("ButtonRun");
    seen.push_back(RowsText(View()));
    // The first pass shows the rows before any step; each later one those of the step before.
    const std::vector<std::string> expected{"In=0110|N=0|Out=", "In=110|N=0|Out=0",
                                            "In=10|N=1|Out=01", "In=0|N=1|Out=011",
                                            "In=|N=0|Out=0110"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Browser().Control().StepCount(), 4);
    EXPECT_FALSE(Browser().Running());
    EXPECT_FALSE(Button("ButtonStop").isEnabled());

    // A finished net is not stepped by Run, but Step (and Escape, the cancel key) still step it.
    Press("ButtonRun");
    EXPECT_EQ(Browser().Control().StepCount(), 4);
    Press("step");
    EXPECT_EQ(RowsText(View()), "In=|N=0|Out=01100");
    QTest::keyClick(&Browser(), Qt::Key_Escape);
    EXPECT_EQ(RowsText(View()), "In=|N=0|Out=011000");
    EXPECT_TRUE(Browser().isVisible()) << "Escape steps instead of closing";

    // Reset: neurons to 0, histories emptied, inputs keep what is left.
    Press("ButtonReset");
    EXPECT_EQ(RowsText(View()), "In=|N=0|Out=");
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join(", ").toStdString();
}

TEST_F(RunBrowserTest, StopLetsExactlyOneMoreStepHappen) {
    Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    long long stepsAtPress = -1;
    EveryPass([&](int pass) {
        EXPECT_TRUE(Button("ButtonStop").isEnabled()) << "Stop is enabled while running";
        if (pass == 5) {
            stepsAtPress = Browser().Control().StepCount();
            Press("ButtonStop");
            EXPECT_FALSE(Button("ButtonStop").isEnabled());
        }
    });
    Press("ButtonRun");
    EXPECT_EQ(stepsAtPress, 4);
    EXPECT_EQ(Browser().Control().StepCount(), stepsAtPress + 1);
    EXPECT_FALSE(Browser().Running());
    EXPECT_EQ(RowsText(View()), "N=1");
}

TEST_F(RunBrowserTest, ARunUpdatesTheRowsInPlaceAndShowsTheLastOnesWhenItEnds) {
    Open(ExamplePath("worked.net"));
    ShowBrowser();
    SelectRow(View(), 1);
    int resets = 0, changes = 0;
    QObject::connect(View().model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(View().model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    Press("ButtonRun");
    EXPECT_EQ(resets, 0) << "the same elements are listed: no rebuild";
    EXPECT_GE(changes, 1);
    EXPECT_TRUE(View().updatesEnabled());
    ASSERT_EQ(View().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(View().selectionModel()->selectedRows()[0].row(), 1) << "the selection survives";
    EXPECT_EQ(RowsText(View()), "In=|N=0|Out=0110");

    // Another element watched: the rows are rebuilt.
    View().clearSelection();
    SelectRow(View(), 0);
    Press("ButtonRemove");
    Press("step");
    EXPECT_EQ(RowsText(View()), "N=0|Out=01100");
}

TEST_F(RunBrowserTest, ClosingTheRunningWindowEndsTheRunWithoutSteppingIt) {
    TMDIChild& running = Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    QPointer<TMDIChild> watch(&running);
    long long stepsAtClose = -1;
    EveryPass([&](int pass) {
        if (pass == 3 && watch) {
            stepsAtClose = Browser().Control().StepCount();
            watch->SetModified(false);
            watch->parentWidget()->close();
        }
        if (pass > 50) Press("ButtonStop"); // a run that did not notice would go on
    });
    Press("ButtonRun");
    EXPECT_EQ(stepsAtClose, 2);
    EXPECT_EQ(Browser().Control().StepCount(), stepsAtClose);
    EXPECT_FALSE(Browser().Running());
    EXPECT_FALSE(Button("ButtonStop").isEnabled());
}

TEST_F(RunBrowserTest, SwitchingWindowsDuringARunShowsTheOtherNetWhileTheFirstKeepsStepping) {
    TMDIChild& first = Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    std::string shownAfterSwitch;
    long long atSwitch = -1;
    EveryPass([&](int pass) {
        if (pass == 3) {
            atSwitch = Browser().Control().StepCount();
            Open(ExamplePath("worked.net"));
        }
        if (pass == 6) {
            shownAfterSwitch = RowsText(View());
            Press("ButtonStop");
        }
    });
    Press("ButtonRun");
    // A pass of a loaded machine's event loop may come before its step is done: count steps
    // taken since the switch, not passes.
    EXPECT_GT(Browser().Control().StepCount(), atSwitch)
        << "the first net kept stepping after the switch";
    EXPECT_EQ(shownAfterSwitch, "In=0110|N=0|Out=") << "the worked net itself was not stepped";
    EXPECT_EQ(first.Document().Elements().Item(1)->ValueText(), "1");
}

TEST_F(RunBrowserTest, RowsOfANetGoWhenItsWindowClosesWhicheverWindowIsActive) {
    TMDIChild& shown = Open(ExamplePath("worked.net"));
    ShowBrowser();
    ASSERT_EQ(RowsText(View()), "In=0110|N=0|Out=");
    TMDIChild& other = Open(DataPath("run/bias_loop.net"));
    ASSERT_EQ(main->ActiveChild(), &other);
    shown.SetModified(false);
    shown.parentWidget()->close();
    // The rows are the active net's, not those of the net that went, nor none.
    EXPECT_EQ(RowsText(View()), "N=1");
    ASSERT_EQ(Browser().Control().Rows().size(), 1u);
    EXPECT_EQ(Browser().Control().Rows().front().element, other.Document().Elements().Item(1));
    Press("step"); // the browser goes on with the net that is left
    EXPECT_EQ(Browser().Control().StepCount(), 1);
}

TEST_F(RunBrowserTest, RemHidesTheSelectedElementAndAddOffersExactlyTheHiddenOnes) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    ShowBrowser();
    Press("ButtonRemove"); // nothing selected: nothing happens
    EXPECT_EQ(RowsText(View()), "In=0110|N=0|Out=");

    SelectRow(View(), 2);
    SelectRow(View(), 1); // the first selected row in list order is the one removed
    Press("ButtonRemove");
    EXPECT_EQ(RowsText(View()), "In=0110|Out=");
    EXPECT_FALSE(child.Document().Elements().Item(2)->Watched());

    QStringList offered;
    prompter->answers.push_back([&](QDialog& dialog) {
        auto& list = *dialog.findChild<QListWidget*>("ListBoxRunList");
        for (int i = 0; i < list.count(); ++i)
            offered << list.item(i)->text();
        list.setCurrentRow(0);
        QTest::mouseClick(dialog.findChild<QPushButton*>("ButtonOK"), Qt::LeftButton);
        return dialog.result();
    });
    Press("ButtonAdd");
    EXPECT_EQ(prompter->dialogs, QStringList{"FormRunList"});
    EXPECT_EQ(offered, QStringList{"N"}) << "the bias is never offered";
    EXPECT_EQ(RowsText(View()), "In=0110|N=0|Out=");
    EXPECT_TRUE(child.Document().Elements().Item(2)->Watched());

    // Cancel leaves everything as it was.
    SelectRow(View(), 0);
    Press("ButtonRemove");
    prompter->answers.push_back([](QDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        return dialog.result();
    });
    Press("ButtonAdd");
    EXPECT_EQ(RowsText(View()), "N=0|Out=");
}

TEST_F(RunBrowserTest, RemAndAddAreEditsThatUndoRestoresToTheSavedBytes) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    std::ostringstream opened;
    ASSERT_TRUE(child.Document().Save(opened));
    ShowBrowser();
    SelectRow(View(), 1);
    Press("ButtonRemove");
    EXPECT_TRUE(child.Modified()); // the file keeps the flag: closing would ask
    EXPECT_EQ(child.UndoStack().undoText(), "Unwatch neuron");

    child.UndoStack().undo();
    QApplication::processEvents();
    std::ostringstream undone;
    ASSERT_TRUE(child.Document().Save(undone));
    EXPECT_EQ(undone.str(), opened.str());
    EXPECT_FALSE(child.Modified());
    EXPECT_EQ(RowsText(View()), "In=0110|N=0|Out="); // the rows follow the undo

    child.UndoStack().redo();
    QApplication::processEvents();
    EXPECT_EQ(RowsText(View()), "In=0110|Out=");
    prompter->answers.push_back([](QDialog& dialog) {
        dialog.findChild<QListWidget*>("ListBoxRunList")->setCurrentRow(0);
        QTest::mouseClick(dialog.findChild<QPushButton*>("ButtonOK"), Qt::LeftButton);
        return dialog.result();
    });
    Press("ButtonAdd");
    EXPECT_EQ(child.UndoStack().undoText(), "Watch neuron");
    EXPECT_EQ(child.UndoStack().count(), 2);
}

TEST_F(RunBrowserTest, RunListWithNothingToOfferRefusesOkAndStaysOpen) {
    Open(ExamplePath("worked.net"));
    ShowBrowser();
    int entries = -1;
    bool hiddenAfterOk = true;
    prompter->answers.push_back([&](QDialog& dialog) {
        dialog.show();
        entries = dialog.findChild<QListWidget*>("ListBoxRunList")->count();
        QTest::mouseClick(dialog.findChild<QPushButton*>("ButtonOK"), Qt::LeftButton);
        hiddenAfterOk = dialog.isHidden();
        QTest::mouseClick(dialog.findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
        return dialog.result();
    });
    Press("ButtonAdd");
    EXPECT_EQ(entries, 0);
    EXPECT_FALSE(hiddenAfterOk);
    EXPECT_EQ(prompter->messages, QStringList{"Please select the IO"});
    EXPECT_EQ(RowsText(View()), "In=0110|N=0|Out=");
    auto* runList = Find<TFormRunList>("FormRunList");
    EXPECT_FALSE(runList->Chosen());
    EXPECT_EQ(runList->ChosenElement(), nullptr);
}

TEST_F(RunBrowserTest, TheFourCommandsKeepCheckMarkButtonAndBrowserInStep) {
    auto* execution1 = Find<QAction>("Execution1");
    auto* button = Find<QToolButton>("execution_bt");
    ASSERT_TRUE(execution1->isCheckable());
    auto state = [&] {
        return std::make_tuple(Browser().isVisible(), execution1->isChecked(), button->isChecked());
    };
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
    execution1->trigger();
    EXPECT_EQ(state(), std::make_tuple(true, true, true));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(state(), std::make_tuple(true, true, true));
    Find<QAction>("Step1")->trigger();
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
    Find<QAction>("Step2")->trigger();
    EXPECT_EQ(state(), std::make_tuple(true, true, true));

    // OK, the close box and Enter in the list all hide it and release both.
    Press("OKBtn");
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
    execution1->trigger();
    Browser().close();
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
    execution1->trigger();
    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_Return);
    EXPECT_EQ(state(), std::make_tuple(false, false, false));
}

TEST_F(RunBrowserTest, ButtonsAndColumnsCarryTheirCaptionsInOrder) {
    // The browser's own column (the strip below the list and dialogs hold their own buttons).
    QList<QPushButton*> buttons =
        Browser().findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) {
        return std::make_pair(a->y(), a->x()) < std::make_pair(b->y(), b->x());
    });
    QStringList captions;
    for (QPushButton* b : buttons)
        captions << b->objectName() + "|" + b->text();
    EXPECT_EQ(captions, (QStringList{"OKBtn|OK", "ButtonRun|&Run", "ButtonStop|&Stop", "step|S&tep",
                                     "ButtonReset|Reset", "ButtonAdd|Add", "ButtonRemove|Rem"}));
    EXPECT_TRUE(Button("OKBtn").isDefault());
    EXPECT_FALSE(Button("ButtonStop").isEnabled());
    const QAbstractItemModel* model = View().model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Element");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(View().selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(RunBrowserTest, LongValuesShowWholeOnHoverAndTheListGrowsWithTheBrowser) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    ShowBrowser();
    const std::string thirds = "0." + std::string(100, '3');
    const std::string huge = "1" + std::string(4999, '0');
    TProtoNeuronio* neuron = nullptr;
    for (const auto& e : child.Document().Elements())
        if (e->Label() == "N") neuron = e.get();
    ASSERT_NE(neuron, nullptr);
    neuron->SetValue(TInfinito(thirds));
    Browser().Refresh();
    const QAbstractItemModel& rows = *View().model();
    EXPECT_FALSE(rows.index(0, 1).data(Qt::ToolTipRole).isValid() &&
                 !rows.index(0, 1).data(Qt::ToolTipRole).toString().isEmpty())
        << "a short value needs no tooltip";
    QString tip = rows.index(1, 1).data(Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.remove('\n'), QString::fromStdString(thirds)) << "whole, in wrapped lines";
    neuron->SetValue(TInfinito(huge));
    Browser().Refresh();
    tip = rows.index(1, 1).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.endsWith("(5,000 digits)")) << tip.right(40).toStdString();
    EXPECT_LT(tip.size(), 2000);

    // Larger: the list takes the room, the buttons keep to the right edge.
    const QRect list = View().geometry();
    const int okRight = Browser().width() - Button("OKBtn").geometry().right();
    Browser().resize(Browser().width() + 200, Browser().height() + 100);
    EXPECT_EQ(View().width(), list.width() + 200);
    EXPECT_EQ(View().height(), list.height() + 100);
    EXPECT_EQ(Browser().width() - Button("OKBtn").geometry().right(), okRight);
    EXPECT_GT(View().columnWidth(1), 150 + 150) << "the value column follows";
}

TEST_F(RunBrowserTest, LongValuesAndSequencesAreListedShortenedAndWholeOnDemand) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    ShowBrowser();
    TProtoNeuronio* neuron = nullptr;
    TInputs* input = nullptr;
    for (const auto& e : child.Document().Elements()) {
        if (e->Label() == "N") neuron = e.get();
        if (e->Label() == "In") input = static_cast<TInputs*>(e.get());
    }
    ASSERT_TRUE(neuron != nullptr && input != nullptr);
    const std::string value = "0." + std::string(1000000, '3');
    std::string sequence;
    for (int i = 0; i < 1000000; ++i)
        sequence += "01";
    neuron->SetValue(TInfinito(value));
    input->SetSequence(sequence);
    Browser().Refresh();
    const QAbstractItemModel& rows = *View().model();
    const QString listedValue =
        QString::fromUtf8("0.33333333333333 \u2026 1,000,001 digits \u2026 3333333333333333");
    EXPECT_EQ(
        rows.index(0, 1).data().toString(),
        QString::fromUtf8("0101010101010101 \u2026 2,000,000 symbols \u2026 0101010101010101"));
    EXPECT_EQ(rows.index(1, 1).data().toString(), listedValue);
    EXPECT_EQ(rows.index(2, 1).data().toString(), "") << "short values stay whole";
    EXPECT_EQ(QString::fromStdString(HintTextFor(*neuron, true, true)),
              "Label:N  Value=" + listedValue);

    // Copy takes the selected rows' values whole, one a line.
    SelectRow(View(), 1);
    SelectRow(View(), 0);
    View().setFocus();
    Find<QAction>("RunViewCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), sequence + "\n" + value);
    // Ctrl+C in the list does the same (the main window's Copy is reachable here too).
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), sequence + "\n" + value);
    // Double-clicked, a value shows whole in a viewer.
    View().doubleClicked(rows.index(1, 1));
    auto* viewer = Browser().findChild<TLongTextView*>("LongTextView");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Text(), value);
    EXPECT_EQ(viewer->window()->windowTitle(), "Value of N");
    viewer->window()->close();
}

TEST_F(RunBrowserTest, ShowingRefreshesFromTheActiveWindow) {
    Open(ExamplePath("worked.net"));
    ShowBrowser();
    Find<QAction>("Execution1")->trigger(); // hide
    Open(DataPath("run/bias_loop.net"));
    Find<QAction>("Execution1")->trigger();
    EXPECT_EQ(RowsText(View()), "N=1");
}

TEST_F(RunBrowserTest, NoWindowOpen) {
    CloseAllWindows();
    ShowBrowser();
    EXPECT_EQ(View().model()->rowCount(), 0);
    Press("step");
    EXPECT_EQ(prompter->messages, QStringList{"You need a net window open to do this."});
    Press("ButtonRun");
    EXPECT_EQ(prompter->messages.size(), 2);
    EXPECT_EQ(prompter->messages.back(), "You need a net window open to do this.");
    EXPECT_TRUE(Button("ButtonStop").isEnabled()) << "Run enables Stop before it looks for a net";
    Press("ButtonStop");
    EXPECT_FALSE(Button("ButtonStop").isEnabled());
    // Reset, Add and Rem have no net to act on and do nothing.
    Press("ButtonReset");
    Press("ButtonAdd");
    Press("ButtonRemove");
    EXPECT_EQ(prompter->messages.size(), 2);
    EXPECT_TRUE(prompter->dialogs.isEmpty());
}

// A bias feeding `count` watched neurons N1, N2, ... with weight i / 100000, each adding its
// own value back (weight 1), so that after t steps Ni holds t * i / 100000 (until 1); an
// unwatched input keeps the net running.
std::string RampNet(const QString& path, int count) {
    std::ostringstream net;
    net << "<TREDE=version 0.4>\n<TProtoLista=" << count + 2 << ">\n"
        << "<TPROTONEURONIO=TPENDOR>\nId:0\nEtiqueta:B\nPosicao:20;20\n"
           "Visible_in_runform:false\nPos_Sinapses:\n<TListaSinapses="
        << count << ">\n";
    for (int i = 1; i <= count; ++i) {
        const std::string digits = std::to_string(i);
        net << "<TSINAPSE>\nValor:0." << std::string(5 - digits.size(), '0') << digits
            << "\nDestino:" << i << "\nvisible:true\n</TSINAPSE>\n";
    }
    net << "</TListaSinapses>\nActividade:1\n</TPROTONEURONIO>\n";
    for (int i = 1; i <= count; ++i)
        net << "<TPROTONEURONIO=TNEURONIO>\nId:" << i << "\nEtiqueta:N" << i
            << "\nPosicao:" << 60 + 40 * (i % 20) << ";" << 60 + 40 * (i / 20)
            << "\nVisible_in_runform:true\nPos_Sinapses:\n<TListaSinapses=1>\n<TSINAPSE>\n"
               "Valor:1\nDestino:"
            << i
            << "\nvisible:true\n</TSINAPSE>\n</TListaSinapses>\nActividade:0\n"
               "FuncaoActivacao:TSacturated_Linear\nloop:true\n</TPROTONEURONIO>\n";
    net << "<TPROTONEURONIO=TINPUT>\nId:" << count + 1
        << "\nEtiqueta:I\nPosicao:20;60\nVisible_in_runform:false\nPos_Sinapses:\n"
           "<TListaSinapses=0>\n</TListaSinapses>\nBinario:"
        << std::string(5000, '0') << "\n</TPROTONEURONIO>\n</TProtoLista>\n</TREDE>\n";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    const std::string text = net.str();
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

// Counts the paints of a widget.
class TPaintCount final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(RunBrowserTest, ARunFormatsOnlyTheRowsItPaintsAndEveryRowIsRightWhenScrolledTo) {
    constexpr int Rows = 80, Steps = 300;
    QTemporaryDir dir;
    TMDIChild& child = Open(RampNet(dir.filePath("ramp.net"), Rows));
    ShowBrowser();
    QApplication::processEvents();
    auto& model = *qobject_cast<TRunViewModel*>(View().model());
    ASSERT_EQ(model.rowCount(), Rows);
    int visible = 0;
    for (int i = 0; i < Rows; ++i)
        visible += View().viewport()->rect().intersects(View().visualRect(model.index(i, 1)));
    ASSERT_GT(visible, 0);
    ASSERT_LT(visible, Rows / 4) << "most rows are out of view";

    TPaintCount counter;
    View().viewport()->installEventFilter(&counter);
    const long long before = model.Formatted();
    Browser().RunLimited(Steps);
    QApplication::processEvents(); // the rows after the last step are painted
    View().viewport()->removeEventFilter(&counter);
    EXPECT_EQ(Browser().Control().StepCount(), Steps);
    // Every text made during the run was made for a paint of the rows in view: no step
    // formatted the values of the rows out of view (the whole list every step: 24,000 texts).
    EXPECT_GT(counter.paints, 0);
    EXPECT_LE(model.Formatted() - before, static_cast<long long>(counter.paints + 1) * visible);

    // Scrolled into view, each row shows its element's value after the last step.
    View().scrollToBottom();
    QApplication::processEvents();
    const auto& elements = child.Document().Elements();
    for (int i = 0; i < Rows; ++i) {
        const TProtoNeuronio* element = elements.Item(i + 1);
        ASSERT_EQ(model.Element(i), element);
        EXPECT_EQ(model.index(i, 1).data().toString().toStdString(), element->ValueText()) << i;
    }
    EXPECT_EQ(model.index(Rows - 1, 0).data().toString(), "N80");
    EXPECT_EQ(model.index(Rows - 1, 1).data().toString(), "0.24"); // 300 * 80 / 100000
    EXPECT_EQ(model.index(9, 1).data().toString(), "0.03");
}

TEST_F(RunBrowserTest, ARunOfQuickStepsStillLetsTheApplicationStopIt) {
    Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    // Steps of a microsecond pass through the event loop once per slice, not once per step;
    // Stop still comes through.
    QTimer::singleShot(30, &Browser(), [this] { Press("ButtonStop"); });
    Press("ButtonRun");
    EXPECT_FALSE(Browser().Running());
    EXPECT_GT(Browser().Control().StepCount(), 100);
    EXPECT_EQ(RowsText(View()), "N=1");
}

// A bias and a neuron whose next step multiplies two numbers of four million digits each:
// seconds of work, so Stop always comes while it computes.
std::string LongStepNet(const QString& path) {
    const std::string digits = "0." + std::string(4000000, '7');
    const std::string text =
        "<TREDE=version 0.4>\r\n<TProtoLista=2>\r\n<TPROTONEURONIO=TPENDOR>\r\nId:0\r\n"
        "Etiqueta:B\r\nPosicao:20;20\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n"
        "<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:" +
        digits +
        "\r\nDestino:1\r\nvisible:true\r\n</TSINAPSE>\r\n</TListaSinapses>\r\nActividade:" +
        digits +
        "\r\n</TPROTONEURONIO>\r\n<TPROTONEURONIO=TNEURONIO>\r\nId:1\r\nEtiqueta:N\r\n"
        "Posicao:100;20\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n<TListaSinapses=0>\r\n"
        "</TListaSinapses>\r\nActividade:0.5\r\nFuncaoActivacao:TSacturated_Linear\r\n"
        "loop:false\r\n</TPROTONEURONIO>\r\n</TProtoLista>\r\n</TREDE>\r\n";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

std::string Saved(TMDIChild& child) {
    std::ostringstream out;
    child.Document().Save(out);
    return out.str();
}

TEST_F(RunBrowserTest, StopAbandonsALongStepAndLeavesTheNetAsItWas) {
    QTemporaryDir dir;
    TMDIChild& child = Open(LongStepNet(dir.filePath("long.net")));
    ShowBrowser();
    const std::string before = Saved(child);
    const int windows = main->ChildCount();
    const int delay = TStepWorker::ProgressDelayMs;
    TStepWorker::ProgressDelayMs = 0;
    // Step is stopped with Stop, Run with the progress window's button.
    for (const char* how : {"step", "ButtonRun"}) {
        SCOPED_TRACE(how);
        // While the step computes the event loop runs, but no window takes input except Stop
        // and the progress window (Reset, Step and a close would change or free the net).
        bool stopped = false;
        auto* poll = new QTimer(main.get());
        poll->setInterval(1);
        QObject::connect(poll, &QTimer::timeout, poll, [&] {
            auto* progress = Browser().findChild<QProgressDialog*>("StepProgress");
            if (stopped || progress == nullptr || !progress->isVisible()) return;
            stopped = true;
            EXPECT_TRUE(Browser().Control().Computing());
            Press("ButtonReset");
            Press("step");
            child.parentWidget()->close();
            EXPECT_TRUE(Button("ButtonStop").isEnabled());
            if (std::string(how) == "step")
                Press("ButtonStop");
            else
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        poll->start();
        Press(how);
        delete poll;
        EXPECT_TRUE(stopped);
        EXPECT_FALSE(Browser().Running());
        EXPECT_FALSE(Button("ButtonStop").isEnabled());
        EXPECT_EQ(Browser().Control().StepCount(), 0);
        EXPECT_EQ(main->ChildCount(), windows);
        EXPECT_EQ(Saved(child), before);
    }
    TStepWorker::ProgressDelayMs = delay;
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join("|").toStdString();
}

// Input as the window system delivers it: to the window, which hands it to its widget.
void ClickThroughWindow(QWidget& widget) {
    QWidget& window = *widget.window();
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      widget.mapTo(&window, widget.rect().center()));
}

TEST_F(RunBrowserTest, StopByMouseOrEscapeAbandonsALongStepWhileOtherInputIsHeld) {
    QTemporaryDir dir;
    TMDIChild& child = Open(LongStepNet(dir.filePath("long.net")));
    ShowBrowser();
    const std::string before = Saved(child);
    // A run of at most a few steps, so that a Stop that does not come through fails the test
    // rather than running for ever.
    const std::function<void()> step = [this] { Press("step"); };
    const std::function<void()> run = [this] { Browser().RunLimited(3); };
    const struct {
        const char* how;
        std::function<void()> start;
        std::function<void()> stop;
    } ways[] = {
        {"Step, a click on Stop", step, [this] { ClickThroughWindow(Button("ButtonStop")); }},
        {"Run, a click on Stop", run, [this] { ClickThroughWindow(Button("ButtonStop")); }},
        {"Step, Escape in the browser", step,
         [this] { QTest::keyClick(Browser().windowHandle(), Qt::Key_Escape); }},
        {"Run, Escape in the main window", run,
         [this] { QTest::keyClick(main->windowHandle(), Qt::Key_Escape); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        bool stopped = false;
        auto* poll = new QTimer(main.get());
        poll->setInterval(1);
        QObject::connect(poll, &QTimer::timeout, poll, [&] {
            if (stopped || !Browser().Control().Computing()) return;
            stopped = true;
            // Held: these would start a second step or change the net under the worker.
            ClickThroughWindow(Button("step"));
            ClickThroughWindow(Button("ButtonReset"));
            QTest::keyClick(main->windowHandle(), Qt::Key_Delete);
            EXPECT_TRUE(Browser().Control().Computing());
            way.stop();
        });
        poll->start();
        way.start();
        delete poll;
        EXPECT_TRUE(stopped);
        EXPECT_FALSE(Browser().Running());
        EXPECT_FALSE(Button("ButtonStop").isEnabled());
        EXPECT_EQ(Browser().Control().StepCount(), 0);
        EXPECT_EQ(Saved(child), before);
    }
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join("|").toStdString();
}

TEST_F(RunBrowserTest, EscapeStopsARunAndStepsWhenIdle) {
    Open(DataPath("run/bias_loop.net"));
    ShowBrowser();
    // Idle, Escape in the browser is its cancel button, Step.
    QTest::keyClick(Browser().windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(Browser().Control().StepCount(), 1);
    EveryPass([this](int pass) {
        if (pass == 3) QTest::keyClick(Browser().windowHandle(), Qt::Key_Escape);
        if (pass == 6) QTest::keyClick(main->windowHandle(), Qt::Key_Escape);
    });
    Browser().RunLimited(50); // a run Escape does not stop ends after 50 steps all the same
    EXPECT_FALSE(Browser().Running());
    EXPECT_EQ(Browser().Control().StepCount(), 1 + 3) << "Stop lets that pass's step happen";
    Browser().RunLimited(50);
    EXPECT_EQ(Browser().Control().StepCount(), 4 + 6 - 3);
    // Not running, Escape in the main window is nobody's.
    QTest::keyClick(main->windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(Browser().Control().StepCount(), 7);
}

TEST_F(RunBrowserTest, StepsComputedOffTheGuiThreadGiveTheSameValues) {
    const long long worker = TStepWorker::WorkerDigits;
    TStepWorker::WorkerDigits = 0; // every step goes to the worker thread
    Open(ExamplePath("worked.net"));
    ShowBrowser();
    Press("step");
    EXPECT_EQ(RowsText(View()), "In=110|N=0|Out=0");
    Press("ButtonRun");
    TStepWorker::WorkerDigits = worker;
    EXPECT_EQ(Browser().Control().StepCount(), 4);
    EXPECT_EQ(RowsText(View()), "In=|N=0|Out=0110");
}

} // namespace
} // namespace veltra::runview_test
