// acc += a * b in one pass over the accumulator: the step's hot path (a weight of one or two
// groups times a long activity). Value, sign and group layout are those of
// Add(acc, Multiply(a, b)); anything unusual takes that very route.
#include "infinito.h"
#include "infinitoops.h"
#include "magnitude_kernels.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#if VELTRA_HAVE_X86_KERNELS
#include <immintrin.h>
#endif

namespace veltra {

namespace {

using mag::Base;
using mag::Limb;

// x[0..m+K) +/-= w * v, w of K groups (K = 1 or 2), v of m groups. The product's own groups
// are formed on the fly: each partial product splits into a low and a high group
// independently, so the loop carries only small carries. A sum folds the product's carry
// into the accumulator's; a difference keeps them apart, as it needs the product's top group.
// Returns the carry (or borrow) out of x[m+K-1] and, for a difference, the product's top group.
template <int K, bool Subtract>
std::pair<Limb, Limb> AddMulRow(Limb* x, const Limb* v, std::size_t m, const Limb* w) {
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
    return {c, digit};
}

// The same for one group and a long value, through the (vector) product and sum kernels in
// blocks small enough to stay in the first-level cache: the accumulator is still walked once.
std::pair<Limb, Limb> AddMulBlocks(Limb* x, const Limb* v, std::size_t m, Limb w, bool subtract) {
    constexpr std::size_t Block = 64;
    Limb product[Block];
    Limb high = 0;
    Limb c = 0;
    for (std::size_t i = 0; i < m; i += Block) {
        const std::size_t len = std::min(Block, m - i);
        high = mag::MulWord(product, v + i, len, w, high);
        c = subtract ? mag::Sub(x + i, x + i, product, len, c)
                     : mag::Add(x + i, x + i, product, len, c);
    }
    product[0] = high; // the product's top group
    c = subtract ? mag::Sub(x + m, x + m, product, 1, c) : mag::Add(x + m, x + m, product, 1, c);
    return {c, high};
}

#if VELTRA_HAVE_X86_KERNELS

// What a vector row does with x: overwrite it with the product, add the product, or
// subtract it.
enum class RowMode { Store, Add, Subtract };

// The factor whose product with a group a, shifted down 32 bits, estimates the quotient of
// a * w by Base: floor(w * 2^32 / Base) / 2^32 falls short of w / Base by under 2^-32, so
// a times it falls short of a * w / Base by under a / 2^32 < 0.03, and rounded down it is the
// quotient or one less. The rows correct it from the remainder, which then lies in
// [0, 2 * Base).
constexpr std::uint64_t Reciprocal(Limb w) {
    return (std::uint64_t(w) << 32) / Base;
}

// The constants of the vector row.
struct RowConstants {
    __m256i reciprocal; // Reciprocal(w) in every 64-bit lane
    __m256i w32, base, top, top2, negBase, zero, rotate;
};

// A block of a vector row redone group by group, from the high group of the product below it
// and the carry or borrow into it (0, 1 or 2).
template <RowMode Mode> struct TScalarRow {
    std::uint64_t high = 0;
    Limb c = 0;

    void Step(std::uint64_t t, Limb& acc) {
        const std::uint64_t q = t / Base;
        const Limb lo = Limb(t - q * Base);
        if constexpr (Mode == RowMode::Subtract) {
            const std::int64_t d = std::int64_t(acc) - lo - std::int64_t(high) - c;
            c = Limb(d < 0) + Limb(d < -std::int64_t(Base));
            acc = Limb(d + std::int64_t(c) * Base);
        } else {
            const Limb s = (Mode == RowMode::Add ? acc : 0) + lo + Limb(high) + c;
            c = Limb(s >= Base) + Limb(s >= 2 * Base);
            acc = s - c * Base;
        }
        high = q;
    }
};

// One block of eight groups. Lane k gets x + low(w * v[k]) + high(w * v[k-1]) (lane 0 the
// high group of the block below, lane 0 of `fromBelow`), below 3 * Base, less its carry of 0,
// 1 or 2 times Base, plus the carry of the lane below (lane 0: minus lane 0 of `carryBelow`).
// A difference is x - low - high, at least -2 * Base, plus its borrow of 0, 1 or 2 times Base,
// less the borrow of the lane below. `carries` holds minus each lane's carry or borrow, and
// `fromBelow` and `carryBelow` become this block's own, rotated up a lane, so that lane 0
// holds what its top lane hands the next block: no lane leaves the vector registers between
// blocks. A lane pushed out of [0, Base) by the carry from below would carry on: the caller
// sees it in the result and redoes the block group by group.
template <RowMode Mode>
__attribute__((target("avx2"), always_inline)) inline __m256i
RowBlock(const RowConstants& k, __m256i av, __m256i xv, __m256i& fromBelow, __m256i& carryBelow,
         __m256i& carries) {
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(av, k.reciprocal), 32);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(av, 32), k.reciprocal);
    // a*w - q*Base lies in [0, 2*Base), so 32-bit wrapping arithmetic gives it exactly.
    __m256i q = _mm256_blend_epi32(even, odd, 0xaa);
    __m256i lo = _mm256_sub_epi32(_mm256_mullo_epi32(av, k.w32), _mm256_mullo_epi32(q, k.base));
    const __m256i over = _mm256_cmpgt_epi32(lo, k.top);
    lo = _mm256_sub_epi32(lo, _mm256_and_si256(over, k.base));
    q = _mm256_sub_epi32(q, over);

