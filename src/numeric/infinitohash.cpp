#include "numeric/infinito.h"

#include <cstring>

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
    const std::uint32_t span = high - low;
    std::uint64_t h = Mix(sign_ < 0 ? 1 : 2,
                          static_cast<std::uint64_t>(static_cast<std::int64_t>(low_) + 8 * low));
    h = Mix(h, span);
    // A long number is hashed by a sample: its 8 lowest and 8 highest groups and 16 spread
    // between them. A state is hashed after every step, and hashing every group cost as much
    // as the step's own multiplications; a sample that matches by chance only costs an exact
    // comparison, which a repeat needs anyway. Four lanes keep the multiplications apart.
    constexpr std::uint64_t K = 0x9fb21c651e98df25ULL;
    std::uint64_t a = 1, b = 2, c = 3, d = 4;
    if (span <= 32) {
        std::uint32_t i = low;
        for (; i + 4 <= high; i += 4) {
            a = (a + data_[i]) * K;
            b = (b + data_[i + 1]) * K;
            c = (c + data_[i + 2]) * K;
            d = (d + data_[i + 3]) * K;
        }
        for (; i < high; ++i)
            a = (a + data_[i]) * K;
    } else {
        for (std::uint32_t k = 0; k < 8; ++k) {
            a = (a + data_[low + k]) * K;
            b = (b + data_[high - 1 - k]) * K;
        }
        const std::uint32_t stride = (span - 16) / 17 + 1;
        std::uint32_t at = low + 8 + stride / 2;
        for (std::uint32_t k = 0; k < 16 && at < high - 8; ++k, at += stride) {
            if (k % 2)
                c = (c + data_[at]) * K;
            else
                d = (d + data_[at]) * K;
        }
    }
    return Mix(Mix(Mix(Mix(h, a), b), c), d);
}

bool TInfinito::SameForm(const TInfinito& a, const TInfinito& b) noexcept {
    return a.sign_ == b.sign_ && a.size_ == b.size_ && a.low_ == b.low_ &&
           std::memcmp(a.data_, b.data_, a.size_ * sizeof(std::uint32_t)) == 0;
}

std::uint64_t TInfinito::FormHash() const noexcept {
    std::uint64_t h = Mix(std::uint64_t(sign_ + 2) << 32 | size_, std::uint32_t(low_));
    // Weights, which this serves, are mostly a group or two: those are hashed whole, a long
    // one by the sample of ValueHash.
    if (size_ <= 2)
        return Mix(h, std::uint64_t(size_ > 0 ? data_[0] : 0) << 32 | (size_ > 1 ? data_[1] : 0));
    return Mix(h, ValueHash());
}

} // namespace veltra
