// What the Plot window draws: for every watched element, its value after every step as it was
// run (exact, plus the double and the digit count used only for drawing, worked out from the
// exact value when the picture needs them), and the per-pixel decimation that keeps a redraw
// of many long series fast. No Qt here.
#pragma once

#include "numeric/infinito.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace veltra {

class TNeuronio;

class TProtoLista;
class TProtoNeuronio;

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

private:
    TWords words_;
    TValueBlocks whole_; // in the order of their points
};

// The steps of a series' points, ascending, kept as runs of consecutive steps: a run records
// a point at every step, so its steps take a few words in all rather than one per point.
class TStepList {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    long long operator[](std::size_t i) const;
    long long front() const { return runs_.front().step; }
    long long back() const {
        return runs_.back().step + static_cast<long long>(size_ - 1 - runs_.back().index);
    }
    // A step beyond back().
    void push_back(long long step) { AppendRun(step, 1); }
    // `count` steps from `first` on, one apart (first beyond back()).
    void AppendRun(long long first, std::size_t count);
    // Keeps the first `n` steps (n no more than size()).
    void shrink(std::size_t n);
    // The index of the first step not below `step` (size() when there is none).
    std::size_t LowerBound(long long step) const;

private:
    struct Run {
        long long step;    // its first step
        std::size_t index; // the index of its first point
    };
    std::vector<Run> runs_;
    std::size_t size_ = 0;
    mutable std::size_t lastRun_ = 0; // a redraw reads neighbouring steps
};

struct TPlotSeries {
    const void* key = nullptr; // the element; null once it is released
    std::string label;
    TStepList steps;
    // The doubles and digit counts (before and after the point together) of the first points
    // (each may cover fewer than the other); recording adds only steps and exact values, and
    // Settle works these out for the rest when the picture is wanted (TPlotData::Series and
    // Bounds do it; a picture of values leaves the digit counts for later).
    std::vector<double> values;
    std::vector<double> digits;
    TExactValues exact;
    // The extremes of values and digits, kept as points come and go, so that fitting the view
    // after every frame of a run does not pass over every point again.
    double valueLow = 0, valueHigh = 0, digitsLow = 0, digitsHigh = 0;
    // The extremes of every block of Block points, values and digits: a pixel column that
    // spans whole blocks reads their summaries instead of their points (a redraw of many long
    // series is bound by memory, not by arithmetic).
    static constexpr std::size_t Block = 32;
    std::vector<double> blockValueLow, blockValueHigh, blockDigitsLow, blockDigitsHigh;

    // Drops the points of `step` and later (a step taken back, then taken again).
    void Truncate(long long step);
    void Append(long long step, const TInfinito& value);
    std::size_t Size() const { return steps.size(); }
    // Works the extremes and block summaries out afresh from the points that have doubles
    // (for points put into the vectors directly; Settle and Truncate call it themselves).
    void Summarise(std::size_t fromPoint = 0);
    // One mode's; `grown`: points were only added since it was last called.
    void Summarise(bool digits, std::size_t fromPoint, bool grown = false);
    // Doubles, digit counts, extremes and summaries for the points recorded since; or only
    // what a picture of values (or of digit counts) needs.
    void Settle();
    void Settle(bool digits);
    // The index of the point at `step`, -1 when there is none.
    long long Find(long long step) const;
};

// One pixel column of a series: the lowest and highest value among its points.
struct TPlotColumn {
    int x;
    double low;
    double high;
};

class TPlotData {
public:
    // The values of the list's watched elements after `step` (series made as they appear).
    void Record(long long step, const TProtoLista& list);
    // The same, given the list's watched elements in list order. `unchanged`: the caller
    // knows that the elements and their labels are those of the last Record (a run between
    // two passes through the event loop, where alone they can change); then only the values
    // are read, a word each into its series.
    void Record(long long step, const std::vector<TProtoNeuronio*>& watched,
                bool unchanged = false);
    // Adds a point to the series of `key` (for tests and benchmarks, which have no net).
    void Add(const void* key, const std::string& label, long long step, const TInfinito& value);
    void Clear();
    // An element was released: its series stays, but no longer follows it.
    void Forget(const void* key);

    // Settled: every recorded point is in its series, with its double and digit count. What
    // it gives is whole until the next Record, which makes room at the series' ends again.
    const std::vector<TPlotSeries>& Series() const {
        Settle();
        return series_;
    }
    std::vector<TPlotSeries>& Series() {
        Settle();
        return series_;
    }
    // Settled for a picture of values (digits: of digit counts), which needs only those.
    const std::vector<TPlotSeries>& Series(bool digits) const {
        Settle(digits);
        return series_;
    }
    // Puts the points recorded since into their series and works out what drawing needs
    // (in both modes, or in the one given).
    void Settle() const;
    void Settle(bool digits) const;
    bool Empty() const;
    // How many series there are, and the points of the longest (those recorded since the
    // last Settle too), without settling anything.
    std::size_t SeriesCount() const { return series_.size(); }
    std::size_t LongestSeries() const;
    // The steps and values (or digit counts) the points cover; false when there are none.
    bool Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const;

private:
    TPlotSeries& SeriesOf(const void* key, const std::string& label);
    void Flush() const;

    // Mutable so that reading the series settles them: what is drawn is worked out only when
    // it is drawn, however it is reached.
    mutable std::vector<TPlotSeries> series_;
    std::size_t lastFound_ = 0; // Record visits the series in the same order every step
    // The series of each watched element of the last Record (NoSeries for an element listed
    // twice, whose later value is the one kept), and the elements themselves.
    static constexpr std::uint32_t NoSeries = UINT32_MAX;
    std::vector<std::uint32_t> layout_;
    std::vector<const TProtoNeuronio*> layoutElements_;
    std::vector<bool> layoutOwnValue_; // the element's value is its own (no synapse to read)
    // Each watched neuron, whose value is read without asking the element table (null for the
    // others, which are asked every step). Not the value's address: a step plan made or
    // dropped moves the values, the neuron always knows where its own is.
    std::vector<const TNeuronio*> layoutNeurons_;
    // A run writes each step's words straight into room made at the end of every series of the
    // layout (RoomRows steps at a time, fewer when there are many series), and the steps of
    // those rows once for all of them: a point costs one word written once. Flush ends the
    // room at the rows written and gives the series their steps; until then the series do not
    // count those points.
    static constexpr std::size_t RoomRows = 1024;
    static constexpr std::size_t RoomWords = std::size_t{1} << 17; // 1 MB
    void MakeRoom(long long step);
    mutable std::vector<long long> roomSteps_;    // the steps of the rows written
    mutable std::size_t room_ = 0;                // rows of room made, 0 when none
    mutable std::vector<std::uint64_t*> columns_; // per watched element, its room's first word
    mutable TWords scratch_;                      // the room of an element listed twice
    // The last few steps' words, a step's side by side as they are read, moved to the rooms
    // when the tile is full (and by Flush).
    static constexpr std::size_t TileRows = 8;
    void EmptyTile(std::size_t rows) const;
    TWords tile_;
    mutable bool settleDigits_ = false; // the mode last settled for, which Flush keeps settled
};

// The columns of `series` between steps x0 and x1 drawn `width` pixels wide: every point in
// that range lands in one column, so a redraw costs one pass over the visible points and the
// picture is as many segments as there are columns.
void Decimate(const TPlotSeries& series, bool digits, double x0, double x1, int width,
              std::vector<TPlotColumn>& columns);

} // namespace veltra
