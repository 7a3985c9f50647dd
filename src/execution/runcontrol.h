// Run control of the Execution Browser without its widgets: step, run until every element is
// finished or Stop, reset, and the list of watched elements with their values. The window that
// shows it supplies the active document, lets its event loop run through the pass hook, and
// redraws its rows from Rows() after every refresh.
#pragma once

#include "execution/runhistory.h"
#include "execution/stopcondition.h"
#include "model/elementkind.h"
#include "model/netnotifier.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace veltra {

class TDados;
class TInteraction;
class TProtoNeuronio;

inline constexpr const char* NoNetWindowText = "You need a net window open to do this.";
inline constexpr const char* SelectIoText = "Please select the IO";

// One row of the watched list: the element's label, its ValueText and its picture.
struct TWatchRow {
    TProtoNeuronio* element = nullptr;
    std::string caption;
    std::string value;
    TRowImage image = TRowImage::Neuron;
};

// True for the kinds the browser can list (neurons, inputs, outputs).
bool IsWatchable(const TProtoNeuronio& element);
// Watchable and carrying the watch flag.
bool IsWatched(const TProtoNeuronio& element);

class TRunControl {
public:
    // activeDocument answers the document of the active drawing window, or null.
    TRunControl(TInteraction& ui, std::function<TDados*()> activeDocument);
    ~TRunControl();
    TRunControl(const TRunControl&) = delete;
    TRunControl& operator=(const TRunControl&) = delete;

    // Called once per pass of a run, before its step: the application processes its pending
    // events here, so Stop, Reset, editing or closing a window happen between two steps.
    void SetPassHook(std::function<void()> hook) { passHook_ = std::move(hook); }
    // Sets or clears an element's watch flag for Add and Rem. The flag is saved with the net,
    // so the window makes it an edit of its own; without a hook the flag is set directly.
    void SetWatchHook(std::function<void(TProtoNeuronio&, bool)> hook) {
        watchHook_ = std::move(hook);
    }
    // Called at the end of every Refresh (after each step of a run, too).
    void SetRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }
    // Performs one step of a net; false when it was cancelled (the net is then as before).
    // The flag is set by Stop while the step computes. Without a runner a step is
    // TDados::Step on the calling thread.
    using TStepRunner = std::function<bool(TDados&, const std::atomic<bool>& cancel)>;
    void SetStepRunner(TStepRunner runner) { stepRunner_ = std::move(runner); }
    // True while a step computes (Stop then abandons it).
    bool Computing() const { return computing_; }

    // Steps the active net once (finished or not) and refreshes; false when no net is open.
    // A step that Stop cancels changes nothing and is not counted.
    bool Step();
    // Steps the active net until every element is finished or Stop. The stop test runs before
    // the first step and after every step; Stop during a pass still lets that pass's step run,
    // Stop while a step computes abandons that step and ends the run.
    void Run();
    void Stop();
    // Resets the active net and refreshes; nothing when no net is open.
    void Reset();

    // The document's window is closing: a run of it ends without stepping it again, and the
    // rows built from it go.
    void Forget(const TDados* document);

    // Run, but at most `count` steps (the stop test before the first step stays).
    void RunSteps(long long count);

    // --- steps since load or Reset, and the way back ------------------------------------
    // The budget of each net's checkpoints; 0 (the default) keeps none and only counts.
    void SetHistoryBudget(std::size_t bytes) { historyBudget_ = bytes; }
    // The history of a document's net, begun at step 0 when first asked for.
    TRunHistory& History(const TDados& document);
    // The active net's step since it was loaded or Reset (0 without a net).
    long long CurrentStep() const;
    // Takes the active net to an earlier (or, after a step back, later) step and refreshes;
    // false when there is no net, the step is out of reach or a step failed.
    bool GoTo(long long step);
    bool StepBack();
    // The document's net was edited: steps after the current one go (see TRunHistory).
    void NetEdited(const TDados* document);

    // --- stop conditions ----------------------------------------------------------------
    // Each net has conditions of its own: those of the active net (of none when no net is
    // open; they are never checked), or of a given net.
    TStopConditions& Conditions();
    TStopConditions& Conditions(const TDados& document);
    // The condition that ended the last run (-1: none; an index into the conditions of the
    // net that run stepped), the step it met and the element it is about (null for a
    // repeated state).
    int MetCondition() const { return metCondition_; }
    long long MetStep() const { return metStep_; }
    const TProtoNeuronio* MetElement() const { return metElement_; }
    // The net of the innermost run in progress, null when none runs.
    const TDados* RunningDocument() const;
    // What ended the last run by a condition: "Stopped at step N: COND", or for a repeated
    // state "State after step S repeats every P steps". Empty when none did.
    const std::string& StopReport() const { return stopReport_; }

    bool Running() const { return running_; }
    bool StopEnabled() const { return stopEnabled_; }
    // Steps performed through this control (Step and runs), for status texts and tools.
    long long StepCount() const { return stepCount_; }

    // Takes the active net's top-level list as the one the rows show. The rows themselves are
    // made when Rows() is next asked for: a run refreshes after every step, but a window
    // shows rows only now and then, and a value text (an input's whole remaining sequence,
    // an output's history) would otherwise be copied every step.
    void Refresh();
    const std::vector<TWatchRow>& Rows() const;
    // The elements of the rows, in order, without their texts: for a view that formats a
    // value only when it shows it.
    std::vector<TProtoNeuronio*> WatchedElements() const;

    // The Run List's entries: neurons, inputs and outputs of the active net not watched.
    std::vector<TProtoNeuronio*> AddOffer() const;
    // Run List OK: selected is the chosen entry's index in offer, or -1 when none is
    // selected, which shows "Please select the IO" and answers false (the dialog stays open).
    bool AcceptAdd(const std::vector<TProtoNeuronio*>& offer, int selected);
    // Sets the watch flag of an element of the active net and refreshes.
    void Add(TProtoNeuronio* element);
    // Rem on the row at that index (-1: none selected, nothing happens).
    void Remove(int rowIndex);

