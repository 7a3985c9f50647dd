// The portable magnitude kernels and their vector twins (magnitude_avx2.cpp).
#pragma once

#include "magnitude.h"

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

// The lane constants of the one-group vector row (infinitoaddmul.cpp), eight lanes each. They
// live in another file than their reader so that it loads them: a constant it can see is
// built from an immediate instead, three instructions apiece on every call of a short row.
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