    const __m256i qUp = _mm256_permutevar8x32_epi32(q, k.rotate);
    const __m256i below = _mm256_blend_epi32(qUp, fromBelow, 1);
    fromBelow = qUp;
    __m256i s, one, two;
    if constexpr (Mode == RowMode::Subtract) {
        s = _mm256_sub_epi32(_mm256_sub_epi32(xv, lo), below);
        one = _mm256_cmpgt_epi32(k.zero, s);    // -1 where s < 0
        two = _mm256_cmpgt_epi32(k.negBase, s); // -1 where s < -Base
        s = _mm256_add_epi32(s, _mm256_and_si256(one, k.base));
        s = _mm256_add_epi32(s, _mm256_and_si256(two, k.base));
    } else {
        s = _mm256_add_epi32(_mm256_add_epi32(xv, lo), below);
        one = _mm256_cmpgt_epi32(s, k.top);  // -1 where s >= Base
        two = _mm256_cmpgt_epi32(s, k.top2); // -1 where s >= 2 Base
        s = _mm256_sub_epi32(s, _mm256_and_si256(one, k.base));
        s = _mm256_sub_epi32(s, _mm256_and_si256(two, k.base));
    }
    carries = _mm256_add_epi32(one, two);
    const __m256i carriesUp = _mm256_permutevar8x32_epi32(carries, k.rotate);
    const __m256i up = _mm256_blend_epi32(carriesUp, carryBelow, 1);
    carryBelow = carriesUp;
    return Mode == RowMode::Subtract ? _mm256_add_epi32(s, up) : _mm256_sub_epi32(s, up);
}

// The lanes of a block's result that left [0, Base).
template <RowMode Mode>
__attribute__((target("avx2"), always_inline)) inline __m256i Spilled(const RowConstants& k,
                                                                      __m256i s) {
    return Mode == RowMode::Subtract ? _mm256_cmpgt_epi32(k.zero, s) : _mm256_cmpgt_epi32(s, k.top);
}

