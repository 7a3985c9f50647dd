// Addition, multiplication and comparison of exact decimals, on aligned magnitudes.
#include "infinito.h"
#include "infinitoops.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace veltra {

namespace {

using mag::Limb;

std::size_t Offset(std::int32_t pos, std::int32_t low) {
    return std::size_t((pos - low) / GroupDigits);
}

bool AnyNonZero(const Limb* m, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (m[i] != 0) return true;
    }
    return false;
}

} // namespace

int TInfinitoOps::CompareMagnitudes(const TInfinito& a, const TInfinito& b) noexcept {
    std::size_t ta = a.size_;
    while (ta > 0 && a.data_[ta - 1] == 0)
        --ta;
    std::size_t tb = b.size_;
    while (tb > 0 && b.data_[tb - 1] == 0)
        --tb;
    if (ta == 0 || tb == 0) return ta == tb ? 0 : (ta == 0 ? -1 : 1);
    const std::int64_t topA = a.low_ + GroupDigits * std::int64_t(ta - 1);
    const std::int64_t topB = b.low_ + GroupDigits * std::int64_t(tb - 1);
    if (topA != topB) return topA < topB ? -1 : 1;
    // Same top Position: compare the overlap, then whichever reaches lower decides.
    const std::int32_t low = std::max(a.low_, b.low_);
    const std::size_t len = std::size_t((topA - low) / GroupDigits) + 1;
    const std::size_t ia = Offset(low, a.low_);
    const std::size_t ib = Offset(low, b.low_);
    if (int c = mag::Compare(a.data_ + ia, b.data_ + ib, len)) return c;
    if (AnyNonZero(a.data_, ia)) return 1;
    if (AnyNonZero(b.data_, ib)) return -1;
    return 0;
}

namespace {

// One operand seen from the result: its groups occupy [begin, end) of the result's groups.
struct Span {
    const Limb* data;
    std::size_t begin;
    std::size_t end;
    const Limb* At(std::size_t p, std::size_t q) const {
        return begin <= p && q <= end ? data + (p - begin) : nullptr;
    }
};

// r[0..n) = x + y (either may be absent, i.e. zero) + carry; returns the carry out.
Limb AddPiece(Limb* r, const Limb* x, const Limb* y, std::size_t n, Limb carry) {
    if (x != nullptr && y != nullptr) return mag::Add(r, x, y, n, carry);
    const Limb* one = x != nullptr ? x : y;
    if (one != nullptr) {
        std::memcpy(r, one, n * sizeof(Limb));
    } else {
        std::memset(r, 0, n * sizeof(Limb));
    }
    return mag::AddCarry(r, n, carry);
}

// r[0..n) = x - y - borrow, either absent meaning zero; returns the borrow out.
Limb SubPiece(Limb* r, const Limb* x, const Limb* y, std::size_t n, Limb borrow) {
    if (x != nullptr && y != nullptr) return mag::Sub(r, x, y, n, borrow);
    if (x != nullptr) {
        std::memcpy(r, x, n * sizeof(Limb));
        return mag::SubBorrow(r, n, borrow);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Limb v = (y != nullptr ? y[i] : 0) + borrow;
        borrow = v != 0;
        r[i] = borrow ? mag::Base - v : 0;
    }
    return borrow;
}

// Walks the result from its lowest group up, in pieces where each operand is either
// present throughout or absent throughout.
template <class Piece>
Limb Combine(Limb* r, std::size_t n, const Span& x, const Span& y, Limb carry, Piece piece) {
    std::size_t cuts[6] = {0, x.begin, x.end, y.begin, y.end, n};
    std::sort(cuts, cuts + 6);
    for (int k = 0; k < 5; ++k) {
        const std::size_t p = cuts[k];
        const std::size_t q = cuts[k + 1];
        if (p == q) continue;
        carry = piece(r + p, x.At(p, q), y.At(p, q), q - p, carry);
    }
    return carry;
}

// Short numbers: one plain loop over the result's groups beats cutting it into pieces.
constexpr std::size_t SmallGroups = 8;

Limb GroupOf(const Span& x, std::size_t i) {
    const std::size_t k = i - x.begin; // wraps below begin
    return k < x.end - x.begin ? x.data[k] : 0;
}

Limb AddSmall(Limb* r, std::size_t n, const Span& x, const Span& y) {
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Limb s = GroupOf(x, i) + GroupOf(y, i) + carry;
        carry = s >= mag::Base;
        r[i] = s - (carry ? mag::Base : 0);
    }
    return carry;
}

