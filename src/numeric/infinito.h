// Exact signed decimals of unbounded length: the type of every value in a net.
//
// A number is a sign and a run of contiguous base-10^8 groups ("eight digits each"),
// each standing for Value x 10^Position with Position a multiple of 8. The group view
// (GroupCount/GroupAt, index 0 = most significant) and the sign rules are part of the
// observable behaviour: results are deliberately not normalised (99.5 + 0.5 keeps its
// zero fraction group) and a zero may carry Sign -1 ("-0").
#pragma once

#include "numeric/groupbase.h"
#include "numeric/textends.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// Raised by SetFromText when a chunk of the integer digits is not a number.
// what() is exactly "'<chunk>' is not a valid floating point value".
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& chunk);
};

// Raised by ReadTypedNumber for a typed text that is not a number, whichever part of it is
// wrong. what() is "'<text>' is not a valid floating point value", the words of
// EConvertError, with the whole text (a very long one shortened).
class EInvalidNumber : public std::runtime_error {
public:
    explicit EInvalidNumber(std::string_view text);
};
// The message of EInvalidNumber as a string, whole even where the text holds a NUL byte.
std::string InvalidNumberText(std::string_view text);

// Raised by a long multiplication that finds the cancel flag of its thread set (TCancelScope):
// the computation in progress is abandoned; the operands are unchanged.
class TCancelled : public std::runtime_error {
public:
    TCancelled();
};

// While it lives, long multiplications on this thread poll `flag` and throw TCancelled once it
// is set, so that a step of huge values can be abandoned from another thread. Scopes nest; the
// innermost one counts.
class TCancelScope {
public:
    explicit TCancelScope(const std::atomic<bool>& flag) noexcept;
    ~TCancelScope();
    TCancelScope(const TCancelScope&) = delete;
    TCancelScope& operator=(const TCancelScope&) = delete;
    // Throws TCancelled when the innermost scope's flag is set (nothing without a scope).
    static void Poll();
    // The innermost scope's flag on this thread, or null: threads that share a computation
    // install it too, so one cancel reaches them all.
    static const std::atomic<bool>* CurrentFlag() noexcept;

private:
    const std::atomic<bool>* previous_;
};

namespace mag {
// Declared with the kernels (magnitude.h); here for ColumnSumsPay, asked once per product.
extern std::size_t ColumnSumThreshold;
} // namespace mag

// How far the 32-bit Positions reach: a text with more groups on either side of the point
// than TextGroups, or a product with a Position beyond +/-PositionBound, has no number. Tests
// lower them to reach those failures without gigabytes; nothing else changes them.
struct TInfinitoLimits {
    static std::size_t TextGroups;     // (1 << 28) - 1
    static std::int64_t PositionBound; // INT32_MAX
};

// One group: Value has magnitude below 10^8 and carries the sign of its number.
struct TInfinitoNo {
    std::int64_t Value = 0;
    std::int32_t Position = 0;

    static constexpr std::int64_t Base = GroupBase;

    // Group arithmetic. Each works on a running carry passed by reference.
    // SplitCarry: x becomes its low part (sign of x), the carry part is returned.
    static std::int64_t SplitCarry(std::int64_t& x);
    // x = a + b + carry; carry := carry part; result at a's Position.
    static TInfinitoNo AddGroups(const TInfinitoNo& a, const TInfinitoNo& b, std::int64_t& carry);
    // x = a * b + carry; carry := carry part; result at Position a + b.
    static TInfinitoNo MultiplyGroups(const TInfinitoNo& a, const TInfinitoNo& b,
                                      std::int64_t& carry);
    // g.Value := low part of g + carry; carry := carry part.
    static void AbsorbCarry(TInfinitoNo& g, std::int64_t& carry);
    // One position of an opposite-sign addition (d dominant, o other, sigma the result sign).
    static TInfinitoNo BorrowStep(std::int64_t d, std::int64_t o, std::int64_t& carry, int sigma,
                                  std::int32_t position);

    friend bool operator==(const TInfinitoNo&, const TInfinitoNo&) = default;
};

class TInfinito {
public:
    TInfinito() noexcept; // no groups, Sign 0
    // Convenience: SetFromText(text); throws EConvertError like it.
    explicit TInfinito(std::string_view text);
    TInfinito(const TInfinito& other);
    TInfinito(TInfinito&& other) noexcept;
    TInfinito& operator=(const TInfinito& other);
    TInfinito& operator=(TInfinito&& other) noexcept;
    ~TInfinito();