// x[0..m] := the product w * v[0..m) for one group w (Store), or x[0..m] plus or minus it,
// eight groups at a time in one pass; the last, partial block is loaded and stored under a
// mask, its lane past v's end taking x[m] (the product's top group). Returns the carry or
// borrow out of x[m] (0 when storing).
template <RowMode Mode>
__attribute__((target("avx2"))) Limb RowAvx2(Limb* x, const Limb* v, std::size_t m, Limb w) {
    constexpr std::size_t Lanes = 8;
    const mag::detail::TRowLanes& fixed = mag::detail::RowLanes;
    const RowConstants k{_mm256_set1_epi64x(std::int64_t(Reciprocal(w))),
                         _mm256_set1_epi32(static_cast<int>(w)),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed.base)),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed.top)),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed.top2)),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed.negBase)),
                         _mm256_setzero_si256(),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed.rotate))};
    std::size_t i = 0;
    // Lane 0 of each: the high group of the product below the current block, and minus the
    // carry or borrow into it.
    __m256i fromBelow = _mm256_setzero_si256(), carryBelow = _mm256_setzero_si256();
    __m256i carries;
    for (; i + Lanes <= m; i += Lanes) {
        const __m256i av = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i));
        const __m256i xv = Mode != RowMode::Store
                               ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + i))
                               : _mm256_setzero_si256();
        __m256i nextBelow = fromBelow, nextCarry = carryBelow;
        const __m256i s = RowBlock<Mode>(k, av, xv, nextBelow, nextCarry, carries);
        const __m256i spill = Spilled<Mode>(k, s);
        if (!_mm256_testz_si256(spill, spill)) {
            TScalarRow<Mode> row{Limb(_mm256_cvtsi256_si32(fromBelow)),
                                 Limb(-_mm256_cvtsi256_si32(carryBelow))};
            for (std::size_t j = 0; j < Lanes; ++j)
                row.Step(std::uint64_t(w) * v[i + j], x[i + j]);
            fromBelow = _mm256_set1_epi32(static_cast<int>(row.high));
            carryBelow = _mm256_set1_epi32(-static_cast<int>(row.c));
            continue;
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(x + i), s);
        fromBelow = nextBelow;
        carryBelow = nextCarry;
    }
    // The rest of v (r groups, maybe none) and x[m].
    const int r = static_cast<int>(m - i);
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i vMask = _mm256_cmpgt_epi32(_mm256_set1_epi32(r), lane);
    const __m256i xMask = _mm256_cmpgt_epi32(_mm256_set1_epi32(r + 1), lane);
    const __m256i av = _mm256_maskload_epi32(reinterpret_cast<const int*>(v + i), vMask);
    const __m256i xv = Mode != RowMode::Store
                           ? _mm256_maskload_epi32(reinterpret_cast<const int*>(x + i), xMask)
                           : _mm256_setzero_si256();
    __m256i nextBelow = fromBelow, nextCarry = carryBelow;
    const __m256i s = RowBlock<Mode>(k, av, xv, nextBelow, nextCarry, carries);
    const __m256i spill = _mm256_and_si256(Spilled<Mode>(k, s), xMask);
    if (!_mm256_testz_si256(spill, spill)) {
        TScalarRow<Mode> row{Limb(_mm256_cvtsi256_si32(fromBelow)),
                             Limb(-_mm256_cvtsi256_si32(carryBelow))};
        for (; i < m; ++i)
            row.Step(std::uint64_t(w) * v[i], x[i]);
        row.Step(0, x[m]);
        return row.c;
    }
    _mm256_maskstore_epi32(reinterpret_cast<int*>(x + i), xMask, s);
    // Lane r of the carries, moved to lane 0 (no aligned array on the stack to read it from).
    return Limb(-_mm256_cvtsi256_si32(_mm256_permutevar8x32_epi32(carries, _mm256_set1_epi32(r))));
}

