// acc += a * b in one pass over the accumulator: the step's hot path (a weight of one or two
// groups times a long activity). Value, sign and group layout are those of
// Add(acc, Multiply(a, b)); anything unusual takes that very route. The vector rows it takes
// for one-group weights are kernels of their own (magnitude_avx2.cpp, magnitude_avx512.cpp).
#include "infinito.h"
#include "infinitoops.h"
#include "magnitude_kernels.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace veltra {

namespace {

using mag::Base;
using mag::Limb;

// What taking a product out of an accumulator leaves: the borrow out of its top group, and
// whether the product's own top group is non-zero (which decides the difference's length).
struct TDifference {
    Limb borrow;
    bool topNonZero;
};

// x[0..m+K) +/-= w * v, w of K groups (K = 1 or 2), v of m groups. The product's own groups
// are formed on the fly: each partial product splits into a low and a high group
// independently, so the loop carries only small carries. A sum folds the product's carry
// into the accumulator's and returns the carry out of x[m+K-1]; a difference keeps them
// apart, as it needs the product's top group, and returns a TDifference.
template <int K, bool Subtract>
auto AddMulRow(Limb* x, const Limb* v, std::size_t m, const Limb* w) {
    std::uint64_t high = 0; // high group of the previous partial product (below 2 * Base)
    Limb pc = 0;            // carry inside the product (differences only)
    Limb c = 0;             // carry or borrow of the accumulator
    Limb digit = 0;
    auto step = [&](std::uint64_t t, Limb& acc) {
        const std::uint64_t q = t / Base;
        const Limb lo = Limb(t - q * Base);
        if constexpr (Subtract) {
            Limb d = lo + Limb(high) + pc;
            if constexpr (K == 1) {
                pc = d >= Base;
                d -= pc ? Base : 0;
            } else {
                pc = d / Base; // up to 3 with two groups
                d -= pc * Base;
            }
            digit = d;
            const Limb take = d + c;
            c = acc < take;
            acc = acc - take + (c ? Base : 0);
        } else {
            // Below 3 * Base + 2 with one group, 4 * Base + 3 with two: fits in 32 bits.
            Limb s = acc + lo + Limb(high) + c;
            if constexpr (K == 1) {
                c = Limb(s >= Base) + Limb(s >= 2 * Base);
            } else {
                c = s / Base;
            }
            s -= c * Base;
            acc = s;
        }
        high = q;
    };
    const std::uint64_t w0 = w[0];
    if constexpr (K == 1) {
        for (std::size_t i = 0; i < m; ++i)
            step(w0 * v[i], x[i]);
        step(0, x[m]);
    } else {
        const std::uint64_t w1 = w[1];
        step(w0 * v[0], x[0]);
        for (std::size_t i = 1; i < m; ++i)
            step(w0 * v[i] + w1 * v[i - 1], x[i]);
        step(w1 * v[m - 1], x[m]);
        step(0, x[m + 1]);
    }
    if constexpr (Subtract)
        return TDifference{c, digit != 0};
    else
        return c;
}

// The same for one group and a long value, through the (vector) product and sum kernels in
// blocks small enough to stay in the first-level cache: the accumulator is still walked once.
// Returns what AddMulRow does.
template <bool Subtract> auto AddMulBlocks(Limb* x, const Limb* v, std::size_t m, Limb w) {
    constexpr std::size_t Block = 64;
    Limb product[Block];
    Limb high = 0;
    Limb c = 0;
    for (std::size_t i = 0; i < m; i += Block) {
        const std::size_t len = std::min(Block, m - i);
        high = mag::MulWord(product, v + i, len, w, high);
        c = Subtract ? mag::Sub(x + i, x + i, product, len, c)
                     : mag::Add(x + i, x + i, product, len, c);
    }
    product[0] = high; // the product's top group
    c = Subtract ? mag::Sub(x + m, x + m, product, 1, c) : mag::Add(x + m, x + m, product, 1, c);
    if constexpr (Subtract)
        return TDifference{c, high != 0};
    else
        return c;
}

#if VELTRA_HAVE_X86_KERNELS

using mag::detail::RowMode;

// The one-group row on the widest vectors in use.
template <RowMode Mode> inline Limb Row(Limb* x, const Limb* v, std::size_t m, Limb w) {
    return mag::WideRowsInUse() ? mag::detail::RowAvx512<Mode>(x, v, m, w)
                                : mag::detail::RowAvx2<Mode>(x, v, m, w);
}

// Whether w * v[0..m) for one group w has a non-zero top group (the one at index m): 1 or 0,
// or -1 when its two top groups leave it open. With h = w*v[m-1] + high(w*v[m-2]) the product
// lies in [h, h + 2) times Base^(m-1): below the carries of the lower groups can add.
int ProductTopNonZero(const Limb* v, std::size_t m, Limb w) {
    const std::uint64_t h =
        std::uint64_t(w) * v[m - 1] + (m >= 2 ? std::uint64_t(w) * v[m - 2] / Base : 0);
    if (m == 1 || h >= Base) return h >= Base ? 1 : 0;
    return h + 2 <= Base ? 0 : -1;
}

// Below this many groups the scalar loops win over the vector set-up.
constexpr std::size_t VectorRowMin = 3;

#endif

// Long values go through the vector kernels block by block.
constexpr std::size_t BlockMin = 16;

// x[0..m+k) += w * v for a weight w of k groups (1 or 2); returns the carry out of x[m+k-1].
Limb AddMul(Limb* x, const Limb* v, std::size_t m, const Limb* w, std::size_t k) {
#if VELTRA_HAVE_X86_KERNELS
    if (k == 1 && m >= VectorRowMin && mag::VectorKernelsInUse())
        return Row<RowMode::Add>(x, v, m, w[0]);
#endif
    if (k == 1 && m >= BlockMin) return AddMulBlocks<false>(x, v, m, w[0]);
    if (k == 1) return AddMulRow<1, false>(x, v, m, w);
    return AddMulRow<2, false>(x, v, m, w);
}

// x[0..m+k) -= w * v for a weight w of k groups (1 or 2).
TDifference SubMul(Limb* x, const Limb* v, std::size_t m, const Limb* w, std::size_t k) {
#if VELTRA_HAVE_X86_KERNELS
    // The vector row forms no top group: it is told beforehand where the top groups tell it.
    if (k == 1 && m >= VectorRowMin && mag::VectorKernelsInUse()) {
        const int top = ProductTopNonZero(v, m, w[0]);
        if (top >= 0) return {Row<RowMode::Subtract>(x, v, m, w[0]), top == 1};
    }
#endif
    if (k == 1 && m >= BlockMin) return AddMulBlocks<true>(x, v, m, w[0]);
    if (k == 1) return AddMulRow<1, true>(x, v, m, w);
    return AddMulRow<2, true>(x, v, m, w);
}

// r[0..n] := w * a[0..n), the top group r[n] included: the first product of a sum. The
// vector row takes short runs too (MulWord keeps its portable loop for them). A weight of
// one group 1 (1, 10^8, 10^-8 ...) only moves the groups: a copy, many times faster than the
// row, and the weight with which a net passes a long value on unchanged.
void MulWordInto(Limb* r, const Limb* a, std::size_t n, Limb w) {
    if (w == 1) {
        std::memcpy(r, a, n * sizeof(Limb));
        r[n] = 0;
        return;
    }
#if VELTRA_HAVE_X86_KERNELS
    if (n >= VectorRowMin && mag::VectorKernelsInUse()) {
        Row<RowMode::Store>(r, a, n, w);
        return;
    }
#endif
    r[n] = mag::MulWord(r, a, n, w);
}

// x[0..n) := 0, without a call for the few groups it mostly is (up to four: the stores
// overlap for fewer).
[[gnu::always_inline]] inline void ZeroGroups(Limb* x, std::size_t n) {
    if (n > 4) {
        std::memset(x, 0, n * sizeof(Limb));
    } else if (n >= 2) {
        x[0] = 0;
        x[1] = 0;
        x[n - 2] = 0;
        x[n - 1] = 0;
    } else if (n != 0) {
        x[0] = 0;
    }
}

// x := B^n - x for a wrapped difference (the other operand was the larger). Not inlined:
// inlined into the routes the compiler left the long loop scalar, on its own it vectorizes it.
[[gnu::noinline]] void Complement(Limb* x, std::size_t n) {
    std::size_t i = 0;
    while (i < n && x[i] == 0)
        ++i;
    if (i == n) return;
    x[i] = Base - x[i];
    for (++i; i < n; ++i)
        x[i] = Base - 1 - x[i];
}

// x[0..m] +/-= w * v[0..m) for one group w; the carry or borrow out of x[m]. What AddMul and
// SubMul do for a one-group weight, without the product's top group, which a sum spanning the
// product never needs.
inline Limb AddMulOne(Limb* x, const Limb* v, std::size_t m, Limb w, bool subtract) {
    if (w == 1) // a sum or a difference: the product's top group is 0
        return subtract ? mag::SubBorrow(x + m, 1, mag::Sub(x, x, v, m))
                        : mag::AddCarry(x + m, 1, mag::Add(x, x, v, m));
#if VELTRA_HAVE_X86_KERNELS
    if (m >= VectorRowMin && mag::VectorKernelsInUse())
        return subtract ? Row<RowMode::Subtract>(x, v, m, w) : Row<RowMode::Add>(x, v, m, w);
#endif
    if (m >= BlockMin)
        return subtract ? AddMulBlocks<true>(x, v, m, w).borrow : AddMulBlocks<false>(x, v, m, w);
    return subtract ? AddMulRow<1, true>(x, v, m, &w).borrow : AddMulRow<1, false>(x, v, m, &w);
}

} // namespace

