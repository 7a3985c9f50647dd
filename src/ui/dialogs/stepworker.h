// One step of a net with long values computed off the GUI thread: its phase 1 (every
// multiplication) runs on a worker thread while the GUI thread keeps its event loop going, so
// windows repaint and Stop can abandon the step; phase 2 then runs on the GUI thread.
// Meanwhile the net is read-only: mouse, key and close input reaches only the Stop button and
// the progress window, which shows when the step takes longer than half a second; Escape
// stops, wherever it is pressed. Steps of
// short values (the usual case) take microseconds and run directly, with no event loop in
// between, exactly as before.
#pragma once

#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace veltra {

class TDados;
class TRede;

class TStepWorker {
public:
    // stop: the one control that stays usable; cancel: what the progress window's button does
    // (the run control's Stop); parent: of the progress window.
    TStepWorker(QWidget* stop, QWidget* parent, std::function<void()> cancel);

    // The run control's step runner: false when the flag was set and the step abandoned (the
    // net is then exactly as before); an error of the step is thrown here, on the GUI thread.
    bool operator()(TDados& document, const std::atomic<bool>& cancel);

    // Half a second; tests may shorten it.
    static int ProgressDelayMs;
    // Steps whose sums could have fewer digits run directly on the GUI thread.
    static long long WorkerDigits;

    // The steps from Open to Close follow one another with no event processing in between, so
    // nothing can edit the net meanwhile: what the digit bound needs from the net's shape
    // (every sender's longest weight) is gathered at the first of them, and each step reads
    // only the senders' values. Copies of a worker share this state.
    void Open();
    void Close();

private:
    struct TBatch;
    // True when the steps of this batch surely stay short: an upper bound (looser than the
    // exact one) on the next step's sums, from the gathered shape.
    bool SurelyShort(const TRede& net);

    std::shared_ptr<TBatch> batch_;
    QPointer<QWidget> stop_;
    QPointer<QWidget> parent_;
    std::function<void()> cancel_;
};

} // namespace veltra
