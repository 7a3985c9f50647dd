// AVX2 versions of the hot magnitude kernels, chosen at run time by magnitude.cpp when the
// processor has AVX2, and the 256-bit product rows of a sum. Carries are resolved eight groups
// at a time; the rare block where a carry runs into a 99999999 group is redone group by group.
#include "magnitude_kernels.h"

#if VELTRA_HAVE_X86_KERNELS

#include <algorithm>
#include <immintrin.h>

namespace veltra::mag::detail {

namespace {

// Groups in one 256-bit register.
constexpr std::size_t Lanes = 8;

__attribute__((target("avx2"))) inline __m256i Load(const Limb* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline void Store(Limb* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Lane k receives lane k-1 of flags (all ones or zero); lane 0 receives `in`.
__attribute__((target("avx2"))) inline __m256i ShiftUp(__m256i flags, Limb in) {
    const __m256i rotated =
        _mm256_permutevar8x32_epi32(flags, _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 6));
    return _mm256_blend_epi32(rotated, _mm256_set1_epi32(-static_cast<int>(in)), 1);
}

__attribute__((target("avx2"))) inline Limb TopFlag(__m256i flags) {
    return static_cast<Limb>(_mm256_movemask_ps(_mm256_castsi256_ps(flags)) >> 7) & 1;
}

} // namespace

__attribute__((target("avx2"))) Limb AddAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n,
                                             Limb carry) {
    const __m256i base = _mm256_set1_epi32(static_cast<int>(Base));
    const __m256i top = _mm256_set1_epi32(static_cast<int>(Base - 1));
    std::size_t i = 0;
    for (; i + Lanes <= n; i += Lanes) {
        __m256i s = _mm256_add_epi32(Load(a + i), Load(b + i)); // below 2 * Base < 2^31
        const __m256i out = _mm256_cmpgt_epi32(s, top);
        s = _mm256_sub_epi32(s, _mm256_and_si256(out, base));
        s = _mm256_sub_epi32(s, ShiftUp(out, carry)); // flags are -1: subtracting adds one
        const __m256i spill = _mm256_cmpeq_epi32(s, base);
        if (!_mm256_testz_si256(spill, spill)) {
            carry = AddPortable(r + i, a + i, b + i, Lanes, carry);
            continue;
        }
        Store(r + i, s);
        carry = TopFlag(out);
    }
    return AddPortable(r + i, a + i, b + i, n - i, carry);
}

__attribute__((target("avx2"))) Limb SubAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n,
                                             Limb borrow) {
    const __m256i base = _mm256_set1_epi32(static_cast<int>(Base));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i minusOne = _mm256_set1_epi32(-1);
    std::size_t i = 0;
    for (; i + Lanes <= n; i += Lanes) {
        __m256i d = _mm256_sub_epi32(Load(a + i), Load(b + i)); // above -Base
        const __m256i out = _mm256_cmpgt_epi32(zero, d);
        d = _mm256_add_epi32(d, _mm256_and_si256(out, base));
        d = _mm256_add_epi32(d, ShiftUp(out, borrow)); // flags are -1
        const __m256i spill = _mm256_cmpeq_epi32(d, minusOne);
        if (!_mm256_testz_si256(spill, spill)) {
            borrow = SubPortable(r + i, a + i, b + i, Lanes, borrow);
            continue;
        }
        Store(r + i, d);
        borrow = TopFlag(out);
    }
    return SubPortable(r + i, a + i, b + i, n - i, borrow);
}

__attribute__((target("avx2"))) int CompareAvx2(const Limb* a, const Limb* b, std::size_t n) {
    std::size_t i = n;
    while (i >= Lanes) {
        const __m256i eq = _mm256_cmpeq_epi32(Load(a + i - Lanes), Load(b + i - Lanes));
        if (_mm256_movemask_epi8(eq) != -1) break;
        i -= Lanes;
    }
    return ComparePortable(a, b, i);
}