[[gnu::always_inline]] inline bool TInfinito::AddShortProduct(const TInfinito& w,
                                                              const TInfinito& v) {
    const std::size_t m = v.size_;
    std::uint32_t xn = size_;
    // A sum without groups counts as zero but is not widened: it takes the general route.
    if (v.data_[m - 1] != 0) {
        const int sp = w.sign_ * v.sign_;
        const std::int64_t low = std::int64_t(w.low_) + v.low_;
        const std::int64_t candTop = low + std::int64_t{GroupDigits} * std::int64_t(m);
        std::int32_t xLow = low_;
        const std::int64_t xTop =
            std::int64_t(xLow) + std::int64_t{GroupDigits} * (std::int64_t(xn) - 1);
        Limb* d = data_;
        if (sp != 0 && low >= -TInfinitoLimits::PositionBound - 1 &&
            candTop <= TInfinitoLimits::PositionBound) {
            // The differences of Positions below are not negative: divided unsigned, they
            // take a shift even where the compiler would rather save bytes than time.
            if (xn == 1 && d[0] == 0) {
                // The cleared sum: the product's groups, with zero groups for the sum's own
                // Position outside them, and the product's top group only when it is not zero
                // or the sum's group stands there.
                const std::int64_t nLow = std::min<std::int64_t>(xLow, low);
                const std::int64_t nTop = std::max<std::int64_t>(xLow, candTop);
                const std::size_t n = std::size_t(nTop - nLow) / GroupDigits + 1;
                if (n + 1 > capacity_) {
                    TInfinitoOps::Shape(*this, n, std::int32_t(nLow), n + n / 2 + 1);
                    d = data_;
                } else {
                    size_ = std::uint32_t(n);
                    low_ = std::int32_t(nLow);
                }
                const std::size_t below = std::size_t(low - nLow) / GroupDigits;
                ZeroGroups(d, below);
                ZeroGroups(d + below + m + 1, n - below - m - 1);
                MulWordInto(d + below, v.data_, m, w.data_[0]);
                sign_ = static_cast<std::int8_t>(sp);
                if (d[below + m] == 0 && candTop > xLow) size_ = std::uint32_t(n - 1);
                return true;
            }
            if (sign_ != 0 && xn != 0 && candTop <= xTop) {
                // A signed sum reaching as high as the product: zero groups below it where the
                // product reaches lower, as the general route adds them, then only carries or
                // borrows. Whether the sum is zero is not asked (its end groups often are: a
                // one-digit weight times a group ending in zeros leaves a product's lowest
                // group zero): a sum of zero groups gets the groups and sign the general route
                // writes into zeros all the same, adding giving them directly and subtracting
                // borrowing out of the top, whose complement is the product again under the
                // product's sign.
                if (low < xLow) {
                    TInfinitoOps::Widen(*this, std::int32_t(low), std::int32_t(xTop));
                    d = data_;
                    xn = size_;
                    xLow = std::int32_t(low);
                }
                Limb* p = d + std::size_t(low - xLow) / GroupDigits;
                const bool subtract = sign_ != sp;
                const Limb c = AddMulOne(p, v.data_, m, w.data_[0], subtract);
                if (c != 0) {
                    Limb* above = p + m + 1;
                    const std::size_t rest = xn - std::size_t(above - d);
                    if (!subtract) {
                        const Limb out = mag::AddCarry(above, rest, c);
                        if (out != 0) TInfinitoOps::PushTop(*this, out);
                    } else if (mag::SubBorrow(above, rest, c) != 0) {
                        // The product outweighed the sum: the wrapped difference, complemented.
                        Complement(d, xn);
                        sign_ = static_cast<std::int8_t>(sp);
                    } else if (IsZero()) {
                        sign_ = 0;
                    }
                } else if (subtract && IsZero()) {
                    sign_ = 0; // equal magnitudes cancel to an unsigned zero
                }
                return true;
            }
        }
    }
    return false;
}

