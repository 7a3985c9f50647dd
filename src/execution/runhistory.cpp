#include "execution/runhistory.h"

#include <algorithm>

namespace veltra {

void TRunHistory::Begin(const TProtoLista& list, long long step) {
    step_ = first_ = last_ = step;
    interval_ = FirstInterval;
    checkpoints_.clear();
    bytes_ = 0;
    inputs_ = {};
    if (budget_ == 0) return;
    inputs_ = CaptureInputTexts(list);
    checkpoints_.push_back({step, CaptureState(list)});
    checkpointed_ = Clock::now();
    bytes_ = checkpoints_.back().state.Bytes();
    for (const std::string& text : inputs_.texts)
        bytes_ += text.capacity();
}

void TRunHistory::Stepped(const TProtoLista& list) {
    ++step_;
    if (step_ <= last_) return; // a step already taken once: replay gives the same state
    last_ = step_;
    if (budget_ == 0 || (step_ - first_) % interval_ != 0) return;
    const Clock::time_point start = Clock::now();
    checkpoints_.push_back({step_, CaptureState(list)});
    bytes_ += checkpoints_.back().state.Bytes();
    const Clock::time_point end = Clock::now();
    // The checkpoints already taken stay; the next ones come on the wider grid.
    if ((end - start) * CheckpointShare > start - checkpointed_ && interval_ < MostStepsApart)
        interval_ *= 2;
    checkpointed_ = end;
    while (bytes_ > budget_ && checkpoints_.size() > 1)
        Thin();
}

void TRunHistory::Thin() {
    // Keeps the checkpoints on the doubled grid; the first one (step first_) always stays.
    interval_ *= 2;
    std::vector<Checkpoint> kept;
    bytes_ = 0;
    for (Checkpoint& c : checkpoints_) {
        if ((c.step - first_) % interval_ != 0) continue;
        bytes_ += c.state.Bytes();
        kept.push_back(std::move(c));
    }
    checkpoints_ = std::move(kept);
    for (const std::string& text : inputs_.texts)
        bytes_ += text.capacity();
}

bool TRunHistory::GoTo(TProtoLista& list, long long target, const std::function<bool()>& stepOnce,
                       bool reload) {
    if (target < first_ || target > last_) return false;
    if (target < step_ || reload) {
        // Histories only grow while stepping, so the net holds every checkpoint's prefix.
        const auto it =
            std::upper_bound(checkpoints_.begin(), checkpoints_.end(), target,
                             [](long long t, const Checkpoint& c) { return t < c.step; });
        if (it == checkpoints_.begin()) return false;
        const Checkpoint& c = *std::prev(it);
        if (!RestoreState(list, c.state, inputs_)) {
            // The net changed shape behind our back: what it is now is all there is.
            Begin(list, step_);
            return false;
        }
        step_ = c.step;
    }
    while (step_ < target) {
        if (!stepOnce()) return false;
        ++step_;
    }
    return true;
}

} // namespace veltra
