// AVX2 versions of the hot magnitude kernels, chosen at run time by magnitude.cpp when the
// processor has AVX2. Carries are resolved eight groups at a time; the rare block where a
// carry runs into a 99999999 group is redone by the portable loop.
#include "magnitude_kernels.h"

#if VELTRA_HAVE_X86_KERNELS

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

__attribute__((target("avx2"))) void RowMulAddAvx2(std::uint64_t* acc, const Limb* a, std::size_t n,
                                                   Limb w) {
    const __m256i wv = _mm256_set1_epi64x(w);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256i av =
            _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
        __m256i* p = reinterpret_cast<__m256i*>(acc + i);
        _mm256_storeu_si256(p, _mm256_add_epi64(_mm256_loadu_si256(p), _mm256_mul_epu32(av, wv)));
    }
    for (; i < n; ++i)
        acc[i] += std::uint64_t(a[i]) * w;
}

__attribute__((target("avx2"))) void RowMulSubAvx2(std::uint64_t* acc, const Limb* a, std::size_t n,
                                                   Limb w) {
    const __m256i wv = _mm256_set1_epi64x(w);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256i av =
            _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
        __m256i* p = reinterpret_cast<__m256i*>(acc + i);
        _mm256_storeu_si256(p, _mm256_sub_epi64(_mm256_loadu_si256(p), _mm256_mul_epu32(av, wv)));
    }
    for (; i < n; ++i)
        acc[i] -= std::uint64_t(a[i]) * w;
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

} // namespace veltra::mag::detail

#endif
