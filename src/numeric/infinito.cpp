#include "infinito.h"

#include "infinitoops.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace veltra {

namespace {

using mag::Limb;

// Long numbers come and go at the same sizes (a sum per step, a product per synapse). Freed
// long blocks are kept for reuse, a few per thread: handing a block back to the system and
// faulting fresh pages in again costs more than the arithmetic on it.
class BlockCache {
public:
    static constexpr std::size_t MinGroups = 1024;
    BlockCache() = default;
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;
    ~BlockCache();
    // A kept block holding n groups with little slack, or nullptr; n becomes its capacity.
    Limb* Take(std::size_t& n) {
        for (std::size_t i = 0; i < count_; ++i) {
            if (blocks_[i].n >= n && blocks_[i].n <= n + n / 8) {
                Limb* p = blocks_[i].p;
                n = blocks_[i].n;
                blocks_[i] = blocks_[--count_];
                return p;
            }
        }
        return nullptr;
    }
    // Keeps the block; when full, the oldest kept block goes back to the system.
    void Keep(Limb* p, std::size_t n) {
        if (count_ == Slots) {
            std::allocator<Limb>().deallocate(blocks_[0].p, blocks_[0].n);
            std::move(blocks_ + 1, blocks_ + Slots, blocks_);
            --count_;
        }
        blocks_[count_++] = {p, n};
    }

private:
    static constexpr std::size_t Slots = 4;
    struct Block {
        Limb* p;
        std::size_t n;
    };
    Block blocks_[Slots] = {};
    std::size_t count_ = 0;
};

thread_local BlockCache gBlocks;
// Plain flag, valid even after gBlocks is gone: numbers released later (by static objects
// destroyed after this thread's locals) go straight back to the system.
thread_local bool gBlocksClosed = false;

BlockCache::~BlockCache() {
    for (std::size_t i = 0; i < count_; ++i) {
        std::allocator<Limb>().deallocate(blocks_[i].p, blocks_[i].n);
    }
    count_ = 0;
    gBlocksClosed = true;
}

// n may grow to the capacity of a reused block.
Limb* Allocate(std::size_t& n) {
    if (n >= BlockCache::MinGroups && !gBlocksClosed) {
        if (Limb* p = gBlocks.Take(n)) return p;
    }
    return std::allocator<Limb>().allocate(n);
}

void Release(Limb* p, std::size_t n) {
    if (n >= BlockCache::MinGroups && !gBlocksClosed) {
        gBlocks.Keep(p, n);
    } else {
        std::allocator<Limb>().deallocate(p, n);
    }
}

} // namespace

TInfinito::TInfinito() noexcept : data_(inline_) {}

TInfinito::TInfinito(std::string_view text) : TInfinito() {
    SetFromText(text);
}

TInfinito::TInfinito(const TInfinito& other) : TInfinito() {
    *this = other;
}

TInfinito::TInfinito(TInfinito&& other) noexcept : TInfinito() {
    *this = std::move(other);
}

TInfinito& TInfinito::operator=(const TInfinito& other) {
    if (this == &other) return *this;
    TInfinitoOps::Shape(*this, other.size_, other.low_);
    std::memcpy(data_, other.data_, other.size_ * sizeof(Limb));
    sign_ = other.sign_;
    return *this;
}

TInfinito& TInfinito::operator=(TInfinito&& other) noexcept {
    if (this == &other) return *this;
    if (other.data_ != other.inline_) {
        if (data_ != inline_) Release(data_, capacity_);
        data_ = other.data_;
        capacity_ = other.capacity_;
        other.data_ = other.inline_;
        other.capacity_ = InlineGroups;
    } else {
        // Fits inline here too, so no allocation can happen.
        TInfinitoOps::Shape(*this, other.size_, other.low_);
        std::memcpy(data_, other.data_, other.size_ * sizeof(Limb));
    }
    size_ = other.size_;
    low_ = other.low_;
    sign_ = other.sign_;
    other.size_ = 0;
    other.low_ = 0;
    other.sign_ = 0;
    return *this;
}

TInfinito::~TInfinito() {
    if (data_ != inline_) Release(data_, capacity_);
}

void TInfinitoOps::Shape(TInfinito& x, std::size_t n, std::int32_t low, std::size_t room) {
    room = std::max(room, n);
    if (room > x.capacity_) {
        Limb* fresh = Allocate(room);
        if (x.data_ != x.inline_) Release(x.data_, x.capacity_);
        x.data_ = fresh;
        x.capacity_ = static_cast<std::uint32_t>(room);
    }
    x.size_ = static_cast<std::uint32_t>(n);
    x.low_ = low;
}

void TInfinitoOps::Widen(TInfinito& x, std::int32_t low, std::int32_t top) {
    const std::size_t below = static_cast<std::size_t>((x.low_ - low) / GroupDigits);
    const std::size_t n = static_cast<std::size_t>((top - low) / GroupDigits) + 1;
    const std::size_t above = n - below - x.size_;
    if (n + 1 > x.capacity_) {
        std::size_t cap = std::max(n + 1, std::size_t(x.capacity_) + x.capacity_ / 2);
        Limb* fresh = Allocate(cap);
        std::memcpy(fresh + below, x.data_, x.size_ * sizeof(Limb));
        if (x.data_ != x.inline_) Release(x.data_, x.capacity_);
        x.data_ = fresh;
        x.capacity_ = static_cast<std::uint32_t>(cap);
    } else {
        std::memmove(x.data_ + below, x.data_, x.size_ * sizeof(Limb));
    }
    std::memset(x.data_, 0, below * sizeof(Limb));
    std::memset(x.data_ + below + x.size_, 0, above * sizeof(Limb));
    x.size_ = static_cast<std::uint32_t>(n);
    x.low_ = low;
}