// The same row sixteen groups at a time, on processors with 512-bit vectors. Carries and
// borrows pass between blocks in the top lane of a vector, and the last, partial block is
// loaded and stored under a mask.
template <RowMode Mode>
__attribute__((target("avx512f"))) Limb RowAvx512(Limb* x, const Limb* v, std::size_t m, Limb w) {
    constexpr std::size_t Lanes = 16;
    // Masks that keep every lane: GCC 12 warns of the unmasked forms of some intrinsics,
    // whose unused operand it leaves uninitialized.
    constexpr __mmask8 All8 = 0xff;
    constexpr __mmask16 All16 = 0xffff;
    const __m512i mv = _mm512_set1_epi64(std::int64_t(Reciprocal(w)));
    const __m512i w32 = _mm512_set1_epi32(static_cast<int>(w));
    const __m512i base = _mm512_set1_epi32(static_cast<int>(Base));
    const __m512i top = _mm512_set1_epi32(static_cast<int>(Base - 1));
    const __m512i top2 = _mm512_set1_epi32(static_cast<int>(2 * Base - 1));
    const __m512i one = _mm512_set1_epi32(1);
    // Lane 15 of each: the high group of the product below the current block, and the carry
    // or borrow into it.
    __m512i qBelow = _mm512_setzero_si512(), cBelow = _mm512_setzero_si512();
    auto block = [&](__m512i av, __m512i xv, __m512i & q, __m512i & c)
        __attribute__((target("avx512f"), always_inline)) {
        const __m512i even =
            _mm512_maskz_srli_epi64(All8, _mm512_maskz_mul_epu32(All8, av, mv), 32);
        const __m512i odd = _mm512_maskz_mul_epu32(All8, _mm512_maskz_srli_epi64(All8, av, 32), mv);
        q = _mm512_mask_blend_epi32(__mmask16(0xAAAA), even, odd);
        __m512i lo = _mm512_sub_epi32(_mm512_mullo_epi32(av, w32), _mm512_mullo_epi32(q, base));
        const __mmask16 over = _mm512_cmpgt_epu32_mask(lo, top);
        lo = _mm512_mask_sub_epi32(lo, over, lo, base);
        q = _mm512_mask_add_epi32(q, over, q, one);
        const __m512i below = _mm512_maskz_alignr_epi32(All16, q, qBelow, 15);
        __m512i s;
        __mmask16 k1, k2;
        if constexpr (Mode == RowMode::Subtract) {
            // x - lo - below is at least -2 * Base: signed lanes.
            s = _mm512_sub_epi32(_mm512_sub_epi32(xv, lo), below);
            k1 = _mm512_cmplt_epi32_mask(s, _mm512_setzero_si512());
            k2 = _mm512_cmplt_epi32_mask(s, _mm512_sub_epi32(_mm512_setzero_si512(), base));
            s = _mm512_mask_add_epi32(s, k1, s, base);
            s = _mm512_mask_add_epi32(s, k2, s, base);
        } else {
            s = _mm512_add_epi32(_mm512_add_epi32(xv, lo), below); // below 3 * Base
            k1 = _mm512_cmpgt_epu32_mask(s, top);
            k2 = _mm512_cmpgt_epu32_mask(s, top2);
            s = _mm512_mask_sub_epi32(s, k1, s, base);
            s = _mm512_mask_sub_epi32(s, k2, s, base);
        }
        c = _mm512_mask_add_epi32(_mm512_maskz_mov_epi32(k1, one), k2, one, one); // 0, 1 or 2
        const __m512i in = _mm512_maskz_alignr_epi32(All16, c, cBelow, 15);
        return Mode == RowMode::Subtract ? _mm512_sub_epi32(s, in) : _mm512_add_epi32(s, in);
    };
    // The lanes a carry from below pushed out of [0, Base): the caller redoes such a block.
    auto spilled = [&](__m512i s) __attribute__((target("avx512f"), always_inline)) {
        return Mode == RowMode::Subtract ? _mm512_cmplt_epi32_mask(s, _mm512_setzero_si512())
                                         : _mm512_cmpgt_epu32_mask(s, top);
    };
    auto lane15 = [](__m512i a) __attribute__((target("avx512f"), always_inline)) {
        return Limb(_mm512_cvtsi512_si32(_mm512_maskz_alignr_epi32(All16, a, a, 15)));
    };
    std::size_t i = 0;
    for (; i + Lanes <= m; i += Lanes) {
        const __m512i av = _mm512_loadu_si512(v + i);
        const __m512i xv =
            Mode != RowMode::Store ? _mm512_loadu_si512(x + i) : _mm512_setzero_si512();
        __m512i q, carries;
        const __m512i s = block(av, xv, q, carries);
        if (spilled(s) != 0) {
            TScalarRow<Mode> row{lane15(qBelow), lane15(cBelow)};
            for (std::size_t j = 0; j < Lanes; ++j)
                row.Step(std::uint64_t(w) * v[i + j], x[i + j]);
            qBelow = _mm512_set1_epi32(static_cast<int>(row.high));
            cBelow = _mm512_set1_epi32(static_cast<int>(row.c));
            continue;
        }
        _mm512_storeu_si512(x + i, s);
        qBelow = q;
        cBelow = carries;
    }
    // The rest of v (r groups, maybe none) and x[m], the product's top group.
    const unsigned r = unsigned(m - i);
    const __mmask16 vMask = __mmask16((1u << r) - 1);
    const __mmask16 xMask = __mmask16((2u << r) - 1);
    const __m512i av = _mm512_maskz_loadu_epi32(vMask, v + i);
    const __m512i xv =
        Mode != RowMode::Store ? _mm512_maskz_loadu_epi32(xMask, x + i) : _mm512_setzero_si512();
    __m512i q, carries;
    const __m512i s = block(av, xv, q, carries);
    if ((spilled(s) & xMask) != 0) {
        TScalarRow<Mode> row{lane15(qBelow), lane15(cBelow)};
        for (; i < m; ++i)
            row.Step(std::uint64_t(w) * v[i], x[i]);
        row.Step(0, x[m]);
        return row.c;
    }
    _mm512_mask_storeu_epi32(x + i, xMask, s);
    return Limb(_mm512_cvtsi512_si32(
        _mm512_maskz_permutexvar_epi32(All16, _mm512_set1_epi32(int(r)), carries)));
}

