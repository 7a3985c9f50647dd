#include "magnitude.h"

#include "contract.h"
#include "infinito.h"
#include "magnitude_kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace veltra::mag {

// Measured on x86-64 with the vector row products: the column method wins up to about
// 100-200 groups (bench_decimal, mul_nn).
std::size_t KaratsubaThreshold = 128;

namespace detail {

Limb AddPortable(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry) {
    for (std::size_t i = 0; i < n; ++i) {
        Limb s = a[i] + b[i] + carry; // below 2 * Base, fits in 32 bits
        carry = s >= Base;
        r[i] = s - (carry ? Base : 0);
    }
    return carry;
}

Limb SubPortable(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow) {
    for (std::size_t i = 0; i < n; ++i) {
        Limb s = a[i] - b[i] - borrow; // wraps when negative
        borrow = a[i] < b[i] + borrow;
        r[i] = s + (borrow ? Base : 0);
    }
    return borrow;
}

int ComparePortable(const Limb* a, const Limb* b, std::size_t n) {
    for (std::size_t i = n; i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

void RowMulAddPortable(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w) {
    for (std::size_t i = 0; i < n; ++i)
        acc[i] += std::uint64_t(a[i]) * w;
}

void RowMulSubPortable(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w) {
    for (std::size_t i = 0; i < n; ++i)
        acc[i] -= std::uint64_t(a[i]) * w;
}

std::int64_t CarryColumnsPortable(std::uint64_t* col, std::size_t n, Limb* out) {
    static_assert(ColumnTerms * (std::uint64_t(Base) - 1) * (Base - 1) + Base <
                  CarryOffset1 * Base);
    std::int64_t q1Prev = 0, q2Prev = 0, c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t x = col[i] + CarryOffset1 * Base;
        const std::uint64_t q1 = x / Base;
        const std::int64_t g = std::int64_t(x - q1 * Base) + q1Prev;
        q1Prev = std::int64_t(q1) - std::int64_t(CarryOffset1);
        const std::uint64_t y = std::uint64_t(g + std::int64_t(CarryOffset2 * Base));
        const std::uint64_t q2 = y / Base;
        std::int64_t t = std::int64_t(y - q2 * Base) + q2Prev + c;
        q2Prev = std::int64_t(q2) - std::int64_t(CarryOffset2);
        c = std::int64_t(t >= std::int64_t(Base)) - std::int64_t(t < 0);
        t -= c * std::int64_t(Base);
        out[i] = Limb(t);
    }
    return q1Prev + q2Prev + c;
}

#if VELTRA_HAVE_X86_KERNELS
constexpr std::int32_t B32 = std::int32_t(Base);
const TRowLanes RowLanes = {
    {B32, B32, B32, B32, B32, B32, B32, B32},
    {B32 - 1, B32 - 1, B32 - 1, B32 - 1, B32 - 1, B32 - 1, B32 - 1, B32 - 1},
    {2 * B32 - 1, 2 * B32 - 1, 2 * B32 - 1, 2 * B32 - 1, 2 * B32 - 1, 2 * B32 - 1, 2 * B32 - 1,
     2 * B32 - 1},
    {-B32, -B32, -B32, -B32, -B32, -B32, -B32, -B32},
    {7, 0, 1, 2, 3, 4, 5, 6}};
#endif

} // namespace detail

namespace {

// For the preconditions: every group below Base, and two ranges that share no word.
[[maybe_unused]] bool Groups(const Limb* a, std::size_t n) {
    return std::all_of(a, a + n, [](Limb g) { return g < Base; });
}
[[maybe_unused]] bool Apart(const Limb* r, std::size_t nr, const Limb* a, std::size_t na) {
    return r + nr <= a || a + na <= r;
}
// r may be a itself, never part of it shifted.
[[maybe_unused]] bool SameOrApart(const Limb* r, const Limb* a, std::size_t n) {
    return r == a || Apart(r, n, a, n);
}

struct Kernels {
    Limb (*add)(Limb*, const Limb*, const Limb*, std::size_t, Limb);
    Limb (*sub)(Limb*, const Limb*, const Limb*, std::size_t, Limb);
    int (*compare)(const Limb*, const Limb*, std::size_t);
    void (*rowMulAdd)(std::uint64_t*, const Limb*, std::size_t, Limb);
    void (*rowMulSub)(std::uint64_t*, const Limb*, std::size_t, Limb);
    std::int64_t (*carryColumns)(std::uint64_t*, std::size_t, Limb*);
    Limb (*mulWord)(Limb*, const Limb*, std::size_t, Limb, Limb);
};

constexpr Kernels kPortable{detail::AddPortable,       detail::SubPortable,
                            detail::ComparePortable,   detail::RowMulAddPortable,
                            detail::RowMulSubPortable, detail::CarryColumnsPortable,
                            detail::MulWordPortable};
#if VELTRA_HAVE_X86_KERNELS
constexpr Kernels kAvx2{detail::AddAvx2,       detail::SubAvx2,       detail::CompareAvx2,
                        detail::RowMulAddAvx2, detail::RowMulSubAvx2, detail::CarryColumnsAvx2,
                        detail::MulWordAvx2};
#endif

bool VectorSupported() {
#if VELTRA_HAVE_X86_KERNELS
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const Kernels*& Active() {
#if VELTRA_HAVE_X86_KERNELS
    static const Kernels* active = VectorSupported() ? &kAvx2 : &kPortable;
#else
    static const Kernels* active = &kPortable;
#endif
    return active;
}

// Short runs are not worth the vector set-up.
constexpr std::size_t VectorMin = 16;

} // namespace

#if VELTRA_HAVE_X86_KERNELS
bool detail::vectorInUse = Active() == &kAvx2;
#else
bool detail::vectorInUse = false;
#endif

namespace {

bool WideSupported() {
#if VELTRA_HAVE_X86_KERNELS
    return __builtin_cpu_supports("avx512f");
#else
    return false;
#endif
}

// Whether the wide rows are wanted when vector kernels are in use.
bool& WideWanted() {
    static bool wanted = true;
    return wanted;
}

} // namespace

bool detail::wideRowsInUse = detail::vectorInUse && WideWanted() && WideSupported();

bool UseVectorKernels(bool on) {
#if VELTRA_HAVE_X86_KERNELS
    Active() = on && VectorSupported() ? &kAvx2 : &kPortable;
    detail::vectorInUse = Active() == &kAvx2;
    detail::wideRowsInUse = detail::vectorInUse && WideWanted() && WideSupported();
    return detail::vectorInUse;
#else
    (void)on;
    return false;
#endif
}

bool WideRowsWanted() {
    return WideWanted();
}

bool UseWideRows(bool on) {
    WideWanted() = on;
    detail::wideRowsInUse = detail::vectorInUse && on && WideSupported();
    return detail::wideRowsInUse;
}

Limb Add(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry) {
    VELTRA_EXPECTS(carry <= 1 && Groups(a, n) && Groups(b, n));
    VELTRA_EXPECTS(SameOrApart(r, a, n) && SameOrApart(r, b, n));
    return n < VectorMin ? detail::AddPortable(r, a, b, n, carry)
                         : Active()->add(r, a, b, n, carry);
}

void RowMulAdd(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w) {
    VELTRA_EXPECTS(w < Base && Groups(a, n));
    if (n < VectorMin)
        detail::RowMulAddPortable(acc, a, n, w);
    else
        Active()->rowMulAdd(acc, a, n, w);
}

void RowMulSub(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w) {
    VELTRA_EXPECTS(w < Base && Groups(a, n));
    if (n < VectorMin)
        detail::RowMulSubPortable(acc, a, n, w);
    else
        Active()->rowMulSub(acc, a, n, w);
}

std::int64_t CarryColumns(std::uint64_t* col, std::size_t n, Limb* out) {
    VELTRA_EXPECTS(Apart(out, n, reinterpret_cast<const Limb*>(col), 2 * n));
    return n < VectorMin ? detail::CarryColumnsPortable(col, n, out)
                         : Active()->carryColumns(col, n, out);
}

Limb AddCarry(Limb* r, std::size_t n, Limb carry) {
    VELTRA_EXPECTS(carry < Base && Groups(r, n));
    for (std::size_t i = 0; i < n && carry != 0; ++i) {
        Limb s = r[i] + carry;
        carry = s >= Base;
        r[i] = s - (carry ? Base : 0);
    }
    return carry;
}

Limb Sub(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow) {
    VELTRA_EXPECTS(borrow <= 1 && Groups(a, n) && Groups(b, n));
    VELTRA_EXPECTS(SameOrApart(r, a, n) && SameOrApart(r, b, n));
    return n < VectorMin ? detail::SubPortable(r, a, b, n, borrow)
                         : Active()->sub(r, a, b, n, borrow);
}

Limb SubBorrow(Limb* r, std::size_t n, Limb borrow) {
    VELTRA_EXPECTS(borrow <= 1 && Groups(r, n));
    for (std::size_t i = 0; i < n && borrow != 0; ++i) {
        if (r[i] != 0) {
            --r[i];
            borrow = 0;
        } else {
            r[i] = Base - 1;
        }
    }
    return borrow;
}

int Compare(const Limb* a, const Limb* b, std::size_t n) {
    return n < VectorMin ? detail::ComparePortable(a, b, n) : Active()->compare(a, b, n);
}

Limb detail::MulWordPortable(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry) {
    // Each product splits into a high and a low group independently of the others; only
    // the one-bit carry of low + previous high runs along the loop.
    std::uint64_t high = carry;
    Limb c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t p = std::uint64_t(a[i]) * w;
        const std::uint64_t q = p / Base;
        const Limb s = Limb(p - q * Base) + Limb(high) + c;
        c = s >= Base;
        r[i] = s - (c ? Base : 0);
        high = q;
    }
    return Limb(high) + c;
}

Limb MulWord(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry) {
    VELTRA_EXPECTS(w < Base && carry < Base && Groups(a, n) && SameOrApart(r, a, n));
    return n < VectorMin ? detail::MulWordPortable(r, a, n, w, carry)
                         : Active()->mulWord(r, a, n, w, carry);
}

namespace {

// Below 4 groups the halves plus their carry group would not get shorter.
std::size_t Cutoff() {
    return std::max<std::size_t>(KaratsubaThreshold, 4);
}

// Column sums in 64 bits: a row adds products below 10^16, so 1024 rows stay far below 2^64
// before the carries must be pushed up.
constexpr std::size_t RowsPerFlush = 1024;

void Flush(std::uint64_t* acc, std::size_t n) {
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < n; ++k) {
        std::uint64_t v = acc[k] + carry;
        carry = v / Base;
        acc[k] = v - carry * Base;
    }
}

void MulBasecase(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t n = na + nb;
    std::uint64_t small[512];
    std::vector<std::uint64_t> big;
    std::uint64_t* acc = small;
    if (n > 512) {
        big.assign(n, 0);
        acc = big.data();
    } else {
        std::fill(small, small + n, 0);
    }
    // Long products take seconds: the cancel flag is looked at every few rows (a row of a
    // million groups takes about a millisecond).
    constexpr std::size_t RowsPerPoll = 16;
    for (std::size_t j = 0; j < nb; ++j) {
        if (j % RowsPerPoll == 0) TCancelScope::Poll();
        const std::uint64_t w = b[j];
        if (na < VectorMin) {
            detail::RowMulAddPortable(acc + j, a, na, Limb(w));
        } else {
            Active()->rowMulAdd(acc + j, a, na, Limb(w));
        }
        if ((j + 1) % RowsPerFlush == 0) Flush(acc, n);
    }
    Flush(acc, n);
    for (std::size_t k = 0; k < n; ++k)
        r[k] = Limb(acc[k]);
}

std::size_t Trim(const Limb* a, std::size_t n) {
    while (n > 0 && a[n - 1] == 0)
        --n;
    return n;
}

// r[0..2n) = a[0..n) * b[0..n); scratch holds at least ScratchFor(n) groups.
void Karatsuba(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb* scratch) {
    if (n <= Cutoff()) {
        MulBasecase(r, a, n, b, n);
        return;
    }
    const std::size_t m = n / 2; // low half
    const std::size_t h = n - m; // high half, h >= m
    Karatsuba(r, a, b, m, scratch);
    Karatsuba(r + 2 * m, a + m, b + m, h, scratch);

    Limb* sa = scratch;
    Limb* sb = sa + (h + 1);
    Limb* t = sb + (h + 1);
    Limb* rest = t + 2 * (h + 1);
    std::memcpy(sa, a + m, h * sizeof(Limb));
    sa[h] = Add(sa, sa, a, m) ? AddCarry(sa + m, h - m, 1) : 0;
    std::memcpy(sb, b + m, h * sizeof(Limb));
    sb[h] = Add(sb, sb, b, m) ? AddCarry(sb + m, h - m, 1) : 0;
    Karatsuba(t, sa, sb, h + 1, rest);

    // t := t - a0*b0 - a1*b1, the cross term, never negative.
    const std::size_t nt = 2 * (h + 1);
    SubBorrow(t + 2 * m, nt - 2 * m, Sub(t, t, r, 2 * m));
    SubBorrow(t + 2 * h, nt - 2 * h, Sub(t, t, r + 2 * m, 2 * h));
    const std::size_t used = Trim(t, nt);
    AddCarry(r + m + used, 2 * n - m - used, Add(r + m, r + m, t, used));
}

std::size_t ScratchFor(std::size_t n) {
    if (n <= Cutoff()) return 0;
    const std::size_t h = n - n / 2;
    return 4 * (h + 1) + ScratchFor(h + 1);
}

// Transform products, in slices of the longer operand a when one transform would be longer
// than TransformLimit coefficients.
void MulLong(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    const std::size_t limit = std::max<std::size_t>(TransformLimit, 2);
    if (na + nb - 1 <= limit) {
        MulTransform(r, a, na, b, nb);
        return;
    }
    // A slice keeps its product within the limit; when b alone nearly fills it, half-limit
    // slices, whose products Mul splits again on b's side.
    const std::size_t slice = nb < limit / 2 ? limit + 1 - nb : std::max<std::size_t>(limit / 2, 1);
    std::vector<Limb> piece(std::min(slice, na) + nb);
    std::fill(r, r + na + nb, 0);
    for (std::size_t off = 0; off < na; off += slice) {
        const std::size_t len = std::min(slice, na - off);
        Mul(piece.data(), a + off, len, b, nb);
        const std::size_t np = len + nb;
        const Limb c = Add(r + off, r + off, piece.data(), np);
        AddCarry(r + off + np, na + nb - off - np, c);
    }
}

} // namespace