    // --- housekeeping -------------------------------------------------------
    void Clear() noexcept; // no groups afterwards; Sign 0
    // Accepts [-][digits][.digits]; only plain digit runs convert. false: unreadable fraction
    // (the number becomes one zero group, Sign +1). EConvertError: unreadable integer digits;
    // the number then keeps its previous value. std::length_error: more than ~2*10^9 digits.
    bool SetFromText(std::string_view text);
    // The number SetFromText("0") gives (one zero group at Position 0, Sign +1), written into
    // the buffer already there: a neuron's sum cleared for the next step.
    void SetZero() noexcept {
        size_ = 1;
        low_ = 0;
        sign_ = 1;
        data_[0] = 0;
    }
    std::string ToText() const; // canonical text
    // TextEndsOf(ToText(), head, tail, Digits), made from the groups at the two ends alone: a
    // number of ten million digits is shown shortened without writing its text.
    TTextEnds TextEnds(std::size_t head, std::size_t tail) const;
    TInfinito Duplicate() const { return *this; }
    // Exchanges the two numbers; long ones only trade their buffers.
    void Swap(TInfinito& other) noexcept;
    TInfinito Negated() const;
    void Normalize();
    // This number becomes x in normal form, as after x.Normalize() and Swap(x); x is left with
    // any value. Groups that do not start x's buffer are copied here when they fit, so that
    // no group moves twice (a neuron's sum becoming its activity).
    void TakeNormalized(TInfinito& x) noexcept;

    int Sign() const noexcept { return sign_; }
    int GroupCount() const noexcept { return static_cast<int>(size_); }
    TInfinitoNo GroupAt(int index) const; // 0 = most significant; std::out_of_range
    // Front if above the first group, else back; Positions skipped over become zero groups.
    // std::invalid_argument for a Position already held, a Value of 10^8 or more, or a non-zero
    // Value whose sign differs from a non-zero number's (every group carries the number's sign).
    void InsertGroup(const TInfinitoNo& g);
    TInfinitoNo LeadingGroup() const; // first non-zero group, or 0 at 0
    bool HasGroups() const noexcept { return size_ != 0; }
    // For a number of one or two groups: their magnitudes as one number (the upper group times
    // GroupBase plus the lower, so below GroupBase^2) and the Position of the lower group;
    // false for a longer number and for one without groups. Inline, for readers of many short
    // values at a time (the plot takes every watched value after every step).
    bool ShortMagnitude(std::uint64_t& magnitude, std::int32_t& lowPosition) const noexcept {
        if (size_ - 1u > 1u) return false; // 0 wraps round to a large count
        magnitude = size_ == 2 ? std::uint64_t{data_[1]} * GroupBase + data_[0] : data_[0];
        lowPosition = low_;
        return true;
    }
    // No groups, or every group zero. Zero groups gather at the ends (0.5, 99.5 + 0.5), so
    // both ends are looked at before any scan.
    bool IsZero() const noexcept {
        if (size_ == 0) return true;
        if (data_[0] != 0 || data_[size_ - 1] != 0) return false;
        return size_ <= 2 || ScanForZero();
    }

    // For a number in normal form (Normalize leaves one): whether it is above 1. Reads the
    // sign, the top Position and the leading group only: in normal form the leading group is
    // not zero and neither is the lowest, so nothing below can change the answer.
    bool NormalExceedsOne() const noexcept {
        if (size_ == 0 || sign_ <= 0) return false;
        const std::int64_t top = std::int64_t(low_) + GroupDigits * std::int64_t(size_ - 1);
        const std::uint32_t lead = data_[size_ - 1];
        if (top != 0) return top > 0 && lead != 0;
        return lead > 1 || (lead == 1 && size_ > 1);
    }

    // --- arithmetic (results owned by the caller; operands unchanged) --------
    // A number without groups (constructor, Clear, the texts "-", ".", "-.") counts as zero
    // everywhere: Add returns the other operand's groups (or one zero group), Multiply a
    // zero loaded from "0". Multiply throws std::overflow_error if a Position leaves 32 bits.
    static TInfinito Add(const TInfinito& a, const TInfinito& b);
    static TInfinito Multiply(const TInfinito& a, const TInfinito& b);
    // Both normalise their operands in place first (observable: "-0" becomes "0").
    static bool GreaterThan(TInfinito& a, TInfinito& b);
    static bool EqualTo(TInfinito& a, TInfinito& b);
    // Value comparison without touching the operands: -1, 0 or +1.
    static int Compare(const TInfinito& a, const TInfinito& b);

    // --- in-place forms for hot paths (same value and group layout as the pure forms)
    void AddInPlace(const TInfinito& b);                     // *this = Add(*this, b)
    void AddProduct(const TInfinito& a, const TInfinito& b); // *this = Add(*this, Multiply(a, b))
    // AddProduct(w, v) for a caller that knows w has one non-zero group, v at least one group,
    // and neither is this number: a step's loop over its synapses, which knows its weights.
    void AddOneGroupProduct(const TInfinito& w, const TInfinito& v);
    // A weight times a value, both referenced (a neuron's pending input).
    struct TProduct {
        const TInfinito* weight;
        const TInfinito* value;
    };
    // AddProduct(weight, value) for each product in order, with the same value, sign and group
    // layout, computed as 64-bit column sums with one carry pass when it can (a zero sum and
    // short weights: a neuron's whole input); otherwise product by product. Polls TCancelScope.
    void AddProducts(const TProduct* products, std::size_t count);
    // Whether AddProducts of that many products would use column sums (otherwise adding each
    // product as it comes costs the same and needs no record of it).
    static bool ColumnSumsPay(std::size_t count) noexcept {
        return count > mag::ColumnSumThreshold;
    }