// The one-group row on the widest vectors in use.
template <RowMode Mode> inline Limb Row(Limb* x, const Limb* v, std::size_t m, Limb w) {
    return mag::WideRowsInUse() ? RowAvx512<Mode>(x, v, m, w) : RowAvx2<Mode>(x, v, m, w);
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

// x[0..m+k) +/-= w * v; returns the carry or borrow out of x[m+k-1] and, for a difference,
// the product's top group, or for the vector row any non-zero group when it is not zero (the
// caller only asks whether it is).
std::pair<Limb, Limb> AddMul(Limb* x, const Limb* v, std::size_t m, const Limb* w, std::size_t k,
                             bool subtract) {
#if VELTRA_HAVE_X86_KERNELS
    if (k == 1 && m >= VectorRowMin && mag::VectorKernelsInUse()) {
        if (!subtract) return {Row<RowMode::Add>(x, v, m, w[0]), 0};
        const int top = ProductTopNonZero(v, m, w[0]);
        if (top >= 0) return {Row<RowMode::Subtract>(x, v, m, w[0]), Limb(top)};
    }
#endif
    if (k == 1 && m >= BlockMin) return AddMulBlocks(x, v, m, w[0], subtract);
    if (k == 1) return subtract ? AddMulRow<1, true>(x, v, m, w) : AddMulRow<1, false>(x, v, m, w);
    return subtract ? AddMulRow<2, true>(x, v, m, w) : AddMulRow<2, false>(x, v, m, w);
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

// x[0..m] +/-= w * v[0..m) for one group w; the carry or borrow out of x[m]. What AddMul does
// for a one-group weight, without the product's top group, which a sum spanning the product
// never needs.
inline Limb AddMulOne(Limb* x, const Limb* v, std::size_t m, Limb w, bool subtract) {
    if (w == 1) // a sum or a difference: the product's top group is 0
        return subtract ? mag::SubBorrow(x + m, 1, mag::Sub(x, x, v, m))
                        : mag::AddCarry(x + m, 1, mag::Add(x, x, v, m));
#if VELTRA_HAVE_X86_KERNELS
    if (m >= VectorRowMin && mag::VectorKernelsInUse())
        return subtract ? Row<RowMode::Subtract>(x, v, m, w) : Row<RowMode::Add>(x, v, m, w);
#endif
    if (m >= BlockMin) return AddMulBlocks(x, v, m, w, subtract).first;
    return subtract ? AddMulRow<1, true>(x, v, m, &w).first
                    : AddMulRow<1, false>(x, v, m, &w).first;
}

} // namespace

void TInfinito::AddProduct(const TInfinito& a, const TInfinito& b) {
    // A neuron's products mostly are a non-zero weight of one group times a non-zero activity,
    // written into a sum just cleared or added to (or taken from) a signed sum that reaches at
    // least as high as the product. Those take the short route below, which keeps the group
    // layout and sign of the general one; anything else (zeros, longer weights, a product
    // reaching above the sum) goes on to AddProductGeneral.
    const bool aShorter = a.size_ <= b.size_;
    const TInfinito& w = aShorter ? a : b;
    const TInfinito& v = aShorter ? b : a;
    const std::size_t m = v.size_;
    std::uint32_t xn = size_;
    // A one-group weight leaves the other operand at least one group. A sum without groups
    // counts as zero but is not widened: it takes the general route.
    if (w.size_ == 1 && this != &a && this != &b && w.data_[0] != 0 && v.data_[m - 1] != 0) {
        const int sp = w.sign_ * v.sign_;
        const std::int64_t low = std::int64_t(a.low_) + b.low_;
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
                return;
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
                return;
            }
        }
    }
    AddProductGeneral(a, b);
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
    Limb ptop = 0;
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
        ptop = data_[below + pn - 1];
        sign_ = static_cast<std::int8_t>(sp);
    } else {
        if (nLow < low_ || nTop > xTop) TInfinitoOps::Widen(*this, nLow, nTop);
        Limb* p = data_ + (std::int32_t(low) - low_) / GroupDigits;
        const bool subtract = sx * sp < 0;
        auto [c, top] = AddMul(p, v.data_, v.size_, w.data_, w.size_, subtract);
        // A sum's top group is zero only when the product's is and nothing carried into it,
        // which the test below sees directly.
        ptop = subtract ? top : 0;
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
    if (ptop == 0 && candTop > xTop && TInfinitoOps::Top(*this) == candTop && data_[size_ - 1] == 0)
        --size_;
}

} // namespace veltra