void SubSmall(Limb* r, std::size_t n, const Span& x, const Span& y) {
    Limb borrow = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Limb u = GroupOf(x, i);
        const Limb v = GroupOf(y, i) + borrow;
        borrow = u < v;
        r[i] = u - v + (borrow ? mag::Base : 0);
    }
}

Span SpanOf(const TInfinito& x, std::int32_t low) {
    const std::size_t begin = Offset(TInfinitoOps::Low(x), low);
    return {TInfinitoOps::Mags(x), begin, begin + TInfinitoOps::Size(x)};
}

} // namespace

void TInfinitoOps::AddInto(TInfinito& r, const TInfinito& a, const TInfinito& b) {
    if (a.size_ == 0 && b.size_ == 0) {
        Shape(r, 1, 0);
        r.data_[0] = 0;
        r.sign_ = 0;
        return;
    }
    if (a.size_ == 0 || b.size_ == 0) {
        r = a.size_ == 0 ? b : a;
        r.sign_ = static_cast<std::int8_t>(ValueSign(r));
        return;
    }
    const std::int32_t low = std::min(a.low_, b.low_);
    const std::int32_t top = std::max(Top(a), Top(b));
    const std::size_t n = Offset(top, low) + 1;
    const int sa = ValueSign(a);
    const int sb = ValueSign(b);
    if (sa * sb >= 0) {
        // Same-sign path: the sum's magnitude, one carry group more when it overflows.
        Shape(r, n, low, n + 1);
        if (a.low_ == b.low_ && a.size_ == b.size_) { // same layout: one straight pass
            const Limb c = mag::Add(r.data_, a.data_, b.data_, n);
            if (c != 0) PushTop(r, c);
            r.sign_ = static_cast<std::int8_t>(sa != 0 ? sa : sb);
            return;
        }
        const Limb c = n <= SmallGroups
                           ? AddSmall(r.data_, n, SpanOf(a, low), SpanOf(b, low))
                           : Combine(r.data_, n, SpanOf(a, low), SpanOf(b, low), 0, AddPiece);
        if (c != 0) PushTop(r, c);
        r.sign_ = static_cast<std::int8_t>(sa != 0 ? sa : sb);
        return;
    }
    // Opposite signs: the dominant magnitude less the other; equal magnitudes give zero.
    const int cmp = CompareMagnitudes(a, b);
    Shape(r, n, low);
    if (cmp == 0) {
        std::memset(r.data_, 0, n * sizeof(Limb));
        r.sign_ = 0;
        return;
    }
    const TInfinito& dom = cmp > 0 ? a : b;
    const TInfinito& other = cmp > 0 ? b : a;
    if (n <= SmallGroups) {
        SubSmall(r.data_, n, SpanOf(dom, low), SpanOf(other, low));
    } else {
        Combine(r.data_, n, SpanOf(dom, low), SpanOf(other, low), 0, SubPiece);
    }
    r.sign_ = dom.sign_;
}

bool TInfinitoOps::TryAddInPlace(TInfinito& x, const TInfinito& b) {
    if (x.size_ == 0 || b.size_ == 0) return false;
    const int sx = ValueSign(x);
    const int sb = ValueSign(b);
    const bool opposite = sx * sb < 0;
    const int cmp = opposite ? CompareMagnitudes(x, b) : 1;
    if (cmp < 0) return false; // the result takes b's sign: leave it to the general form
    if (b.low_ < x.low_ || Top(b) > Top(x)) {
        Widen(x, std::min(x.low_, b.low_), std::max(Top(x), Top(b)));
    }
    const std::size_t off = Offset(b.low_, x.low_);
    Limb* dst = x.data_ + off;
    const std::size_t above = x.size_ - off - b.size_;
    if (!opposite) {
        Limb c = mag::Add(dst, dst, b.data_, b.size_);
        c = mag::AddCarry(dst + b.size_, above, c);
        if (c != 0) PushTop(x, c);
        x.sign_ = static_cast<std::int8_t>(sx != 0 ? sx : sb);
        return true;
    }
    if (cmp == 0) {
        std::memset(x.data_, 0, x.size_ * sizeof(Limb));
        x.sign_ = 0;
        return true;
    }
    mag::SubBorrow(dst + b.size_, above, mag::Sub(dst, dst, b.data_, b.size_));
    return true;
}

