#include "ui/dialogs/runsteering.h"

#include "execution/runcontrol.h"
#include "model/dados.h"
#include "ui/desktophost.h"
#include "ui/dialogs/plotwindow.h"
#include "ui/dialogs/stopwhen.h"
#include "ui/drawingwindow.h"
#include "ui/prompter.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <exception>

namespace veltra {

namespace {

QPushButton* StripButton(QWidget* parent, const char* name, const QString& caption, QRect at) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    b->setAutoDefault(false);
    return b;
}

QLabel* StripLabel(QWidget* parent, const char* name, QRect at) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(at);
    return label;
}

} // namespace

template <typename Body> void TRunSteering::Guarded(Body body) {
    // No exception crosses the event loop; the message says why the command did nothing.
    try {
        body();
    } catch (const std::exception& error) {
        host_.Prompter().Message(&browser_, QString::fromStdString(error.what()));
    }
}

TRunSteering::TRunSteering(TSteeredBrowser& browser, TDesktopHost& host, TRunControl& control)
    : QWidget(&browser), browser_(browser), host_(host), control_(control) {
    setObjectName(QStringLiteral("RunSteering"));
    step_ = StripLabel(this, "LabelStep", {8, 4, 110, 22});
    rate_ = StripLabel(this, "LabelRate", {120, 4, 100, 22});
    count_ = new QSpinBox(this);
    count_->setObjectName(QStringLiteral("SpinRunSteps"));
    count_->setGeometry(222, 4, 62, 24);
    count_->setRange(1, 1000000000);
    count_->setValue(100);
    runSteps_ = StripButton(this, "ButtonRunSteps", QStringLiteral("Run 100"), {288, 4, 88, 25});
    auto* back = StripButton(this, "ButtonStepBack", QStringLiteral("Step Back"), {6, 32, 86, 25});
    auto* goTo = StripButton(this, "ButtonGoTo", QStringLiteral("Go to Step..."), {96, 32, 96, 25});
    auto* when =
        StripButton(this, "ButtonStopWhen", QStringLiteral("Stop When..."), {196, 32, 88, 25});
    auto* plot = StripButton(this, "ButtonPlot", QStringLiteral("Plot"), {288, 32, 88, 25});
    report_ = StripLabel(this, "LabelStopReport", {8, 60, 368, 22});
    stopWhen_ = new TStopWhenDialog(&browser_);
    plot_ = new TPlotWindow(&host_.MainWindow(), host_.Prompter());
    connect(plot, &QPushButton::clicked, this, [this] { ButtonPlotClick(); });
    // The View menu offers the plot beside the Execution Browser.
    if (auto* execution = host_.MainWindow().findChild<QAction*>(QStringLiteral("Execution1"))) {
        for (QObject* holder : execution->associatedObjects()) {
            auto* menu = qobject_cast<QMenu*>(holder);
            if (menu == nullptr) continue;
            QAction* item = menu->addAction(QStringLiteral("Plot"));
            item->setObjectName(QStringLiteral("Plot1"));
            connect(item, &QAction::triggered, this, [this] { ButtonPlotClick(); });
            break;
        }
    }

    connect(count_, &QSpinBox::valueChanged, this,
            [this](int n) { runSteps_->setText(QStringLiteral("Run %1").arg(n)); });
    connect(runSteps_, &QPushButton::clicked, this, [this] { ButtonRunStepsClick(); });
    connect(back, &QPushButton::clicked, this, [this] { ButtonStepBackClick(); });
    connect(goTo, &QPushButton::clicked, this, [this] { ButtonGoToClick(); });
    connect(when, &QPushButton::clicked, this, [this] { ButtonStopWhenClick(); });
    ShowStep();
}

void TRunSteering::Refreshed(const std::vector<TProtoNeuronio*>* watched, bool unchanged) {
    if (!plot_->isVisible()) return;
    TDrawingWindow* child = host_.ActiveDrawing();
    plot_->Record(child != nullptr ? &child->Document() : nullptr, control_.CurrentStep(), watched,
                  unchanged);
}

TDados* TRunSteering::ActiveDocument() const {
    TDrawingWindow* child = host_.ActiveDrawing();
    return child != nullptr ? &child->Document() : nullptr;
}

void TRunSteering::NetChanged() {
    if (ActiveDocument() != runDocument_) {
        rate_->clear();
        report_->clear();
    }
    Refreshed();
    ShowStep();
}

