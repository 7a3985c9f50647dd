#include "model/weightpool.h"

#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace veltra {

namespace {

struct TShared {
    TInfinito value;
    std::size_t shares = 0;
};
// A shared number's address is its entry's: ShareAgain finds the count from it.
static_assert(std::is_standard_layout_v<TShared>);

// Synapses are made and released on any thread that edits a net, so the table has a lock.
class TTable {
public:
    TTable() = default;
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;
    ~TTable() { closed = true; }

    std::mutex mutex;
    std::unordered_map<std::uint64_t, std::vector<std::unique_ptr<TShared>>> buckets;
    std::size_t count = 0;
    // Set once the table is gone: synapses released later still (by objects destroyed after it
    // at exit) let go of nothing.
    static inline bool closed = false;
};

TTable& Table() {
    static TTable table;
    return table;
}

} // namespace

const TInfinito* TWeightPool::Unset() {
    static const TInfinito unset("0");
    return &unset;
}

const TInfinito* TWeightPool::Share(const TInfinito& weight) {
    const std::uint64_t hash = weight.FormHash();
    TTable& table = Table();
    const std::lock_guard<std::mutex> lock(table.mutex);
    std::vector<std::unique_ptr<TShared>>& bucket = table.buckets[hash];
    for (const auto& shared : bucket) {
        if (TInfinito::SameForm(shared->value, weight)) {
            ++shared->shares;
            return &shared->value;
        }
    }
    bucket.push_back(std::make_unique<TShared>(TShared{weight, 1}));
    ++table.count;
    return &bucket.back()->value;
}

void TWeightPool::Release(const TInfinito* weight) noexcept {
    if (weight == nullptr || weight == Unset() || TTable::closed) return;
    TTable& table = Table();
    const std::lock_guard<std::mutex> lock(table.mutex);
    auto bucket = table.buckets.find(weight->FormHash());
    if (bucket == table.buckets.end()) return;
    std::vector<std::unique_ptr<TShared>>& shared = bucket->second;
    for (std::size_t i = 0; i < shared.size(); ++i) {
        if (&shared[i]->value != weight) continue;
        if (--shared[i]->shares == 0) {
            shared.erase(shared.begin() + std::ptrdiff_t(i));
            --table.count;
            if (shared.empty()) table.buckets.erase(bucket);
        }
        return;
    }
}

void TWeightPool::ShareAgain(const TInfinito* shared) noexcept {
    if (shared == nullptr || shared == Unset()) return;
    TTable& table = Table();
    const std::lock_guard<std::mutex> lock(table.mutex);
    ++reinterpret_cast<TShared*>(const_cast<TInfinito*>(shared))->shares;
}

std::size_t TWeightPool::Count() {
    TTable& table = Table();
    const std::lock_guard<std::mutex> lock(table.mutex);
    return table.count;
}

} // namespace veltra
