// The one-group product rows of a sum sixteen groups at a time, for processors with 512-bit
// vectors (AVX-512F); TInfinito::AddProduct takes them where magnitude.cpp finds the processor
// has them, and the 256-bit rows (magnitude_avx2.cpp) elsewhere. The groups are the same.
#include "magnitude_kernels.h"

#if VELTRA_HAVE_X86_KERNELS

#include <immintrin.h>

namespace veltra::mag::detail {

// Carries and borrows pass between blocks in the top lane of a vector, and the last, partial
// block is loaded and stored under a mask.
template <RowMode Mode>
__attribute__((target("avx512f"))) Limb RowAvx512(Limb* x, const Limb* v, std::size_t m, Limb w) {
    VELTRA_EXPECTS(RowArguments(x, v, m, w));
    constexpr std::size_t Lanes = 16;
    // Masks that keep every lane: GCC 12 warns of the unmasked forms of some intrinsics,
    // whose unused operand it leaves uninitialized.
    constexpr __mmask8 All8 = 0xff;
    constexpr __mmask16 All16 = 0xffff;
    const __m512i mv = _mm512_set1_epi64(std::int64_t(RowReciprocal(w)));
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
    if constexpr (Mode == RowMode::Store) return 0; // a product's top group takes no carry
    return Limb(_mm512_cvtsi512_si32(
        _mm512_maskz_permutexvar_epi32(All16, _mm512_set1_epi32(int(r)), carries)));
}

template __attribute__((target("avx512f"))) Limb RowAvx512<RowMode::Store>(Limb*, const Limb*,
                                                                           std::size_t, Limb);
template __attribute__((target("avx512f"))) Limb RowAvx512<RowMode::Add>(Limb*, const Limb*,
                                                                         std::size_t, Limb);
template __attribute__((target("avx512f"))) Limb RowAvx512<RowMode::Subtract>(Limb*, const Limb*,
                                                                              std::size_t, Limb);

} // namespace veltra::mag::detail

#endif
