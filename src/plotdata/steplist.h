// The steps of a plotted series' points. No Qt here.
#pragma once

#include <cstddef>
#include <vector>

namespace veltra {

// The steps of a series' points, ascending, kept as runs of consecutive steps: a run records
// a point at every step, so its steps take a few words in all rather than one per point.
class TStepList {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    long long operator[](std::size_t i) const;
    long long front() const { return runs_.front().step; }
    long long back() const {
        return runs_.back().step + static_cast<long long>(size_ - 1 - runs_.back().index);
    }
    // A step beyond back().
    void push_back(long long step) { AppendRun(step, 1); }
    // `count` steps from `first` on, one apart (first beyond back()).
    void AppendRun(long long first, std::size_t count);
    // Keeps the first `n` steps (n no more than size()).
    void shrink(std::size_t n);
    // The index of the first step not below `step` (size() when there is none).
    std::size_t LowerBound(long long step) const;

private:
    struct Run {
        long long step;    // its first step
        std::size_t index; // the index of its first point
    };
    std::vector<Run> runs_;
    std::size_t size_ = 0;
    mutable std::size_t lastRun_ = 0; // a redraw reads neighbouring steps
};

} // namespace veltra