// acc[i] += a[i] * w (or -= when Subtract), four 64-bit columns at a time.
template <bool Subtract>
__attribute__((target("avx2"))) inline void RowMulAvx2(std::uint64_t* acc, const Limb* a,
                                                       std::size_t n, Limb w) {
    const __m256i wv = _mm256_set1_epi64x(w);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256i av =
            _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
        __m256i* p = reinterpret_cast<__m256i*>(acc + i);
        const __m256i product = _mm256_mul_epu32(av, wv);
        const __m256i old = _mm256_loadu_si256(p);
        _mm256_storeu_si256(p, Subtract ? _mm256_sub_epi64(old, product)
                                        : _mm256_add_epi64(old, product));
    }
    for (; i < n; ++i) {
        if constexpr (Subtract)
            acc[i] -= std::uint64_t(a[i]) * w;
        else
            acc[i] += std::uint64_t(a[i]) * w;
    }
}

__attribute__((target("avx2"))) void RowMulAddAvx2(std::uint64_t* acc, const Limb* a, std::size_t n,
                                                   Limb w) {
    RowMulAvx2<false>(acc, a, n, w);
}

__attribute__((target("avx2"))) void RowMulSubAvx2(std::uint64_t* acc, const Limb* a, std::size_t n,
                                                   Limb w) {
    RowMulAvx2<true>(acc, a, n, w);
}

constexpr std::int64_t Magic52 = 0x4330000000000000; // the bits of 2^52

// Below 2^52: exact as a double through the bits of 2^52 + v, and back.
__attribute__((target("avx2"))) inline __m256d ToDouble(__m256i v) {
    return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(v, _mm256_set1_epi64x(Magic52))),
                         _mm256_set1_pd(0x1p52));
}

__attribute__((target("avx2"))) inline __m256i ToInt(__m256d v) {
    return _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(v, _mm256_set1_pd(0x1p52))),
                            _mm256_set1_epi64x(Magic52));
}

// r = v - q * Base with q at most one off: brought into [0, Base), q with it.
__attribute__((target("avx2"))) inline void FixQuotient(__m256i& r, __m256i& q) {
    const __m256i base = _mm256_set1_epi64x(Base);
    const __m256i negative = _mm256_cmpgt_epi64(_mm256_setzero_si256(), r);
    r = _mm256_add_epi64(r, _mm256_and_si256(negative, base));
    q = _mm256_add_epi64(q, negative);
    const __m256i over = _mm256_cmpgt_epi64(r, _mm256_set1_epi64x(Base - 1));
    r = _mm256_sub_epi64(r, _mm256_and_si256(over, base));
    q = _mm256_sub_epi64(q, over);
}

