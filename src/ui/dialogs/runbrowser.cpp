#include "ui/dialogs/runbrowser.h"

#include "model/dados.h"
#include "model/protoneuronio.h"
#include "ui/desktophost.h"
#include "ui/dialogs/longtextview.h"
#include "ui/dialogs/machineline.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/runlist.h"
#include "ui/dialogs/runsteering.h"
#include "ui/dialogs/runviewmodel.h"
#include "ui/dialogs/stepworker.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/formbutton.h"
#include "ui/guard.h"
#include "ui/prompter.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <exception>

namespace veltra {

namespace {

constexpr int PaintIntervalMs = 20;
// The seed's 384 x 200, and the strip that watches and steers a run below it.
constexpr QSize DesignedSize(384, 200 + TRunSteering::StripHeight);
// The list at the designed size; a Turing machine's line takes the foot of it.
constexpr QRect ListDesigned(6, 10, 272, 180);

} // namespace

int TFormRunBrowser::PassSliceMs = DefaultPassSliceMs;

TFormRunBrowser::TFormRunBrowser(TDesktopHost& host)
    : TSteeredBrowser(&host.MainWindow(), Qt::Tool | Qt::WindowStaysOnTopHint), host_(host),
      control_(host.Interaction(),
               [&host]() -> TDados* {
                   TDrawingWindow* child = host.ActiveDrawing();
                   return child != nullptr ? &child->Document() : nullptr;
               }),
      stepWorker_(nullptr, nullptr, nullptr) {
    setObjectName(QStringLiteral("FormRunBrowser"));
    setWindowTitle(QStringLiteral("Execution Browser"));
    // Designed at this size; it can be made larger, the list growing with it.
    setMinimumSize(DesignedSize);
    resize(DesignedSize);

    rows_ = new TRunViewModel(this);
    runView_ = new QTreeView(this);
    runView_->setObjectName(QStringLiteral("RunView"));
    runView_->setGeometry(ListDesigned);
    runView_->setModel(rows_);
    runView_->setColumnWidth(0, 100);
    runView_->setColumnWidth(1, 150);
    runView_->setRootIsDecorated(false);
    runView_->setItemsExpandable(false);
    runView_->setUniformRowHeights(true);
    runView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    runView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    runView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runView_->setIconSize(QSize(16, 16));
    // A long value shows shortened; whole on hover, in a viewer (a double click, the context
    // menu) and as Copy takes it.
    auto* copy = new QAction(QStringLiteral("&Copy Value"), runView_);
    copy->setObjectName(QStringLiteral("RunViewCopy"));
    // The key is shown in the menu; the list claims it itself (eventFilter), since the main
    // window's Copy is reachable from this tool window too and a second shortcut would make
    // the key ambiguous.
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    copy->setShortcutVisibleInContextMenu(true);
    runView_->installEventFilter(this);
    installEventFilter(this); // a key sent to the window while the list has the focus
    connect(copy, &QAction::triggered, this, [this] { CopyValues(); });
    auto* whole = new QAction(QStringLiteral("&Show Whole Value"), runView_);
    whole->setObjectName(QStringLiteral("RunViewWhole"));
    connect(whole, &QAction::triggered, this,
            [this] { ShowWholeValue(runView_->currentIndex().row()); });
    runView_->addAction(copy);
    runView_->addAction(whole);
    runView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(runView_, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { ShowWholeValue(index.row()); });

    // Buttons in a column on the right; Add and Rem side by side at the bottom.
    constexpr int x = 288, w = 88, h = 25;
    QPushButton* ok = FormButton(this, "OKBtn", QStringLiteral("OK"), {x, 10, w, h});
    ok->setDefault(true);
    QPushButton* run = FormButton(this, "ButtonRun", QStringLiteral("&Run"), {x, 40, w, h});
    buttonStop_ = FormButton(this, "ButtonStop", QStringLiteral("&Stop"), {x, 70, w, h});
    buttonStop_->setEnabled(false);
    QPushButton* step = FormButton(this, "step", QStringLiteral("S&tep"), {x, 100, w, h});
    QPushButton* reset = FormButton(this, "ButtonReset", QStringLiteral("Reset"), {x, 130, w, h});
    QPushButton* add = FormButton(this, "ButtonAdd", QStringLiteral("Add"), {x, 165, 42, h});
    QPushButton* rem =
        FormButton(this, "ButtonRemove", QStringLiteral("Rem"), {x + 46, 165, 42, h});
    anchors_.Add(runView_, TAnchors::Width | TAnchors::Height);
    for (QPushButton* b : {ok, run, buttonStop_, step, reset, add, rem})
        anchors_.Add(b, TAnchors::Right);
    connect(ok, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(run, &QPushButton::clicked, this, [this] { ButtonRunClick(); });
    connect(buttonStop_, &QPushButton::clicked, this, [this] { ButtonStopClick(); });
    connect(step, &QPushButton::clicked, this, [this] { stepClick(); });
    connect(reset, &QPushButton::clicked, this, [this] { ButtonResetClick(); });
    connect(add, &QPushButton::clicked, this, [this] { ButtonAddClick(); });
    connect(rem, &QPushButton::clicked, this, [this] { ButtonRemoveClick(); });

    machineLine_ = new TMachineLine(this);

    steering_ = new TRunSteering(*this, host, control_);
    steering_->setGeometry(0, 200, 384, TRunSteering::StripHeight);
    anchors_.Add(steering_, TAnchors::Bottom | TAnchors::Width);
    control_.SetHistoryBudget(TRunHistory::DefaultBudget);

    stepWorker_ = TStepWorker(buttonStop_, this, [this] { ButtonStopClick(); });
    // Escape stops a run from the main window and its drawing windows too (while a step
    // computes, the step worker sees to it wherever it is pressed).
    stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), &host.MainWindow());
    stopKey_->setObjectName(QStringLiteral("StopKey"));
    stopKey_->setContext(Qt::WindowShortcut);
    stopKey_->setEnabled(false);
    connect(stopKey_, &QShortcut::activated, this, [this] { ButtonStopClick(); });
    control_.SetStepRunner(stepWorker_); // a copy that shares the batch with stepWorker_
    control_.SetRefreshHook([this] { ShowRows(); });
    control_.SetPassHook([this] { Pass(); });
    // Add and Rem are edits of the net (the file keeps the flag), undone like any other.
    control_.SetWatchHook(
        [this](TProtoNeuronio& element, bool watched) { host_.SetWatched(element, watched); });