    // Digits of the canonical text before and after the point (0 before it for 0.5, none
    // at all for zero): how long the number is, without making its text.
    struct TDigits {
        std::int64_t whole = 0;
        std::int64_t fraction = 0;
    };
    TDigits Digits() const noexcept;
    // At least Digits().whole + Digits().fraction, from where the groups lie alone (no look at
    // their digits): for bounds checked often, where a few digits too many do no harm.
    std::int64_t DigitSpan() const noexcept {
        const std::int64_t top = std::int64_t{low_} + std::int64_t{GroupDigits} * size_;
        return (top > 0 ? top : 0) + (low_ < 0 ? -std::int64_t{low_} : 0);
    }

    // Bytes of heap memory this number holds (0 for small numbers).
    std::size_t HeapBytes() const noexcept;
    // A hash of the value: numbers that Compare equal hash equal, whatever zero groups they
    // carry at either end and whatever the sign of a zero.
    std::uint64_t ValueHash() const noexcept;
    // The same groups at the same Positions and the same sign: what every result computed from
    // a number depends on (its buffer's room aside). FormHash agrees with it.
    static bool SameForm(const TInfinito& a, const TInfinito& b) noexcept;
    std::uint64_t FormHash() const noexcept;

private:
    bool ScanForZero() const noexcept; // the groups between the two ends
    // The groups of d[0..n) that normal form keeps: returns their count, with `drop` the zero
    // groups below them. Zero groups at the top go first, and one group always stays. Counted
    // in locals: the groups and the count are both 32-bit, so the compiler would otherwise
    // reread a member count after every look at a group.
    static std::uint32_t NormalSpan(const std::uint32_t* d, std::uint32_t n,
                                    std::uint32_t& drop) noexcept {
        while (n > 1 && d[n - 1] == 0)
            --n;
        drop = 0;
        while (n - drop > 1 && d[drop] == 0)
            ++drop;
        return n - drop;
    }
    // The short route of AddProduct (w of one non-zero group, neither operand this number):
    // false, with nothing changed, for what it does not take.
    bool AddShortProduct(const TInfinito& w, const TInfinito& v);
    // AddProduct for what its short route does not take.
    [[gnu::noinline]] void AddProductGeneral(const TInfinito& a, const TInfinito& b);

    // Magnitudes (each below 10^8), least significant group first; low_ is the Position of
    // data_[0]. Every group carries the number's sign, so only magnitudes are stored. Six
    // inline groups hold any product of two 16-digit values without touching the heap.
    static constexpr std::uint32_t InlineGroups = 6;
    std::uint32_t* data_;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = InlineGroups;
    std::int32_t low_ = 0;
    std::int8_t sign_ = 0;
    std::uint32_t inline_[InlineGroups];

    friend class TInfinitoOps; // implementation helpers in infinito.cpp and friends
};

// Why a number text of that many characters cannot be read: positions are 32-bit, so a side of
// the point holds some two thousand million digits at most. SetFromText's length_error says it.
std::string TooLongNumberText(std::size_t characters);

// Reads a number a user typed. SetFromText quietly takes an unreadable fraction ("1.5x",
// "0.2.5") as zero: a net file may rely on that, a user never should, so here it throws
// EInvalidNumber, as an unreadable integer part does. An empty text is 0, and so are "." and
// "-." (as in a net file: a number without groups, which acts as zero); a lone "-" is refused,
// being what is left while a negative number is still being typed.
TInfinito ReadTypedNumber(std::string_view text);

// A plain list of numbers (the partial products of a multiplication).
using TListaReal = std::vector<TInfinito>;

// In the header: a neuron's commit calls it once per step, and inlined there it shares the
// commit's saved registers and call.
inline void TInfinito::TakeNormalized(TInfinito& x) noexcept {
    if (this == &x) {
        Normalize();
        return;
    }
    std::uint32_t* d = x.data_;
    std::uint32_t drop = 0;
    const std::uint32_t n = NormalSpan(d, x.size_, drop);
    const bool zero = n == 1 && d[drop] == 0;
    const std::int32_t low = zero ? 0 : x.low_ + GroupDigits * static_cast<std::int32_t>(drop);
    const std::int8_t sign = zero ? std::int8_t{0} : x.sign_;
    if (drop != 0 && n <= capacity_) {
        std::memcpy(data_, d + drop, n * sizeof(std::uint32_t));
        size_ = n;
        low_ = low;
        sign_ = sign;
        return;
    }
    if (drop != 0) std::memmove(d, d + drop, n * sizeof(std::uint32_t));
    x.size_ = n;
    x.low_ = low;
    x.sign_ = sign;
    Swap(x);
}

} // namespace veltra
