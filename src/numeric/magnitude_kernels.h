// The portable magnitude kernels and their vector twins (magnitude_avx2.cpp, and the 512-bit
// product rows in magnitude_avx512.cpp).
#pragma once

#include "contract.h"
#include "magnitude.h"

#include <algorithm>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELTRA_HAVE_X86_KERNELS 1
#else
#define VELTRA_HAVE_X86_KERNELS 0
#endif

namespace veltra::mag::detail {

Limb AddPortable(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry);
Limb SubPortable(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow);
int ComparePortable(const Limb* a, const Limb* b, std::size_t n);
void RowMulAddPortable(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
void RowMulSubPortable(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
Limb MulWordPortable(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry);
std::int64_t CarryColumnsPortable(std::uint64_t* col, std::size_t n, Limb* out);

// CarryColumns splits every column into three base-Base digits independently of the others
// (so no 64-bit division waits on the one before) after adding these offsets, which make the
// divisions unsigned; only a carry of -1, 0 or 1 then runs from column to column.
inline constexpr std::uint64_t CarryOffset1 = 92233720368; // times Base: just below 2^63
inline constexpr std::uint64_t CarryOffset2 = 1024;        // times Base: above |q1| + Base

#if VELTRA_HAVE_X86_KERNELS
Limb AddAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry);
Limb SubAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow);
int CompareAvx2(const Limb* a, const Limb* b, std::size_t n);
void RowMulAddAvx2(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
void RowMulSubAvx2(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
Limb MulWordAvx2(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry);
std::int64_t CarryColumnsAvx2(std::uint64_t* col, std::size_t n, Limb* out);

// What a one-group product row does with x: overwrite it with the product, add the product, or
// subtract it.
enum class RowMode { Store, Add, Subtract };

// x[0..m] := the product w * v[0..m) for one group w (Store), or x[0..m] plus or minus it, in
// one pass; m >= 1. Returns the carry or borrow out of x[m] (0 when storing). The 256-bit row
// takes eight groups at a time, the 512-bit one (for processors with AVX-512F) sixteen.
// (Declared with their targets: a declaration without would be another version of them.)
template <RowMode Mode>
__attribute__((target("avx2"))) Limb RowAvx2(Limb* x, const Limb* v, std::size_t m, Limb w);
template <RowMode Mode>
__attribute__((target("avx512f"))) Limb RowAvx512(Limb* x, const Limb* v, std::size_t m, Limb w);

// What the rows require: at least one group, a weight and groups below Base, and x[0..m] and
// v[0..m) apart.
inline bool RowArguments(const Limb* x, const Limb* v, std::size_t m, Limb w) {
    return m >= 1 && w < Base && std::all_of(v, v + m, [](Limb g) { return g < Base; }) &&
           (x + m + 1 <= v || v + m <= x);
}

// The factor whose product with a group a, shifted down 32 bits, estimates the quotient of
// a * w by Base: floor(w * 2^32 / Base) / 2^32 falls short of w / Base by under 2^-32, so
// a times it falls short of a * w / Base by under a / 2^32 < 0.03, and rounded down it is the
// quotient or one less. The rows correct it from the remainder, which then lies in
// [0, 2 * Base).
constexpr std::uint64_t RowReciprocal(Limb w) {
    return (std::uint64_t(w) << 32) / Base;
}

// A block of a vector row redone group by group, from the high group of the product below it
// and the carry or borrow into it (0, 1 or 2): where a carry from below runs on.
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

// The lane constants of the 256-bit row, eight lanes each. They live in another file than
// their reader (magnitude.cpp) so that it loads them: a constant it can see is built from an
// immediate instead, three instructions apiece on every call of a short row.
struct alignas(32) TRowLanes {
    std::int32_t base[8];    // Base
    std::int32_t top[8];     // Base - 1
    std::int32_t top2[8];    // 2 * Base - 1
    std::int32_t negBase[8]; // -Base
    std::int32_t rotate[8];  // lane k takes lane k - 1, lane 0 lane 7
};
extern const TRowLanes RowLanes;
#endif

} // namespace veltra::mag::detail
