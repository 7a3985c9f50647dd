// The steps of one net since it was loaded or Reset, and the way back to any of them: a
// checkpoint of the state every k steps, and deterministic replay from the checkpoint at or
// before the step wanted. The checkpoints stay within a memory budget: when they outgrow it,
// every other one goes and k doubles. They also stay a small share of a run's time: when one
// takes longer than a CheckpointShare-th of the steps since the one before, k doubles too (a
// step back then replays more steps, but steps that cheap replay quickly).
#pragma once

#include "execution/runstate.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace veltra {

class TProtoLista;

class TRunHistory {
public:
    // 64 MiB of checkpoints by default; 0 keeps none (the steps are only counted).
    static constexpr std::size_t DefaultBudget = std::size_t{64} << 20;
    static constexpr long long FirstInterval = 4;
    static constexpr int CheckpointShare = 32;
    static constexpr long long MostStepsApart = 4096; // the share alone doubles k no further

    explicit TRunHistory(std::size_t budget = DefaultBudget) : budget_(budget) {}

    // The net as it is now is step `step` (0 after a load or Reset); no earlier step is
    // reachable.
    void Begin(const TProtoLista& list, long long step = 0);
    // After one step of the net.
    void Stepped(const TProtoLista& list);
    // The net was edited: it is the current step from now on, and neither the steps after it
    // (stepped back before the edit) nor those before it (they would replay with the edited
    // net) can be reached any more.
    void Edited(const TProtoLista& list) { Begin(list, step_); }

    long long Step() const { return step_; }
    long long First() const { return first_; }
    long long Last() const { return last_; }
    long long Interval() const { return interval_; }
    std::size_t Bytes() const { return bytes_; }
    // The state at First() and the inputs' texts then; null without checkpoints.
    const TNetState* FirstState() const {
        return checkpoints_.empty() ? nullptr : &checkpoints_.front().state;
    }
    const TInputTexts& Inputs() const { return inputs_; }
    std::size_t Budget() const { return budget_; }

    // Takes the net to step `target` (First() to Last()): back by restoring the checkpoint at
    // or before it, then forward by stepping with `stepOnce`, which answers false when a step
    // did not take place. True when the net stands at `target`; false when it is out of range
    // or a step failed (the net is then at Step()). `reload` restores even when going forward
    // or nowhere (the net was stepped outside the history, e.g. to search for a cycle).
    bool GoTo(TProtoLista& list, long long target, const std::function<bool()>& stepOnce,
              bool reload = false);

private:
    struct Checkpoint {
        long long step;
        TNetState state;
    };
    void Thin();

    using Clock = std::chrono::steady_clock;
    std::size_t budget_;
    Clock::time_point checkpointed_;      // when the last checkpoint was taken
    std::vector<Checkpoint> checkpoints_; // ascending steps; the first is step first_
    TInputTexts inputs_;
    std::size_t bytes_ = 0;
    long long step_ = 0;
    long long first_ = 0;
    long long last_ = 0;
    long long interval_ = FirstInterval;
};

} // namespace veltra
