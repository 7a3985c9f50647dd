// The exact values of a plotted series, kept compactly: a word for nearly every value, the
// rest whole in blocks that never move. No Qt here.
#pragma once

#include "numeric/infinito.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace veltra {

// The value as the nearest double (0 when it has no groups; +-huge beyond double's range).
double ToDouble(const TInfinito& value);

// Numbers kept in blocks of many: growing never moves the numbers held, and a run that records
// hundreds of values per step allocates once per block rather than once per handful of them.
class TValueBlocks {
public:
    static constexpr std::size_t Block = 1024;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const TInfinito& operator[](std::size_t i) const { return blocks_[i / Block][i % Block]; }
    const TInfinito& back() const { return (*this)[size_ - 1]; }
    void push_back(const TInfinito& value);
    // Keeps the first `n` numbers (n no more than size()).
    void shrink(std::size_t n);

private:
    std::vector<std::vector<TInfinito>> blocks_; // each reserved to Block, never beyond
    std::size_t size_ = 0;
};

// An allocator whose resize leaves new numbers unwritten, for buffers whose new room is
// written at once (a word per point: zeroing it first would write it twice).
template <class T> struct TUnzeroed : std::allocator<T> {
    template <class U> struct rebind { using other = TUnzeroed<U>; };
    TUnzeroed() = default;
    template <class U> TUnzeroed(const TUnzeroed<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};
using TWords = std::vector<std::uint64_t, TUnzeroed<std::uint64_t>>;

// The exact values of one series, one word each for values of up to 16 significant digits (a
// run records hundreds of values per step; a whole number is 48 bytes written to fresh memory,
// a word is 8): the significant digits as a signed integer below 10^16, with the power of ten
// of the last of them (-255 to 255). Longer values, a negative zero and a number without
// groups are kept whole beside them. Every value reads back as exactly the number recorded.
class TExactValues {
public:
    std::size_t size() const { return words_.size(); }
    bool empty() const { return words_.empty(); }
    TInfinito operator[](std::size_t i) const;
    TInfinito back() const { return (*this)[size() - 1]; }
    // The value's canonical text (as TInfinito::ToText), without making the number.
    std::string Text(std::size_t i) const;
    // The ends of that text (as TInfinito::TextEnds): a value kept whole is not written out.
    TTextEnds TextEnds(std::size_t i, std::size_t head, std::size_t tail) const;
    // ToDouble of the value, and its length in digits (TInfinito::Digits, both sides).
    double Double(std::size_t i) const;
    double DigitCount(std::size_t i) const;
    void push_back(const TInfinito& value);
    // The word of a value for PushWord; false when it is to be kept whole (PushWhole). Its
    // digits may end in zeros (a value of one or two groups is taken as its groups lie, which
    // is cheap enough to do for every watched value after every step); what is read back is
    // the value all the same.
    static bool Encode(const TInfinito& value, std::uint64_t& word);
    // Encode's first try, for nearly every value a net carries (one or two groups), inline so
    // that recording a step's values pays no call for them.
    static bool EncodeShort(const TInfinito& value, std::uint64_t& word) {
        std::uint64_t magnitude;
        std::int32_t lowest;
        if (!value.ShortMagnitude(magnitude, lowest) || lowest < LowestPower ||
            lowest > HighestPower || (value.Sign() < 0 && magnitude == 0))
            return false;
        const auto m = static_cast<std::int64_t>(magnitude);
        word = MakeWord(value.Sign() < 0 ? -m : m, lowest);
        return true;
    }
    void PushWord(std::uint64_t word) { words_.push_back(word); }
    void PushWhole(const TInfinito& value);
    // Room for `n` more words at the end, to be written in place: a word, or KeepWhole's.
    std::uint64_t* Extend(std::size_t n) {
        words_.resize(words_.size() + n);
        return words_.data() + words_.size() - n;
    }
    // Keeps `value` whole as the next value so kept, and gives the word that stands for it.
    std::uint64_t KeepWhole(const TInfinito& value);
    // Whether a word of Encode's stands for a value kept elsewhere (an index, not digits).
    // (The low nine bits of a word hold the power; the mark is the lowest of them.)
    static bool IsWholeMark(std::uint64_t word) { return (word & 0x1ff) == 0x100; }
    // The word at `i` (for telling repeated values apart without decoding them).
    std::uint64_t WordAt(std::size_t i) const { return words_[i]; }
    const std::uint64_t* Words() const { return words_.data(); }
    // Keeps the first `n` values (n no more than size()).
    void shrink(std::size_t n);
    // Gives back room of Extend's beyond the first `n` words, which was never written (so it
    // holds no mark of a value kept whole).
    void EndRoom(std::size_t n) { words_.resize(n); }
    // How many values are kept whole.
    std::size_t Whole() const { return whole_.size(); }
    // Appends to `ys` what a picture draws of the values from ys.size() up to `to`: their
    // doubles, or their digit counts. A value repeated from one point to the next (a
    // saturated neuron) is worked out once.
    void AppendDrawn(bool digitCounts, std::size_t to, std::vector<double>& ys) const;

    // The layout of a word: the value's significant digits as a signed integer (below 10^16)
    // in the upper 55 bits, and in the low 9 the power of ten of its last digit, or WholeMark
    // when the upper bits are instead the index of a value kept whole.
    static constexpr int PowerBits = 9;
    static constexpr int WholeMark = -(1 << (PowerBits - 1));
    static constexpr int LowestPower = WholeMark + 1, HighestPower = (1 << (PowerBits - 1)) - 1;
    static constexpr std::uint64_t MakeWord(std::int64_t digits, int power) {
        return (static_cast<std::uint64_t>(digits) << PowerBits) |
               (static_cast<std::uint64_t>(power) & ((1u << PowerBits) - 1));
    }

private:
    TWords words_;
    TValueBlocks whole_; // in the order of their points
};

} // namespace veltra
