#include "model/valuelog.h"

namespace veltra {

void TValueLog::Append(std::string text) {
    // Runs of one value are the common case: no hashing of a long text for them.
    if (!entries_.empty() && distinct_[entries_.back()] == text) {
        entries_.push_back(entries_.back());
        return;
    }
    if (auto it = index_.find(text); it != index_.end()) {
        entries_.push_back(it->second);
        return;
    }
    const auto id = static_cast<std::uint32_t>(distinct_.size());
    distinct_.push_back(std::move(text));
    try {
        index_.emplace(distinct_.back(), id);
        entries_.push_back(id);
    } catch (...) {
        index_.erase(distinct_.back());
        distinct_.pop_back();
        throw;
    }
}

std::vector<std::string> TValueLog::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (const std::uint32_t id : entries_)
        texts.push_back(distinct_[id]);
    return texts;
}

void TValueLog::Clear() {
    index_.clear();
    distinct_.clear();
    entries_.clear();
}

} // namespace veltra