    // The View menu's Execution item carries a check mark while the browser is shown.
    if (auto* item = host_.MainWindow().findChild<QAction*>(QStringLiteral("Execution1")))
        item->setCheckable(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormRunBrowser::Refresh() {
    control_.Refresh();
}

void TFormRunBrowser::WindowClosing(TDrawingWindow& window) {
    for (RunWindow& run : runWindows_)
        if (run.document == &window.Document()) run.document = nullptr;
    control_.Forget(&window.Document());
    rowsChecked_ = false;
    ShowRows();
}

int TFormRunBrowser::RowOf(const TProtoNeuronio* element) const {
    return rows_->RowOf(element);
}

void TFormRunBrowser::PlaceMachineLine() {
    const QSize grown = size() - DesignedSize;
    QRect list =
        ListDesigned.adjusted(0, 0, std::max(0, grown.width()), std::max(0, grown.height()));
    if (!machineLine_->isHidden()) {
        const int height = machineLine_->HeightFor(list.width());
        machineLine_->setGeometry(list.left(), list.bottom() + 1 - height, list.width(), height);
        list.setBottom(list.bottom() - height - 2);
    }
    runView_->setGeometry(list);
}

void TFormRunBrowser::ShowMachineLine() {
    TDrawingWindow* child = host_.ActiveDrawing();
    const bool shown = !machineLine_->isHidden();
    const int height = machineLine_->height();
    machineLine_->ShowFor(child != nullptr ? &child->Document() : nullptr);
    if (shown != !machineLine_->isHidden() ||
        (shown && machineLine_->HeightFor(machineLine_->width()) != height))
        PlaceMachineLine();
}

bool TFormRunBrowser::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+C in the list copies its values: claimed before any shortcut is looked for.
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    const bool atList = watched == runView_ || (watched == this && runView_->hasFocus());
    if (atList && key && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress) CopyValues();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormRunBrowser::CopyValues() {
    std::vector<int> rows;
    for (const QModelIndex& selected : runView_->selectionModel()->selectedRows())
        rows.push_back(selected.row());
    if (rows.empty() && runView_->currentIndex().isValid())
        rows.push_back(runView_->currentIndex().row());
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end());
    std::string text;
    for (int row : rows) {
        if (!text.empty()) text += '\n';
        text += rows_->WholeValue(row);
    }
    CopyLongText(text);
}

void TFormRunBrowser::ShowWholeValue(int row) {
    const TProtoNeuronio* element = rows_->Element(row);
    if (element == nullptr) return;
    ShowLongText(this, QStringLiteral("Value of %1").arg(QString::fromStdString(element->Label())),
                 element->ValueText());
}

void TFormRunBrowser::ShowRows() {
    // A halted machine's configuration is gone two steps later: it is caught at every step.
    if (TDrawingWindow* child = host_.ActiveDrawing()) machineLine_->Stepped(&child->Document());
    // A value is formatted when its row is painted, not here: a run's step only marks the
    // values changed, and reads which elements are listed once per pass through the event
    // loop (nothing else changes them).
    // Between two passes through the event loop nothing can change the watched elements or
    // their labels.
    const bool unchanged = control_.Running() && rowsChecked_;
    if (!control_.Running() || !rowsChecked_) {
        watched_ = control_.WatchedElements();
        rows_->SetElements(watched_);
        rowsChecked_ = control_.Running();
    }
    // The plot records every step, draws once per frame at most.
    steering_->Refreshed(control_.Running() ? &watched_ : nullptr, unchanged);
    // During a run the rows change faster than a screen shows them: the list is repainted at
    // most once per frame interval, while its texts follow every step.
    const bool holdPaint =
        control_.Running() && paintClock_.isValid() && paintClock_.elapsed() < PaintIntervalMs;
    if (holdPaint && runView_->updatesEnabled()) {
        runView_->setUpdatesEnabled(false);
        rows_->Hold(true);
        QTimer::singleShot(PaintIntervalMs, this, [this] { ReleasePaint(); });
    } else if (!holdPaint && runView_->updatesEnabled()) {
        paintClock_.start();
        steering_->ShowStep();
        ShowMachineLine();
    }
    rows_->ValuesChanged();
    if (TDrawingWindow* child = host_.ActiveDrawing()) child->Ecra().ValuesChanged();
    if (auto* info = qobject_cast<TMultPageDlg*>(host_.Windows().MultPageDlg))
        info->FollowNet(!control_.Running());
}

void TFormRunBrowser::ReleasePaint() {
    rows_->Hold(false);
    runView_->setUpdatesEnabled(true);
    paintClock_.start();
    steering_->ShowStep();
    ShowMachineLine();
}

void TFormRunBrowser::OKBtnClick() {
    close();
}

void TFormRunBrowser::stepClick() {
    TrackEdits();
    // A long step can be abandoned with Stop while it computes.
    if (!control_.Running()) buttonStop_->setEnabled(true);
    Guarded(host_.Prompter(), this, [this] { control_.Step(); });
    buttonStop_->setEnabled(control_.StopEnabled());
}

void TFormRunBrowser::ButtonRunClick() {
    RunLimited(-1);
}

void TFormRunBrowser::RunLimited(long long limit) {
    // Remember which window this run steps, so that closing it ends the run.
    TDrawingWindow* child = host_.ActiveDrawing();
    if (child != nullptr) runWindows_.push_back({child, &child->Document()});
    const std::size_t depth = runWindows_.size();
    buttonStop_->setEnabled(true);
    stopKey_->setEnabled(true);
    TrackEdits();
    steering_->RunStarted();
    passClock_.invalidate(); // the first pass goes through the event loop
    rowsChecked_ = false;
    Guarded(host_.Prompter(), this, [this, limit] {
        if (limit < 0)
            control_.Run();
        else
            control_.RunSteps(limit);
    });
    stepWorker_.Close();
    rowsChecked_ = false;
    passClock_.invalidate(); // an outer run, if any, passes through the event loop next
    steering_->RunEnded();
    if (child != nullptr && runWindows_.size() >= depth) runWindows_.resize(depth - 1);
    buttonStop_->setEnabled(control_.StopEnabled());
    stopKey_->setEnabled(control_.Running());
    if (!control_.Running()) {
        ReleasePaint(); // the last rows show at once
        if (auto* info = qobject_cast<TMultPageDlg*>(host_.Windows().MultPageDlg))
            info->FollowNet(true);
    }
}

void TFormRunBrowser::ButtonStopClick() {
    control_.Stop();
    buttonStop_->setEnabled(false);
}

void TFormRunBrowser::TrackEdits() {
    if (TDrawingWindow* child = host_.ActiveDrawing())
        connect(child, &TDrawingWindow::Edited, this, &TFormRunBrowser::ChildEdited,
                Qt::UniqueConnection);
}

void TFormRunBrowser::NetStackChanged() {
    // An undo may have changed what is watched. Not at once: Add and Rem edit the rows
    // themselves while their edit is pushed.
    if (control_.Running()) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (control_.Running()) return;
            rowsChecked_ = false;
            control_.Refresh();
        },
        Qt::QueuedConnection);
}

