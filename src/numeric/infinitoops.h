// Access to the private layout of TInfinito for the files that implement it.
#pragma once

#include "infinito.h"
#include "magnitude.h"

namespace veltra {

class TInfinitoOps {
public:
    static mag::Limb* Mags(TInfinito& x) noexcept { return x.data_; }
    static const mag::Limb* Mags(const TInfinito& x) noexcept { return x.data_; }
    static std::size_t Size(const TInfinito& x) noexcept { return x.size_; }
    static std::int32_t Low(const TInfinito& x) noexcept { return x.low_; }
    static std::int32_t Top(const TInfinito& x) noexcept {
        return x.low_ + GroupDigits * static_cast<std::int32_t>(x.size_ - 1);
    }
    static std::size_t Capacity(const TInfinito& x) noexcept { return x.capacity_; }
    static void SetSign(TInfinito& x, int sign) noexcept {
        x.sign_ = static_cast<std::int8_t>(sign);
    }

    // Makes x hold n groups from Position low, contents unspecified; sign untouched. Room for
    // at least `room` groups (>= n) is made at once so a later carry group needs no copy.
    static void Shape(TInfinito& x, std::size_t n, std::int32_t low, std::size_t room = 0);
    // Extends x with zero groups to cover Positions low..top (which include its own), keeping
    // room for one carry group; capacity grows geometrically so an accumulator settles.
    static void Widen(TInfinito& x, std::int32_t low, std::int32_t top);
    // Appends one group above the top (capacity grows geometrically).
    static void PushTop(TInfinito& x, mag::Limb m);
    // The sign of the value: 0 for a zero (whatever Sign says) or a number without groups.
    static int ValueSign(const TInfinito& x) noexcept { return x.IsZero() ? 0 : x.sign_; }
    // Compares |a| with |b|; numbers without groups count as zero.
    static int CompareMagnitudes(const TInfinito& a, const TInfinito& b) noexcept;
    // r := a + b with the group layout of the group-by-group algorithm; r is neither a nor b.
    static void AddInto(TInfinito& r, const TInfinito& a, const TInfinito& b);
    // Adds b into x in place when b's groups lie within x's; false when it cannot.
    static bool TryAddInPlace(TInfinito& x, const TInfinito& b);
    // r[0..a.size + b.size) := the groups of a * b from Position a.low + b.low, top group
    // included even when zero; r overlaps neither operand; both have groups.
    static void ProductGroups(mag::Limb* r, const TInfinito& a, const TInfinito& b);
    // r := a * b; r is neither a nor b.
    static void MultiplyInto(TInfinito& r, const TInfinito& a, const TInfinito& b);
};

} // namespace veltra