void TInfinitoOps::PushTop(TInfinito& x, Limb m) {
    if (x.size_ == x.capacity_) {
        std::size_t cap = std::max<std::size_t>(2 * std::size_t(x.capacity_), 8);
        Limb* fresh = Allocate(cap);
        std::memcpy(fresh, x.data_, x.size_ * sizeof(Limb));
        if (x.data_ != x.inline_) Release(x.data_, x.capacity_);
        x.data_ = fresh;
        x.capacity_ = static_cast<std::uint32_t>(cap);
    }
    x.data_[x.size_++] = m;
}

void TInfinito::Clear() noexcept {
    if (data_ != inline_) Release(data_, capacity_);
    data_ = inline_;
    capacity_ = InlineGroups;
    size_ = 0;
    low_ = 0;
    sign_ = 0;
}

TInfinito TInfinito::Negated() const {
    TInfinito r(*this);
    r.sign_ = static_cast<std::int8_t>(-sign_);
    return r;
}

bool TInfinito::ScanForZero() const noexcept {
    for (std::uint32_t i = 1; i + 1 < size_; ++i) {
        if (data_[i] != 0) return false;
    }
    return true;
}

void TInfinito::Swap(TInfinito& other) noexcept {
    if (this == &other) return;
    // Short numbers live in their own inline groups: trade those too, then point each
    // number that was inline at its new inline groups. Two long numbers (a neuron's sum and
    // activity, mostly) only trade their buffers.
    const bool wasInline = data_ == inline_;
    const bool otherWasInline = other.data_ == other.inline_;
    if (wasInline || otherWasInline) std::swap(inline_, other.inline_);
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(size_, other.size_);
    std::swap(low_, other.low_);
    std::swap(sign_, other.sign_);
    if (wasInline) other.data_ = other.inline_;
    if (otherWasInline) data_ = inline_;
}

TInfinitoNo TInfinito::GroupAt(int index) const {
    if (index < 0 || static_cast<std::uint32_t>(index) >= size_) {
        throw std::out_of_range("TInfinito::GroupAt: no group at index " + std::to_string(index));
    }
    const std::uint32_t i = size_ - 1 - static_cast<std::uint32_t>(index);
    return {sign_ < 0 ? -std::int64_t(data_[i]) : std::int64_t(data_[i]),
            low_ + GroupDigits * static_cast<std::int32_t>(i)};
}

TInfinitoNo TInfinito::LeadingGroup() const {
    for (std::uint32_t i = size_; i-- > 0;) {
        if (data_[i] != 0) {
            return {sign_ < 0 ? -std::int64_t(data_[i]) : std::int64_t(data_[i]),
                    low_ + GroupDigits * static_cast<std::int32_t>(i)};
        }
    }
    return {};
}

void TInfinito::InsertGroup(const TInfinitoNo& g) {
    if (g.Value <= -TInfinitoNo::Base || g.Value >= TInfinitoNo::Base ||
        g.Position % GroupDigits != 0) {
        throw std::invalid_argument("TInfinito::InsertGroup: not a group");
    }
    const int gSign = g.Value < 0 ? -1 : (g.Value > 0 ? 1 : 0);
    // Every group carries the number's sign; a group of the other sign has no place here.
    if (gSign != 0 && sign_ != 0 && gSign != sign_ && !IsZero()) {
        throw std::invalid_argument("TInfinito::InsertGroup: group of the other sign");
    }
    const Limb m = static_cast<Limb>(g.Value < 0 ? -g.Value : g.Value);
    if (gSign != 0 && (sign_ == 0 || IsZero())) sign_ = static_cast<std::int8_t>(gSign);
    if (size_ == 0) {
        TInfinitoOps::Shape(*this, 1, g.Position);
        data_[0] = m;
        return;
    }
    const std::int32_t top = TInfinitoOps::Top(*this);
    if (g.Position > top) {
        // Groups stay contiguous: any Position skipped over becomes a zero group.
        for (std::int32_t p = top + GroupDigits; p < g.Position; p += GroupDigits)
            TInfinitoOps::PushTop(*this, 0);
        TInfinitoOps::PushTop(*this, m);
        return;
    }
    if (g.Position >= low_) {
        throw std::invalid_argument("TInfinito::InsertGroup: Position already taken");
    }
    const std::size_t extra = static_cast<std::size_t>((low_ - g.Position) / GroupDigits);
    TInfinito wider;
    TInfinitoOps::Shape(wider, size_ + extra, g.Position);
    std::fill(wider.data_, wider.data_ + extra, 0);
    wider.data_[0] = m;
    std::memcpy(wider.data_ + extra, data_, size_ * sizeof(Limb));
    wider.sign_ = sign_;
    *this = std::move(wider);
}

void TInfinito::Normalize() {
    std::uint32_t drop = 0;
    const std::uint32_t n = NormalSpan(data_, size_, drop);
    if (drop > 0) {
        std::memmove(data_, data_ + drop, n * sizeof(Limb));
        low_ += GroupDigits * static_cast<std::int32_t>(drop);
    }
    size_ = n;
    if (n == 1 && data_[0] == 0) {
        low_ = 0;
        sign_ = 0;
    }
}

std::size_t TInfinito::HeapBytes() const noexcept {
    return data_ == inline_ ? 0 : capacity_ * sizeof(Limb);
}

} // namespace veltra
