// One step of a net with long values computed off the GUI thread: its phase 1 (every
// multiplication) runs on a worker thread while the GUI thread keeps its event loop going, so
// windows repaint and Stop can abandon the step; phase 2 then runs on the GUI thread.
// Meanwhile the net is read-only: mouse, key and close input reaches only the Stop button and
// the progress window, which shows when the step takes longer than half a second. Steps of
// short values (the usual case) take microseconds and run directly, with no event loop in
// between, exactly as before.
#pragma once

#include <QPointer>
#include <atomic>
#include <functional>

class QWidget;

namespace veltra {

class TDados;

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

private:
    QPointer<QWidget> stop_;
    QPointer<QWidget> parent_;
    std::function<void()> cancel_;
};

} // namespace veltra
