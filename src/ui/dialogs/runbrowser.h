// The "Execution Browser": steps, runs, stops and resets the net of the active drawing
// window and lists its watched neurons, inputs and outputs with their values. A stay-on-top
// tool window that is not modal; the run re-enters the event loop between two steps once per
// slice of PassSliceMs (after every step when steps take longer).
#pragma once

#include "execution/runcontrol.h"
#include "ui/anchors.h"
#include "ui/dialogs/runsteering.h"
#include "ui/dialogs/stepworker.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <vector>

class QPushButton;
class QShortcut;
class QTreeView;

namespace veltra {

class TDados;
class TFormRunList;
class TDesktopHost;
class TDrawingWindow;
class TMachineLine;
class TProtoNeuronio;
class TRunSteering;
class TRunViewModel;

class TFormRunBrowser final : public TSteeredBrowser {
    Q_OBJECT
public:
    explicit TFormRunBrowser(TDesktopHost& host);

    // Rebuilds the rows from the active window's net.
    void Refresh();
    // A drawing window is closing: a run of its net ends and the rows of its net go.
    void WindowClosing(TDrawingWindow& window);
    // Some undo stack moved: the rows are made again from the active net (outside a run).
    void NetStackChanged();
    // Another drawing window became active, or none is: the rows, the step, Stop When's
    // offer, the plot and the rate show that window's net (or nothing) from now on.
    void ActiveNetChanged();

    void OKBtnClick();
    void stepClick();
    void ButtonRunClick();
    void ButtonStopClick();
    void ButtonResetClick();
    void ButtonAddClick();
    void ButtonRemoveClick();
    // Run, at most `limit` steps (negative: no limit), as Run does otherwise.
    void RunLimited(long long limit) override;
    // Edits of the active window's net from now on cut its run history short.
    void TrackEdits() override;
    TRunSteering& Steering() { return *steering_; }

    // The row of an element in the list, -1 when it has none.
    int RowOf(const TProtoNeuronio* element) const override;
    // How long a run steps before the application gets its turn again: often enough that
    // Stop, edits and repaints feel immediate, rarely enough that a net of microsecond steps
    // is not slowed down by the event loop (one pass through it costs about as much as
    // stepping a few dozen small neurons). 0: after every step (tests that act at a pass).
    static constexpr int DefaultPassSliceMs = 2;
    static int PassSliceMs;
    // A pass that took longer (it repainted, say) is followed by a longer slice, so that the
    // event loop takes at most about a EventLoopShare-th of a run's time; but never one longer
    // than LongestSliceMs, so that Stop always takes effect within about that time.
    static constexpr int EventLoopShare = 50;
    static constexpr int LongestSliceMs = 100;

    bool Running() const { return control_.Running(); }
    TRunControl& Control() { return control_; }
    QTreeView& RunView() override { return *runView_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Copies the whole values of the selected rows, one a line.
    void CopyValues();
    // Shows the whole value of a row in a viewer.
    void ShowWholeValue(int row);
    // Hands the run control's rows to RunView, whose repaints a run holds to one per frame
    // interval.
    void ShowRows();
    // Between two steps of a run: lets the application work, then ends the run of every
    // window that was closed meanwhile.
    void Pass();
    // Lets the list repaint again and tells it every row changed meanwhile.
    void ReleasePaint();
    // The active net's Turing machine line, and the list's room beside it.
    void ShowMachineLine();
    void PlaceMachineLine();
    void ForgetClosedRuns();
    // The check mark of Execution1 and the down state of execution_bt follow the browser.
    void MarkShown(bool shown);
    // A tracked window's net was edited.
    void ChildEdited();

    struct RunWindow {
        QPointer<TDrawingWindow> window;
        TDados* document;
    };

    TDesktopHost& host_;
    TRunControl control_;
    QTreeView* runView_;
    TRunViewModel* rows_;
    TMachineLine* machineLine_;
    QPushButton* buttonStop_;
    QShortcut* stopKey_; // Escape on the main window, while a run goes on
    TRunSteering* steering_;
    TAnchors anchors_;
    TStepWorker stepWorker_;
    QElapsedTimer paintClock_; // since the list was last allowed to repaint
    QElapsedTimer passClock_;  // since a run's last pass through the event loop
    qint64 sliceNs_ = 0;       // how long the run steps after that pass
    // Which elements the list shows was read after the run's last pass through the event
    // loop; only edits and commands change it, and during a run they happen there.
    bool rowsChecked_ = false;
    std::vector<TProtoNeuronio*> watched_; // the elements of the rows as last read
    std::vector<RunWindow> runWindows_;    // the windows of the runs in progress, innermost last
};

} // namespace veltra
