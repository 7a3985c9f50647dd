#include "numeric/infinito.h"

namespace veltra {

namespace {

constexpr std::uint64_t Mix(std::uint64_t h, std::uint64_t word) noexcept {
    h ^= word + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdULL;
}

} // namespace

std::uint64_t TInfinito::ValueHash() const noexcept {
    // Only the span between the outermost non-zero groups carries the value.
    std::uint32_t low = 0;
    std::uint32_t high = size_;
    while (low < high && data_[low] == 0)
        ++low;
    while (high > low && data_[high - 1] == 0)
        --high;
    if (low == high) return 0x5a17e0ULL; // every zero, signed or not
    std::uint64_t h = Mix(sign_ < 0 ? 1 : 2,
                          static_cast<std::uint64_t>(static_cast<std::int64_t>(low_) + 8 * low));
    std::uint32_t i = low;
    for (; i + 1 < high; i += 2)
        h = Mix(h, (static_cast<std::uint64_t>(data_[i + 1]) << 32) | data_[i]);
    if (i < high) h = Mix(h, data_[i]);
    return h;
}

} // namespace veltra