void TInfinito::AddProduct(const TInfinito& a, const TInfinito& b) {
    // A neuron's products mostly are a non-zero weight of one group times a non-zero activity,
    // written into a sum just cleared or added to (or taken from) a signed sum that reaches at
    // least as high as the product. Those take the short route (AddShortProduct), which keeps
    // the group layout and sign of the general one; anything else (zeros, longer weights, a
    // product reaching above the sum) goes on to AddProductGeneral.
    const bool aShorter = a.size_ <= b.size_;
    const TInfinito& w = aShorter ? a : b;
    const TInfinito& v = aShorter ? b : a;
    // A one-group weight leaves the other operand at least one group.
    if (w.size_ == 1 && this != &a && this != &b && w.data_[0] != 0 && AddShortProduct(w, v))
        return;
    AddProductGeneral(a, b);
}

void TInfinito::AddOneGroupProduct(const TInfinito& w, const TInfinito& v) {
    // w is the shorter operand (or as long as v), as AddProduct would choose it.
    if (AddShortProduct(w, v)) return;
    AddProductGeneral(w, v);
}

void TInfinito::AddProductGeneral(const TInfinito& a, const TInfinito& b) {
    const bool aliased = &a == this || &b == this;
    bool fits = !aliased && size_ != 0 && a.size_ != 0 && b.size_ != 0;
    std::int64_t low = 0, candTop = 0;
    if (fits) {
        low = std::int64_t(a.low_) + b.low_;
        candTop = std::int64_t(TInfinitoOps::Top(a)) + TInfinitoOps::Top(b) + GroupDigits;
        fits =
            low >= -TInfinitoLimits::PositionBound - 1 && candTop <= TInfinitoLimits::PositionBound;
    }
    const int sx = fits ? TInfinitoOps::ValueSign(*this) : 0;
    // The weight: the shorter operand, if it has at most two groups.
    const TInfinito& w = a.size_ <= b.size_ ? a : b;
    const TInfinito& v = a.size_ <= b.size_ ? b : a;
    if (!fits || (sx != 0 && w.size_ > 2)) {
        thread_local TInfinito scratch; // groups reused from one contribution to the next
        TInfinitoOps::MultiplyInto(scratch, a, b);
        AddInPlace(scratch);
        if (scratch.HeapBytes() > (std::size_t(1) << 20)) scratch.Clear();
        return;
    }
    const int sp = TInfinitoOps::ValueSign(a) * TInfinitoOps::ValueSign(b);
    const std::int32_t xTop = TInfinitoOps::Top(*this);
    const std::size_t pn = std::size_t(a.size_) + b.size_; // product groups, top one included
    const std::int32_t nLow = std::min<std::int32_t>(low_, std::int32_t(low));
    const std::int32_t nTop = std::max<std::int32_t>(xTop, std::int32_t(candTop));
    bool topNonZero = false; // whether the product's top group is non-zero
    if (sx == 0) {
        // A zero accumulator (a sum just cleared) takes the product's groups as they are,
        // with zero groups for its own Positions outside them.
        const std::size_t n = std::size_t((std::int64_t(nTop) - nLow) / GroupDigits) + 1;
        // Room for a carry group, and to spare when the sum outgrows its buffer: values that
        // gain digits every step then reallocate only now and then.
        if (n + 1 > capacity_) {
            TInfinitoOps::Shape(*this, n, nLow, n + n / 2 + 1);
        } else {
            size_ = std::uint32_t(n);
            low_ = nLow;
        }
        const std::size_t below = std::size_t((low - nLow) / GroupDigits);
        // Mostly nothing or a group or two (the cleared sum's group at Position 0 above a
        // fraction): no call for those.
        ZeroGroups(data_, below);
        ZeroGroups(data_ + below + pn, n - below - pn);
        if (w.size_ == 1) {
            MulWordInto(data_ + below, v.data_, v.size_, w.data_[0]);
        } else {
            TInfinitoOps::ProductGroups(data_ + below, a, b);
        }
        topNonZero = data_[below + pn - 1] != 0;
        sign_ = static_cast<std::int8_t>(sp);
    } else {
        if (nLow < low_ || nTop > xTop) TInfinitoOps::Widen(*this, nLow, nTop);
        Limb* p = data_ + (std::int32_t(low) - low_) / GroupDigits;
        const bool subtract = sx * sp < 0;
        // After a sum the top group is zero only when the product's is and nothing carried
        // into it, which the test below sees directly; a difference needs to be told.
        Limb c;
        if (subtract) {
            const TDifference d = SubMul(p, v.data_, v.size_, w.data_, w.size_);
            c = d.borrow;
            topNonZero = d.topNonZero;
        } else {
            c = AddMul(p, v.data_, v.size_, w.data_, w.size_);
        }
        Limb* above = p + pn;
        const std::size_t rest = size_ - std::size_t(above - data_);
        if (!subtract) {
            if (c != 0) c = mag::AddCarry(above, rest, c);
            if (c != 0) TInfinitoOps::PushTop(*this, c);
        } else if (c != 0 && mag::SubBorrow(above, rest, c) != 0) {
            // The product outweighed the accumulator: the wrapped difference, complemented.
            Complement(data_, size_);
            sign_ = static_cast<std::int8_t>(sp);
        } else if (TInfinitoOps::ValueSign(*this) == 0) {
            sign_ = 0; // equal magnitudes cancel to an unsigned zero
        }
    }
    // The product's top Position holds a group only when it is non-zero; above the
    // accumulator's own groups a zero there is not part of the sum.
    if (!topNonZero && candTop > xTop && TInfinitoOps::Top(*this) == candTop &&
        data_[size_ - 1] == 0)
        --size_;
}

} // namespace veltra
