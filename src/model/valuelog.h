// The texts of the values an output has recorded, one entry per step. A value recorded again
// (a neuron that settles, a 0/1 signal) keeps a single copy of its digits: an entry is an
// index into the distinct texts, so a long value recorded many times costs its digits once
// plus four bytes per step.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace veltra {

class TValueLog {
public:
    void Append(std::string text);
    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const std::string& At(std::size_t i) const { return distinct_[entries_[i]]; }
    // Every entry's text, in order (a copy: for showing and comparing, not for long logs).
    std::vector<std::string> Texts() const;
    void Clear();
    // Keeps the first n entries (a run stepped back); the distinct texts stay for reuse.
    void Truncate(std::size_t n) {
        if (n < entries_.size()) entries_.resize(n);
    }

private:
    std::deque<std::string> distinct_; // a deque: its texts never move, so views stay valid
    std::unordered_map<std::string_view, std::uint32_t> index_;
    std::vector<std::uint32_t> entries_;
};

} // namespace veltra