void TRunSteering::ForgetRun() {
    if (control_.Running()) return;
    runDocument_ = nullptr;
    rate_->clear();
    report_->clear();
}

void TRunSteering::ButtonPlotClick() {
    plot_->show();
    plot_->raise();
    Refreshed(); // the values as they stand now
    plot_->Redraw(true);
}

void TRunSteering::ShowStep() {
    plot_->Redraw(!control_.Running()); // outside a run every change shows at once
    const long long step = control_.CurrentStep();
    step_->setText(QStringLiteral("Step %1").arg(step));
    if (control_.Running()) ShowRate();
}

void TRunSteering::ShowRate() {
    const qint64 ns = runClock_.isValid() ? runClock_.nsecsElapsed() : 0;
    if (ns <= 0) return;
    if (runDocument_ == nullptr || ActiveDocument() != runDocument_) {
        rate_->clear(); // another net is shown: this rate is not its own
        return;
    }
    const double rate =
        1e9 * static_cast<double>(control_.StepCount() - runFirstCount_) / static_cast<double>(ns);
    rate_->setText(QStringLiteral("%1 steps/s").arg(rate, 0, 'f', 0));
}

void TRunSteering::RunStarted() {
    plot_->RunStarted();
    runClock_.start();
    runFirstCount_ = control_.StepCount();
    runDocument_ = ActiveDocument();
    rate_->clear();
    report_->clear();
}

void TRunSteering::RunEnded() {
    ShowStep();
    if (control_.Running()) return;               // an inner run ended inside an outer one
    ShowRate();                                   // the run's average
    if (ActiveDocument() != runDocument_) return; // the report is about a net not shown
    report_->setText(QString::fromStdString(control_.StopReport()));
    if (control_.MetCondition() < 0 || control_.MetElement() == nullptr) return;
    // The row of the element whose condition was met shows selected.
    if (const int row = browser_.RowOf(control_.MetElement()); row >= 0) {
        QTreeView& view = browser_.RunView();
        const QModelIndex index = view.model()->index(row, 0);
        view.selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
        view.scrollTo(index);
    }
}

void TRunSteering::ButtonRunStepsClick() {
    browser_.RunLimited(count_->value());
}

void TRunSteering::ButtonStepBackClick() {
    ForgetRun();
    Guarded([this] { control_.StepBack(); });
    ShowStep();
}

void TRunSteering::ButtonGoToClick() {
    if (host_.ActiveDrawing() == nullptr) return;
    browser_.TrackEdits();
    TRunHistory& history = control_.History(host_.ActiveDrawing()->Document());
    QDialog ask(&browser_);
    ask.setObjectName(QStringLiteral("GoToStepDialog"));
    ask.setWindowTitle(QStringLiteral("Go to Step..."));
    auto* layout = new QVBoxLayout(&ask);
    auto* label = new QLabel(
        QStringLiteral("Step (%1 to %2):").arg(history.First()).arg(history.Last()), &ask);
    auto* spin = new QSpinBox(&ask);
    spin->setObjectName(QStringLiteral("SpinGoTo"));
    spin->setRange(static_cast<int>(std::min<long long>(history.First(), INT_MAX)),
                   static_cast<int>(std::min<long long>(history.Last(), INT_MAX)));
    spin->setValue(static_cast<int>(std::min<long long>(history.Step(), INT_MAX)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    layout->addWidget(label);
    layout->addWidget(spin);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    if (host_.Prompter().ExecDialog(ask) != QDialog::Accepted) return;
    const long long target = spin->value();
    ForgetRun();
    Guarded([&] { control_.GoTo(target); });
    ShowStep();
}

void TRunSteering::ButtonStopWhenClick() {
    // The active net's own conditions, over its watched elements as they are now.
    TDados* shown = ActiveDocument();
    std::vector<TProtoNeuronio*> watched;
    if (shown != nullptr)
        for (const auto& element : shown->Elements())
            if (IsWatched(*element)) watched.push_back(element.get());
    stopWhen_->Load(control_.Conditions().Items(), watched);
    if (host_.Prompter().ExecDialog(*stopWhen_) != QDialog::Accepted) return;
    // The dialog is modal, but a run may close windows between its passes meanwhile.
    if (shown == nullptr || ActiveDocument() != shown) return;
    control_.Conditions().Items() = stopWhen_->Conditions();
}

} // namespace veltra
