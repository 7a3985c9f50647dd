// Kernels on base-10^8 magnitudes stored least significant group first.
// Internal to the decimal type; lengths are group counts.
#pragma once

#include "groupbase.h"

#include <cstddef>
#include <cstdint>

namespace veltra::mag {

using Limb = std::uint32_t;
inline constexpr Limb Base = GroupBase;

// r[0..n) = a[0..n) + b[0..n) + carry; returns the carry out (0 or 1). r may alias a or b.
Limb Add(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb carry = 0);
// r[0..n) += carry, stopping as soon as it is absorbed; returns the carry out.
Limb AddCarry(Limb* r, std::size_t n, Limb carry);
// r[0..n) = a[0..n) - b[0..n) - borrow; returns the borrow out. r may alias a or b.
Limb Sub(Limb* r, const Limb* a, const Limb* b, std::size_t n, Limb borrow = 0);
// r[0..n) -= borrow; returns the borrow out.
Limb SubBorrow(Limb* r, std::size_t n, Limb borrow);
// Compares a[0..n) with b[0..n) as numbers: -1, 0 or +1.
int Compare(const Limb* a, const Limb* b, std::size_t n);
// r[0..n) = a[0..n) * w + carry, w below Base; returns the top group.
Limb MulWord(Limb* r, const Limb* a, std::size_t n, Limb w, Limb carry = 0);
// acc[0..n) += a[0..n) * w (RowMulAdd) or -= (RowMulSub), modulo 2^64: 64-bit column sums
// that hold up to ColumnTerms signed products of two groups before any carry is needed.
void RowMulAdd(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
void RowMulSub(std::uint64_t* acc, const Limb* a, std::size_t n, Limb w);
// Carries signed column sums col[0..n) (two's complement, each of magnitude at most
// ColumnTerms * (Base-1)^2 + Base) into groups out[0..n) in [0, Base) and returns the carry
// out of the top, so that sum(col[i] Base^i) = sum(out[i] Base^i) + carry Base^n. col is
// used as scratch.
std::int64_t CarryColumns(std::uint64_t* col, std::size_t n, Limb* out);
// Products of two groups (each below Base^2) a signed 64-bit column can take, with room left
// for a carry from below.
inline constexpr std::size_t ColumnTerms = 900;
// r[0..na+nb) = a * b. r must not overlap a or b; na, nb > 0.
void Mul(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);
// Chooses the vector kernels (when the processor has them) or the portable ones; returns
// whether vector kernels are now in use. They are chosen automatically at first use.
bool UseVectorKernels(bool on);
namespace detail {
// Mirrors the choice for the hot paths that ask once per product; false until the choice is
// made at start-up (the portable kernels give the same groups, only slower).
extern bool vectorInUse;
} // namespace detail
inline bool VectorKernelsInUse() {
    return detail::vectorInUse;
}
// With vector kernels in use, the one-group product rows of a sum can take 512-bit vectors
// where the processor has them (the default); off, they keep to 256 bits. Returns whether the
// 512-bit rows are now in use. The groups are the same either way.
bool UseWideRows(bool on);
// Whether the 512-bit rows are wished for (in use when the vector kernels are and the
// processor has them).
bool WideRowsWanted();
namespace detail {
extern bool wideRowsInUse;
} // namespace detail
inline bool WideRowsInUse() {
    return detail::wideRowsInUse;
}
// Group count above which Mul switches from the column method to Karatsuba (tunable).
extern std::size_t KaratsubaThreshold;
// r[0..na+nb) = a * b through number-theoretic transforms, exact for products of up to
// 2^MaxTransformLog coefficients (na + nb - 1 <= TransformLimit); a far longer operand is taken
// in slices against one transform of the shorter. r must not overlap a or b.
void MulTransform(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);
inline constexpr int MaxTransformLog = 40;
// Length of the shorter operand, in groups, from which Mul uses the transforms (tunable); a
// quarter of it suffices against an operand ten times as long.
extern std::size_t TransformThreshold;
// Most coefficients one transform computes, at most 2^MaxTransformLog; Mul splits longer
// products into slices of the longer operand (tunable; tests lower it to reach the split).
extern std::size_t TransformLimit;
// Products a sum must have, more than this, before TInfinito::AddProducts uses column sums
// rather than one AddProduct each (tunable; tests set 0 to reach the columns every time).
extern std::size_t ColumnSumThreshold;

} // namespace veltra::mag