// Three base-Base digits of every column at once, in blocks: the quotients come from double
// precision estimates (at most one off, then corrected exactly in 64-bit lanes); only the
// last carry of -1, 0 or 1 runs column by column.
__attribute__((target("avx2"))) std::int64_t CarryColumnsAvx2(std::uint64_t* col, std::size_t n,
                                                              Limb* out) {
    constexpr std::size_t Block = 64;
    alignas(32) std::int64_t r1[Block], r2[Block];
    std::int64_t q1[Block + 1], q2[Block + 1]; // q[i + 1]: quotient of column i
    const __m256i base = _mm256_set1_epi64x(Base);
    const __m256i low32 = _mm256_set1_epi64x(0xffffffff);
    const __m256i top = _mm256_set1_epi64x(Base - 1);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i off1 = _mm256_set1_epi64x(std::int64_t(CarryOffset1 * Base));
    const __m256i off2 = _mm256_set1_epi64x(std::int64_t(CarryOffset2 * Base));
    const __m256i m1 = _mm256_set1_epi64x(std::int64_t(CarryOffset1));
    const __m256i m2 = _mm256_set1_epi64x(std::int64_t(CarryOffset2));
    const __m256d hiScale = _mm256_set1_pd(4294967296.0 / double(Base));
    const __m256d loScale = _mm256_set1_pd(1.0 / double(Base));
    std::int64_t q1Prev = 0, q2Prev = 0, c = 0;
    for (std::size_t at = 0; at < n; at += Block) {
        const std::size_t len = std::min(Block, n - at);
        const std::size_t vec = len & ~std::size_t(3);
        q1[0] = q1Prev;
        q2[0] = q2Prev;
        for (std::size_t i = 0; i < vec; i += 4) {
            const __m256i x = _mm256_add_epi64(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + at + i)), off1);
            const __m256d estimate =
                _mm256_add_pd(_mm256_mul_pd(ToDouble(_mm256_srli_epi64(x, 32)), hiScale),
                              _mm256_mul_pd(ToDouble(_mm256_and_si256(x, low32)), loScale));
            __m256i q = ToInt(_mm256_floor_pd(estimate)); // below 2^38
            const __m256i qBase = _mm256_add_epi64(
                _mm256_mul_epu32(q, base),
                _mm256_slli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(q, 32), base), 32));
            __m256i r = _mm256_sub_epi64(x, qBase);
            FixQuotient(r, q);
            _mm256_store_si256(reinterpret_cast<__m256i*>(r1 + i), r);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(q1 + i + 1), _mm256_sub_epi64(q, m1));
        }
        for (std::size_t i = vec; i < len; ++i) {
            const std::uint64_t x = col[at + i] + CarryOffset1 * Base;
            const std::uint64_t q = x / Base;
            r1[i] = std::int64_t(x - q * Base);
            q1[i + 1] = std::int64_t(q) - std::int64_t(CarryOffset1);
        }
        for (std::size_t i = 0; i < vec; i += 4) {
            const __m256i g = _mm256_add_epi64(
                _mm256_add_epi64(_mm256_load_si256(reinterpret_cast<const __m256i*>(r1 + i)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q1 + i))),
                off2); // in [0, 2^38)
            __m256i q = ToInt(_mm256_floor_pd(_mm256_mul_pd(ToDouble(g), loScale)));
            __m256i r = _mm256_sub_epi64(g, _mm256_mul_epu32(q, base));
            FixQuotient(r, q);
            _mm256_store_si256(reinterpret_cast<__m256i*>(r2 + i), r);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(q2 + i + 1), _mm256_sub_epi64(q, m2));
        }
        for (std::size_t i = vec; i < len; ++i) {
            const std::uint64_t g =
                std::uint64_t(r1[i] + q1[i] + std::int64_t(CarryOffset2 * Base));
            const std::uint64_t q = g / Base;
            r2[i] = std::int64_t(g - q * Base);
            q2[i + 1] = std::int64_t(q) - std::int64_t(CarryOffset2);
        }
        // The last carry, four columns at a time: each column's own carry out, then the one
        // from below; a carry that would run on (into 99999999 or below 0) redoes its four
        // columns one by one.
        auto serial = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) {
                std::int64_t t = r2[i] + q2[i] + c;
                c = std::int64_t(t >= std::int64_t(Base)) - std::int64_t(t < 0);
                t -= c * std::int64_t(Base);
                out[at + i] = Limb(t);
            }
        };
        for (std::size_t i = 0; i < vec; i += 4) {
            const __m256i t =
                _mm256_add_epi64(_mm256_load_si256(reinterpret_cast<const __m256i*>(r2 + i)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q2 + i)));
            const __m256i up = _mm256_cmpgt_epi64(t, top);    // -1 where t >= Base
            const __m256i down = _mm256_cmpgt_epi64(zero, t); // -1 where t < 0
            const __m256i k = _mm256_sub_epi64(down, up);     // the carry out: 1, 0 or -1
            const __m256i u = _mm256_sub_epi64(t, _mm256_mul_epi32(k, base));
            const __m256i in =
                _mm256_blend_epi32(_mm256_permute4x64_epi64(k, 0x90), _mm256_set1_epi64x(c), 0x03);
            const __m256i g = _mm256_add_epi64(u, in);
            const __m256i bad =
                _mm256_or_si256(_mm256_cmpgt_epi64(g, top), _mm256_cmpgt_epi64(zero, g));
            if (!_mm256_testz_si256(bad, bad)) {
                serial(i, i + 4);
                continue;
            }
            const __m256i packed =
                _mm256_permutevar8x32_epi32(g, _mm256_setr_epi32(0, 2, 4, 6, 0, 0, 0, 0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + i),
                             _mm256_castsi256_si128(packed));
            c = _mm256_extract_epi64(k, 3);
        }
        serial(vec, len);
        q1Prev = q1[len];
        q2Prev = q2[len];
    }
    return q1Prev + q2Prev + c;
}