void Mul(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    VELTRA_EXPECTS(na > 0 && nb > 0 && Groups(a, na) && Groups(b, nb));
    VELTRA_EXPECTS(Apart(r, na + nb, a, na) && Apart(r, na + nb, b, nb));
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    if (nb == 1) {
        TCancelScope::Poll();
        r[na] = MulWord(r, a, na, b[0]);
        return;
    }
    if (nb <= Cutoff()) {
        MulBasecase(r, a, na, b, nb);
        return;
    }
    // Against a ten times longer operand, the transforms (taking it in slices) already win
    // from a quarter of the threshold (mul_crossover, unbalanced rows: 1.0-1.5x).
    if (nb >= TransformThreshold || (nb >= TransformThreshold / 4 && na / 10 >= nb)) {
        MulLong(r, a, na, b, nb);
        return;
    }
    std::vector<Limb> scratch(ScratchFor(nb) + 2 * nb);
    if (na == nb) {
        Karatsuba(r, a, b, nb, scratch.data());
        return;
    }
    // Unbalanced: slices of a as long as b, each a square product added in place.
    Limb* piece = scratch.data() + ScratchFor(nb);
    std::fill(r, r + na + nb, 0);
    for (std::size_t off = 0; off < na; off += nb) {
        const std::size_t len = std::min(nb, na - off);
        if (len == nb) {
            Karatsuba(piece, a + off, b, nb, scratch.data());
        } else {
            Mul(piece, b, nb, a + off, len);
        }
        const std::size_t np = len + nb;
        const Limb c = Add(r + off, r + off, piece, np);
        AddCarry(r + off + np, na + nb - off - np, c);
    }
}

} // namespace veltra::mag
