#include "plotdata/steplist.h"

#include <algorithm>

namespace veltra {

long long TStepList::operator[](std::size_t i) const {
    const bool cached = lastRun_ < runs_.size() && runs_[lastRun_].index <= i &&
                        (lastRun_ + 1 == runs_.size() || i < runs_[lastRun_ + 1].index);
    if (!cached)
        lastRun_ = static_cast<std::size_t>(
            std::partition_point(runs_.begin(), runs_.end(),
                                 [i](const Run& r) { return r.index <= i; }) -
            runs_.begin() - 1);
    const Run& run = runs_[lastRun_];
    return run.step + static_cast<long long>(i - run.index);
}

void TStepList::AppendRun(long long first, std::size_t count) {
    if (count == 0) return;
    if (empty() || first != back() + 1) runs_.push_back({first, size_});
    size_ += count;
}

void TStepList::shrink(std::size_t n) {
    if (n >= size_) return;
    size_ = n;
    while (!runs_.empty() && runs_.back().index >= n)
        runs_.pop_back();
    lastRun_ = 0;
}

std::size_t TStepList::LowerBound(long long step) const {
    // The last run starting at or before the step holds it, or ends before it.
    const auto after = std::partition_point(runs_.begin(), runs_.end(),
                                            [step](const Run& r) { return r.step <= step; });
    if (after == runs_.begin()) return 0;
    const Run& run = *(after - 1);
    const std::size_t end = after == runs_.end() ? size_ : after->index;
    return std::min(end, run.index + static_cast<std::size_t>(step - run.step));
}

} // namespace veltra