void TInfinitoOps::ProductGroups(Limb* r, const TInfinito& a, const TInfinito& b) {
    const std::size_t n = std::size_t(a.size_) + b.size_;
    if (n <= TInfinito::InlineGroups) {
        // Short products: column sums of at most three products stay below 2^64; one carry
        // pass at the end.
        std::uint64_t col[TInfinito::InlineGroups] = {};
        for (std::size_t j = 0; j < b.size_; ++j) {
            for (std::size_t i = 0; i < a.size_; ++i) {
                col[i + j] += std::uint64_t(a.data_[i]) * b.data_[j];
            }
        }
        std::uint64_t carry = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint64_t v = col[k] + carry;
            carry = v / mag::Base;
            r[k] = Limb(v - carry * mag::Base);
        }
    } else {
        // Zero groups at either end of an operand (the 0 before the point of 0.5) only place
        // the product; the kernels see the significant groups alone.
        std::size_t a0 = 0, a1 = a.size_, b0 = 0, b1 = b.size_;
        while (a1 > 0 && a.data_[a1 - 1] == 0)
            --a1;
        while (a0 < a1 && a.data_[a0] == 0)
            ++a0;
        while (b1 > 0 && b.data_[b1 - 1] == 0)
            --b1;
        while (b0 < b1 && b.data_[b0] == 0)
            ++b0;
        if (a0 == a1 || b0 == b1) {
            std::memset(r, 0, n * sizeof(Limb));
        } else {
            const std::size_t from = a0 + b0;
            const std::size_t to = a1 + b1;
            std::memset(r, 0, from * sizeof(Limb));
            mag::Mul(r + from, a.data_ + a0, a1 - a0, b.data_ + b0, b1 - b0);
            std::memset(r + to, 0, (n - to) * sizeof(Limb));
        }
    }
}

void TInfinitoOps::MultiplyInto(TInfinito& r, const TInfinito& a, const TInfinito& b) {
    if (a.size_ == 0 || b.size_ == 0) {
        Shape(r, 1, 0);
        r.data_[0] = 0;
        r.sign_ = 1;
        return;
    }
    const std::int64_t low = std::int64_t(a.low_) + b.low_;
    const std::int64_t top = std::int64_t(Top(a)) + Top(b) + GroupDigits;
    if (low < -TInfinitoLimits::PositionBound - 1 || top > TInfinitoLimits::PositionBound) {
        // Said in the user's terms: how long the product would be, and the most there is.
        const bool whole = top > TInfinitoLimits::PositionBound;
        throw std::overflow_error(
            "the product would be too long: about " + std::to_string(whole ? top : -low) +
            " digits " + (whole ? "before" : "after") + " the point, more than the " +
            std::to_string(TInfinitoLimits::PositionBound) + " a number can hold");
    }
    const std::size_t n = std::size_t(a.size_) + b.size_;
    Shape(r, n, static_cast<std::int32_t>(low));
    ProductGroups(r.data_, a, b);
    if (r.data_[n - 1] == 0) --r.size_; // the top group exists only when it holds something
    const int s = ValueSign(a) * ValueSign(b);
    r.sign_ = static_cast<std::int8_t>(s < 0 ? -1 : 1);
}

TInfinito TInfinito::Add(const TInfinito& a, const TInfinito& b) {
    TInfinito r;
    TInfinitoOps::AddInto(r, a, b);
    return r;
}

TInfinito TInfinito::Multiply(const TInfinito& a, const TInfinito& b) {
    TInfinito r;
    TInfinitoOps::MultiplyInto(r, a, b);
    return r;
}

void TInfinito::AddInPlace(const TInfinito& b) {
    if (TInfinitoOps::TryAddInPlace(*this, b)) return;
    TInfinito r;
    TInfinitoOps::AddInto(r, *this, b);
    *this = std::move(r);
}

int TInfinito::Compare(const TInfinito& a, const TInfinito& b) {
    const int sa = TInfinitoOps::ValueSign(a);
    const int sb = TInfinitoOps::ValueSign(b);
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    const int c = TInfinitoOps::CompareMagnitudes(a, b);
    return sa > 0 ? c : -c;
}

bool TInfinito::GreaterThan(TInfinito& a, TInfinito& b) {
    a.Normalize();
    b.Normalize();
    return Compare(a, b) > 0;
}

bool TInfinito::EqualTo(TInfinito& a, TInfinito& b) {
    a.Normalize();
    b.Normalize();
    return Compare(a, b) == 0;
}

} // namespace veltra