// Products by one group w: a[i] * w = q[i] * Base + lo[i], with q estimated in double
// precision (off by at most one, then corrected exactly), and r[i] = lo[i] + q[i-1] + carry.
__attribute__((target("avx2"))) Limb MulWordAvx2(Limb* r, const Limb* a, std::size_t n, Limb w,
                                                 Limb carry) {
    // Scaled down a little so that the estimate never exceeds the true quotient: it is q or
    // q - 1, and only the remainder's upper bound needs a correction.
    const __m256d scale = _mm256_set1_pd(double(w) / double(Base) * (1.0 - 0x1p-50));
    const __m256i w32 = _mm256_set1_epi32(static_cast<int>(w));
    const __m256i base = _mm256_set1_epi32(static_cast<int>(Base));
    const __m256i top = _mm256_set1_epi32(static_cast<int>(Base - 1));
    const __m256i rotate = _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 6);
    Limb high = carry; // q of the group below the current block
    Limb c = 0;
    std::size_t i = 0;
    for (; i + Lanes <= n; i += Lanes) {
        const __m256i av = Load(a + i);
        const __m128i a0 = _mm256_castsi256_si128(av);
        const __m128i a1 = _mm256_extracti128_si256(av, 1);
        const __m128i q0 = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(a0), scale));
        const __m128i q1 = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(a1), scale));
        // The remainder a*w - q*Base lies in [0, 2*Base), so 32-bit wrapping arithmetic gives
        // it exactly.
        __m256i q = _mm256_set_m128i(q1, q0);
        __m256i lo = _mm256_sub_epi32(_mm256_mullo_epi32(av, w32), _mm256_mullo_epi32(q, base));
        const __m256i over = _mm256_cmpgt_epi32(lo, top);
        lo = _mm256_sub_epi32(lo, _mm256_and_si256(over, base));
        q = _mm256_sub_epi32(q, over);

        const __m256i below = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(q, rotate),
                                                 _mm256_set1_epi32(static_cast<int>(high)), 1);
        __m256i s = _mm256_add_epi32(lo, below);
        const __m256i out = _mm256_cmpgt_epi32(s, top);
        s = _mm256_sub_epi32(s, _mm256_and_si256(out, base));
        s = _mm256_sub_epi32(s, ShiftUp(out, c));
        const __m256i spill = _mm256_cmpeq_epi32(s, base);
        if (!_mm256_testz_si256(spill, spill)) {
            alignas(32) Limb los[Lanes];
            alignas(32) Limb qs[Lanes];
            _mm256_store_si256(reinterpret_cast<__m256i*>(los), lo);
            _mm256_store_si256(reinterpret_cast<__m256i*>(qs), q);
            for (std::size_t k = 0; k < Lanes; ++k) {
                const Limb v = los[k] + high + c;
                c = v >= Base;
                r[i + k] = v - (c ? Base : 0);
                high = qs[k];
            }
            continue;
        }
        Store(r + i, s);
        c = TopFlag(out);
        high = static_cast<Limb>(_mm256_extract_epi32(q, 7));
    }
    return MulWordPortable(r + i, a + i, n - i, w, high + c);
}

// --- the one-group product rows of a sum (TInfinito::AddProduct) ----------------------------

namespace {

// The constants of the vector row.
struct RowConstants {
    __m256i reciprocal; // RowReciprocal(w) in every 64-bit lane
    __m256i w32, base, top, top2, negBase, zero, rotate;
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

} // namespace

// The last, partial block is loaded and stored under a mask, its lane past v's end taking
// x[m] (the product's top group).
template <RowMode Mode>
__attribute__((target("avx2"))) Limb RowAvx2(Limb* x, const Limb* v, std::size_t m, Limb w) {
    VELTRA_EXPECTS(RowArguments(x, v, m, w));
    constexpr std::size_t Lanes = 8;
    const TRowLanes& fixed = RowLanes;
    const RowConstants k{_mm256_set1_epi64x(std::int64_t(RowReciprocal(w))),
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
    if constexpr (Mode == RowMode::Store) return 0; // a product's top group takes no carry
    // Lane r of the carries, moved to lane 0 (no aligned array on the stack to read it from).
    return Limb(-_mm256_cvtsi256_si32(_mm256_permutevar8x32_epi32(carries, _mm256_set1_epi32(r))));
}

template __attribute__((target("avx2"))) Limb RowAvx2<RowMode::Store>(Limb*, const Limb*,
                                                                      std::size_t, Limb);
template __attribute__((target("avx2"))) Limb RowAvx2<RowMode::Add>(Limb*, const Limb*, std::size_t,
                                                                    Limb);
template __attribute__((target("avx2"))) Limb RowAvx2<RowMode::Subtract>(Limb*, const Limb*,
                                                                         std::size_t, Limb);

} // namespace veltra::mag::detail

#endif
