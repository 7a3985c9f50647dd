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

#if VELTRA_HAVE_X86_KERNELS
Limb AddAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry);
Limb SubAvx2(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow);
int CompareAvx2(const Limb* a, const Limb* b, std::size_t n);
void RowMulAddAvx2(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
void RowMulSubAvx2(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
Limb MulWordAvx2(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry);
#endif

} // namespace veltra::mag::detail