void TFormRunBrowser::ActiveNetChanged() {
    rowsChecked_ = false;
    control_.Refresh();
    steering_->NetChanged();
}

void TFormRunBrowser::ChildEdited() {
    if (auto* child = qobject_cast<TDrawingWindow*>(sender()))
        control_.NetEdited(&child->Document());
    steering_->ShowStep();
}

void TFormRunBrowser::ButtonResetClick() {
    TrackEdits();
    steering_->ForgetRun();
    Guarded(host_.Prompter(), this, [this] { control_.Reset(); });
}

void TFormRunBrowser::ButtonAddClick() {
    auto* runList = qobject_cast<TFormRunList*>(host_.Windows().FormRunList);
    if (runList == nullptr || host_.ActiveDrawing() == nullptr) return; // no net to add from
    runList->Fill(control_.AddOffer());
    if (host_.Prompter().ExecDialog(*runList) != QDialog::Accepted || !runList->Chosen()) return;
    // The modal list lets nothing else run, but the element is checked against the active
    // net all the same.
    control_.Add(runList->ChosenElement());
}

void TFormRunBrowser::ButtonRemoveClick() {
    // The first selected row in list order, however many are selected.
    int index = -1;
    for (const QModelIndex& selected : runView_->selectionModel()->selectedRows())
        if (index < 0 || selected.row() < index) index = selected.row();
    if (index < 0) return;
    const std::size_t before = control_.Rows().size();
    control_.Remove(index);
    // The control deletes just that row when it matched; otherwise it has refreshed.
    if (control_.Rows().size() + 1 == before) {
        rows_->RemoveRow(index);
    } else {
        rowsChecked_ = false;
        ShowRows();
    }
}