private:
    void Watch(TProtoNeuronio& element, bool watched);
    // One step through the runner; false when cancelled.
    bool StepOnce(TDados& document);
    // One step that the history does not count (replays); false when cancelled.
    bool StepUncounted(TDados& document);
    void RunLimited(long long limit);
    // A condition was met after a run's step: remembers which, and for a repeated state
    // works out where the cycle starts (replaying, then putting the net back). `armedAt`:
    // the net's step when the conditions were armed.
    void ConditionMet(TDados& document, int index, long long armedAt);

    struct RunSlot {
        TDados* document;
        long long armedAt; // the step the conditions were armed at (the run's start, an edit)
    };

    TInteraction& ui_;
    std::function<TDados*()> activeDocument_;
    std::function<void()> passHook_;
    std::function<void(TProtoNeuronio&, bool)> watchHook_;
    std::function<void()> refreshHook_;
    TStepRunner stepRunner_;
    std::atomic<bool> cancel_{false};
    bool computing_ = false;
    std::vector<RunSlot*> runs_; // the run loops in progress, innermost last
    mutable std::vector<TWatchRow> rows_;
    mutable bool rowsStale_ = false;
    TDados* rowsDocument_ = nullptr; // the net the rows show, null: none
    bool running_ = false;
    bool stopEnabled_ = false;
    long long stepCount_ = 0;
    std::size_t historyBudget_ = 0;
    std::map<const TDados*, std::unique_ptr<TRunHistory>> histories_;
    std::map<const TDados*, TStopConditions> conditions_;
    TStopConditions noConditions_; // offered while no net is open
    int metCondition_ = -1;
    long long metStep_ = -1;
    const TProtoNeuronio* metElement_ = nullptr;
    std::string stopReport_;
    // Conditions forget elements released from the nets the run control has stepped.
    class TConditionWatch final : public TNetObserver {
    public:
        explicit TConditionWatch(TRunControl& control) : control_(control) {}
        ~TConditionWatch() override { StopObservingAll(); }

    private:
        void ElementLeaving(const TProtoNeuronio& element, TLeaving how) override;
        TRunControl& control_;
    };
    TConditionWatch conditionWatch_{*this};
};

// "State after step S repeats every P steps".
std::string CycleText(long long start, long long period);

} // namespace veltra