void TFormRunBrowser::Pass() {
    if (PassSliceMs > 0 && passClock_.isValid() && passClock_.nsecsElapsed() < sliceNs_) {
        stepWorker_.Open();
        return;
    }
    // Anything may change in the event loop: the net, the watched elements, the window.
    stepWorker_.Close();
    rowsChecked_ = false;
    QElapsedTimer took;
    took.start();
    QApplication::processEvents();
    ForgetClosedRuns();
    buttonStop_->setEnabled(control_.StopEnabled());
    rowsChecked_ = false;
    constexpr qint64 Ms = 1000000;
    sliceNs_ = std::clamp(EventLoopShare * took.nsecsElapsed(), PassSliceMs * Ms,
                          std::max<qint64>(PassSliceMs, LongestSliceMs) * Ms);
    passClock_.start();
    stepWorker_.Open();
}

void TFormRunBrowser::ForgetClosedRuns() {
    for (RunWindow& run : runWindows_) {
        if (run.document == nullptr) continue;
        const bool closed =
            run.window.isNull() || run.window->isHidden() ||
            (run.window->parentWidget() != nullptr && run.window->parentWidget()->isHidden());
        if (!closed) continue;
        control_.Forget(run.document);
        run.document = nullptr;
        rowsChecked_ = false;
        ShowRows();
    }
}

void TFormRunBrowser::keyPressEvent(QKeyEvent* event) {
    // Escape belongs to the cancel button, which is Step here; while a run goes on it stops.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (control_.Running() || control_.Computing())
            ButtonStopClick();
        else
            stepClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormRunBrowser::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        Refresh();
        MarkShown(true);
    }
    QDialog::showEvent(event);
}

void TFormRunBrowser::hideEvent(QHideEvent* event) {
    // Hidden by a command or by closing; not when the desktop merely minimises it.
    if (!event->spontaneous()) MarkShown(false);
    QDialog::hideEvent(event);
}

void TFormRunBrowser::resizeEvent(QResizeEvent* event) {
    anchors_.Apply(size() - DesignedSize);
    PlaceMachineLine();
    QDialog::resizeEvent(event);
}

void TFormRunBrowser::closeEvent(QCloseEvent* event) {
    // Closing only hides the browser; a run goes on.
    event->accept();
    hide();
}

void TFormRunBrowser::MarkShown(bool shown) {
    if (auto* item = host_.MainWindow().findChild<QAction*>(QStringLiteral("Execution1")))
        item->setChecked(shown);
    if (auto* button = host_.MainWindow().findChild<QToolButton*>(QStringLiteral("execution_bt")))
        button->setChecked(shown);
}

} // namespace veltra
