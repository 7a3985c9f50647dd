#include "ui/dialogs/plotdata.h"

#include "execution/runcontrol.h"
#include "execution/stopcondition.h"
#include "model/elementkind.h"
#include "model/neuronio.h"
#include "model/protolista.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ranges>

namespace veltra {

namespace {

// 10^(8k) for group positions near the point, where nearly every value lies.
struct TGroupScales {
    static constexpr int Reach = 38; // 10^(8 * 38) still fits a double
    double scale[2 * Reach + 1];
    TGroupScales() {
        for (int k = -Reach; k <= Reach; ++k)
            scale[k + Reach] = std::pow(10.0, 8.0 * k);
    }
    double At(std::int32_t position) const {
        const int k = position / 8;
        return k >= -Reach && k <= Reach ? scale[k + Reach] : std::pow(10.0, position);
    }
};

const TGroupScales& GroupScales() {
    static const TGroupScales scales;
    return scales;
}

// Two leading groups (at least 9 significant digits, mostly 16) are what a double holds.
// `group(i)` gives group i, most significant first; the stored values and the numbers they
// came from go through this one sum, so they draw at the same double.
template <class Group> double LeadingSum(int count, Group group) {
    const TGroupScales& scales = GroupScales();
    double sum = 0;
    for (int i = 0, used = 0; i < count && used < 2; ++i) {
        const TInfinitoNo g = group(i);
        if (used > 0) ++used;
        // A zero group adds nothing; beyond double's range its scale is infinite, and zero
        // times that is not a number, which no picture can be fitted to.
        if (g.Value == 0) continue;
        sum += static_cast<double>(g.Value) * scales.At(g.Position);
        if (used == 0) used = 1;
    }
    // Beyond double's range: the largest double of its sign, so that bounds stay finite.
    return std::clamp(sum, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
}

// A word: the value's significant digits as a signed integer (below 10^16) in the upper 55
// bits, and in the low 9 the power of ten of its last digit, or WholeMark when the upper bits
// are instead the index of a value kept whole.
constexpr int PowerBits = 9;
constexpr int WholeMark = -(1 << (PowerBits - 1));
constexpr int LowestPower = WholeMark + 1, HighestPower = (1 << (PowerBits - 1)) - 1;
constexpr int MostDigits = 16;
constexpr std::int64_t Base = TInfinitoNo::Base;
constexpr std::int64_t Ten[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

std::uint64_t Word(std::int64_t digits, int power) {
    return (static_cast<std::uint64_t>(digits) << PowerBits) |
           (static_cast<std::uint64_t>(power) & ((1u << PowerBits) - 1));
}
std::int64_t DigitsOf(std::uint64_t word) {
    return static_cast<std::int64_t>(word) >> PowerBits;
}
int PowerOf(std::uint64_t word) {
    const int field = static_cast<int>(word & ((1u << PowerBits) - 1));
    return (field ^ (1 << (PowerBits - 1))) - (1 << (PowerBits - 1));
}

constexpr std::int64_t PowersOfTen[] = {1,
                                        10,
                                        100,
                                        1000,
                                        10000,
                                        100000,
                                        1000000,
                                        10000000,
                                        100000000,
                                        1000000000,
                                        10000000000,
                                        100000000000,
                                        1000000000000,
                                        10000000000000,
                                        100000000000000,
                                        1000000000000000,
                                        10000000000000000,
                                        100000000000000000};

// How many digits `magnitude` (below 10^17) has, 1 for zero: the bit length gives it within
// one (log10 2 is about 1233 / 4096), one comparison decides (an odd number reaches a power
// of ten, which is even from 10 on, only when the number does).
int DecimalLength(std::int64_t magnitude) {
    const std::int64_t odd = magnitude | 1;
    const int guess = (std::bit_width(static_cast<std::uint64_t>(odd)) * 1233) >> 12;
    return guess + (odd >= PowersOfTen[guess] ? 1 : 0);
}

// The double of a word whose last digit's power is a group's (every word of a value of one or
// two groups): LeadingSum of its two groups, term for term, without the general way's
// divisions or calls. Both scales lie in the table (the power is within +-HighestPower).
inline double GroupWordDouble(std::uint64_t word, const TGroupScales& scales) {
    const std::int64_t digits = DigitsOf(word);
    // The power is a group's, within +-HighestPower: both scales are in the table, and the
    // sum stays far inside double's range (below 10^(16 + HighestPower)). A zero part adds
    // zero, as LeadingSum's skipping it does.
    const int k = PowerOf(word) / GroupDigits + TGroupScales::Reach;
    const std::int64_t high = digits / Base, low = digits % Base;
    // Summed as LeadingSum sums (from zero, the high part first): a compiler that fuses a
    // product into the addition after it then fuses the same one in both.
    double sum = 0;
    sum += static_cast<double>(high) * scales.scale[k + 1];
    sum += static_cast<double>(low) * scales.scale[k];
    return sum;
}
static_assert(PowerBits == 9 && (WholeMark & 0x1ff) == 0x100,
              "TExactValues::IsWholeMark reads the mark as it is laid out here");
static_assert(HighestPower / GroupDigits + 1 <= TGroupScales::Reach &&
              16 + HighestPower < std::numeric_limits<double>::max_exponent10);

bool IsGroupWord(std::uint64_t word) {
    const int power = PowerOf(word);
    return power != WholeMark && power % GroupDigits == 0;
}

// A word's digits without their trailing zeros, and the power of ten of the last digit left
// (a word of a value taken as its groups lie may end in zeros; its text and length may not).
// At most 15 zeros (the digits are below 10^16): four halvings by constant divisors.
void DropTrailingZeros(std::int64_t& digits, std::int64_t& power) {
    if (digits == 0) {
        power = 0;
        return;
    }
    if (digits % 100000000 == 0) digits /= 100000000, power += 8;
    if (digits % 10000 == 0) digits /= 10000, power += 4;
    if (digits % 100 == 0) digits /= 100, power += 2;
    if (digits % 10 == 0) digits /= 10, power += 1;
}

} // namespace

double ToDouble(const TInfinito& value) {
    // Every step used to convert every watched value here; it stays cheap for the plot's
    // catching up with a run.
    return LeadingSum(value.GroupCount(), [&](int i) { return value.GroupAt(i); });
}

// Nearly every value a net carries: one or two groups, read as they lie, trailing zeros and
// all (false for any other, and for a negative zero, which is kept whole).
static inline bool ShortWord(const TInfinito& value, std::uint64_t& word) {
    std::uint64_t magnitude;
    std::int32_t lowest;
    if (!value.ShortMagnitude(magnitude, lowest) || lowest < LowestPower || lowest > HighestPower ||
        (value.Sign() < 0 && magnitude == 0))
        return false;
    const auto m = static_cast<std::int64_t>(magnitude);
    word = Word(value.Sign() < 0 ? -m : m, lowest);
    return true;
}

bool TExactValues::Encode(const TInfinito& value, std::uint64_t& word) {
    if (ShortWord(value, word)) return true;
    const int count = value.GroupCount();
    // Nearly every value has a group or two: each is read once.
    constexpr int Near = 4;
    TInfinitoNo near[Near];
    for (int i = 0; i < std::min(count, Near); ++i)
        near[i] = value.GroupAt(i);
    auto group = [&](int i) { return i < Near ? near[i] : value.GroupAt(i); };
    int first = 0;
    while (first < count && group(first).Value == 0)
        ++first;
    if (first == count) {
        // Zero; a negative zero ("-0") and a number without groups are kept whole.
        if (count > 0 && value.Sign() >= 0) {
            word = Word(0, 0);
            return true;
        }
    } else {
        int last = count - 1;
        TInfinitoNo low = group(last);
        while (low.Value == 0)
            low = group(--last);
        // The last group's trailing zeros (at most seven) in three halvings.
        int zeros = 0;
        std::int64_t end = low.Value;
        for (const int z : {4, 2, 1})
            if (end % Ten[z] == 0) end /= Ten[z], zeros += z;
        const std::int64_t high = group(first).Value;
        const int significant =
            (first == last ? DecimalLength(std::abs(end))
                           : DecimalLength(std::abs(high)) + GroupDigits * (last - first) - zeros);
        const std::int64_t power = std::int64_t{low.Position} + zeros;
        if (significant <= MostDigits && power >= LowestPower && power <= HighestPower) {
            std::int64_t digits = 0;
            for (int i = first; i < last; ++i)
                digits = digits * Base + group(i).Value;
            digits = digits * Ten[GroupDigits - zeros] + end;
            word = Word(digits, static_cast<int>(power));
            return true;
        }
    }
    return false;
}

void TExactValues::PushWhole(const TInfinito& value) {
    words_.push_back(KeepWhole(value));
}

std::uint64_t TExactValues::KeepWhole(const TInfinito& value) {
    whole_.push_back(value);
    return Word(static_cast<std::int64_t>(whole_.size() - 1), WholeMark);
}

void TExactValues::push_back(const TInfinito& value) {
    std::uint64_t word;
    if (Encode(value, word))
        words_.push_back(word);
    else
        PushWhole(value);
}

void TExactValues::shrink(std::size_t n) {
    if (n >= words_.size()) return;
    if (whole_.empty()) {
        words_.resize(n);
        return;
    }
    std::size_t dropped = 0;
    for (std::size_t i = n; i < words_.size(); ++i)
        dropped += PowerOf(words_[i]) == WholeMark ? 1 : 0;
    whole_.shrink(whole_.size() - dropped);
    words_.resize(n);
}

TInfinito TExactValues::operator[](std::size_t i) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark) return whole_[static_cast<std::size_t>(DigitsOf(word))];
    return TInfinito(Text(i));
}

TTextEnds TExactValues::TextEnds(std::size_t i, std::size_t head, std::size_t tail) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark)
        return whole_[static_cast<std::size_t>(DigitsOf(word))].TextEnds(head, tail);
    return TextEndsOf(Text(i), head, tail, TTextEnds::TUnit::Digits);
}

std::string TExactValues::Text(std::size_t i) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark)
        return whole_[static_cast<std::size_t>(DigitsOf(word))].ToText();
    std::int64_t digits = DigitsOf(word);
    if (digits == 0) return "0";
    std::int64_t power = PowerOf(word);
    DropTrailingZeros(digits, power);
    const std::int64_t magnitude = std::abs(digits);
    // At most a sign, "0.", HighestPower zeros and MostDigits digits.
    char text[4 + HighestPower + MostDigits];
    char digitText[24];
    const int size =
        std::snprintf(digitText, sizeof digitText, "%lld", static_cast<long long>(magnitude));
    char* p = text;
    if (digits < 0) *p++ = '-';
    if (power >= 0) {
        p = std::copy(digitText, digitText + size, p);
        p = std::fill_n(p, power, '0');
    } else if (size > -power) {
        p = std::copy(digitText, digitText + size + power, p);
        *p++ = '.';
        p = std::copy(digitText + size + power, digitText + size, p);
    } else {
        *p++ = '0';
        *p++ = '.';
        p = std::fill_n(p, -power - size, '0');
        p = std::copy(digitText, digitText + size, p);
    }
    return std::string(text, p);
}

double TExactValues::Double(std::size_t i) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark)
        return ToDouble(whole_[static_cast<std::size_t>(DigitsOf(word))]);
    // The groups the number held, most significant first: the last digit's power rounded
    // down to a group's, the digits split at group boundaries (below 10^16, so three groups).
    const std::int64_t digits = DigitsOf(word);
    const int power = PowerOf(word);
    if (power % GroupDigits == 0) return GroupWordDouble(word, GroupScales());
    const int shift = ((power % GroupDigits) + GroupDigits) % GroupDigits;
    const int bottom = power - shift;
    const std::int64_t rest = digits / Ten[GroupDigits - shift];
    const std::int64_t groups[3] = {rest / Base, rest % Base,
                                    digits % Ten[GroupDigits - shift] * Ten[shift]};
    return LeadingSum(3, [&](int k) {
        return TInfinitoNo{groups[k], static_cast<std::int32_t>(bottom + GroupDigits * (2 - k))};
    });
}

double TExactValues::DigitCount(std::size_t i) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark) {
        const TInfinito::TDigits d = whole_[static_cast<std::size_t>(DigitsOf(word))].Digits();
        return static_cast<double>(d.whole + d.fraction);
    }
    std::int64_t digits = DigitsOf(word);
    if (digits == 0) return 0;
    std::int64_t power = PowerOf(word);
    DropTrailingZeros(digits, power);
    const std::int64_t magnitude = std::abs(digits);
    const std::int64_t length = DecimalLength(magnitude);
    if (power >= 0) return static_cast<double>(length + power);
    return static_cast<double>(std::max<std::int64_t>(0, length + power) - power);
}

void TValueBlocks::push_back(const TInfinito& value) {
    if (size_ == blocks_.size() * Block) {
        blocks_.emplace_back();
        blocks_.back().reserve(Block);
    }
    blocks_.back().push_back(value);
    ++size_;
}

void TValueBlocks::shrink(std::size_t n) {
    if (n >= size_) return;
    blocks_.resize((n + Block - 1) / Block);
    if (!blocks_.empty()) blocks_.back().resize(n - (blocks_.size() - 1) * Block);
    size_ = n;
}

long long TStepList::operator[](std::size_t i) const {
    const bool cached = lastRun_ < runs_.size() && runs_[lastRun_].index <= i &&
                        (lastRun_ + 1 == runs_.size() || i < runs_[lastRun_ + 1].index);
    if (!cached)
        lastRun_ = static_cast<std::size_t>(
            std::partition_point(runs_.begin(), runs_.end(),
                                 [i](const Run& r) { return r.index <= i; }) -
            runs_.begin() - 1);
    const Run& run = runs_[lastRun_];
    return run.step + static_cast<long long>(i - run.index);
}

void TStepList::AppendRun(long long first, std::size_t count) {
    if (count == 0) return;
    if (empty() || first != back() + 1) runs_.push_back({first, size_});
    size_ += count;
}

void TStepList::shrink(std::size_t n) {
    if (n >= size_) return;
    size_ = n;
    while (!runs_.empty() && runs_.back().index >= n)
        runs_.pop_back();
    lastRun_ = 0;
}

std::size_t TStepList::LowerBound(long long step) const {
    // The last run starting at or before the step holds it, or ends before it.
    const auto after = std::partition_point(runs_.begin(), runs_.end(),
                                            [step](const Run& r) { return r.step <= step; });
    if (after == runs_.begin()) return 0;
    const Run& run = *(after - 1);
    const std::size_t end = after == runs_.end() ? size_ : after->index;
    return std::min(end, run.index + static_cast<std::size_t>(step - run.step));
}

void TPlotSeries::Truncate(long long step) {
    const std::size_t at = steps.LowerBound(step);
    if (at == steps.size()) return;
    steps.shrink(at);
    values.resize(std::min(values.size(), steps.size()));
    digits.resize(std::min(digits.size(), steps.size()));
    exact.shrink(steps.size());
    Summarise(false, values.size() / Block * Block);
    Summarise(true, digits.size() / Block * Block);
}

void TPlotSeries::Summarise(std::size_t fromPoint) {
    Summarise(false, fromPoint);
    Summarise(true, fromPoint);
}

void TPlotSeries::Summarise(bool digitCounts, std::size_t fromPoint, bool grown) {
    const std::vector<double>& ys = digitCounts ? digits : values;
    std::vector<double>& blockLow = digitCounts ? blockDigitsLow : blockValueLow;
    std::vector<double>& blockHigh = digitCounts ? blockDigitsHigh : blockValueHigh;
    const std::size_t n = ys.size();
    const std::size_t blocks = (n + Block - 1) / Block;
    const std::size_t first = std::min(fromPoint / Block, blocks);
    blockLow.resize(blocks);
    blockHigh.resize(blocks);
    for (std::size_t b = first; b < blocks; ++b) {
        const std::size_t end = std::min(n, (b + 1) * Block);
        double low = ys[b * Block], high = low;
        for (std::size_t k = b * Block + 1; k < end; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        blockLow[b] = low, blockHigh[b] = high;
    }
    if (n == 0) return;
    // Points only added since: the blocks before `first` are as they were, and so is what
    // they contributed to the extremes.
    const std::size_t from = grown && first > 0 ? first : 0;
    double& low = digitCounts ? digitsLow : valueLow;
    double& high = digitCounts ? digitsHigh : valueHigh;
    if (from == 0) low = blockLow[0], high = blockHigh[0];
    for (std::size_t b = from; b < blocks; ++b)
        low = std::min(low, blockLow[b]), high = std::max(high, blockHigh[b]);
}

void TPlotSeries::Append(long long step, const TInfinito& value) {
    if (!steps.empty() && steps.back() >= step) Truncate(step);
    steps.push_back(step);
    exact.push_back(value);
}

void TPlotSeries::Settle() {
    Settle(false);
    Settle(true);
}

void TPlotSeries::Settle(bool digitCounts) {
    std::vector<double>& ys = digitCounts ? digits : values;
    const std::size_t from = ys.size();
    const std::size_t to = std::min(steps.size(), exact.size());
    if (to <= from) return;
    // Room for all, but growing as a vector grows: a run settles a little at a time, and
    // room made to the point each time would copy the whole series every time.
    if (ys.capacity() < to) ys.reserve(std::max(to, 2 * ys.capacity()));
    const TGroupScales& scales = GroupScales();
    const std::uint64_t* words = exact.Words();
    // A value kept from one step to the next (a saturated neuron) is worked out once.
    std::uint64_t previous = from > 0 ? words[from - 1] : 0;
    double last = from > 0 ? ys.back() : 0;
    for (std::size_t i = from; i < to; ++i) {
        const std::uint64_t word = words[i];
        if (i == 0 || word != previous || TExactValues::IsWholeMark(word)) {
            last = !digitCounts && IsGroupWord(word) ? GroupWordDouble(word, scales)
                   : digitCounts                     ? exact.DigitCount(i)
                                                     : exact.Double(i);
            previous = word;
        }
        ys.push_back(last);
    }
    Summarise(digitCounts, from / Block * Block, true);
}

long long TPlotSeries::Find(long long step) const {
    const std::size_t at = steps.LowerBound(step);
    return at < steps.size() && steps[at] == step ? static_cast<long long>(at) : -1;
}

TPlotSeries& TPlotData::SeriesOf(const void* key, const std::string& label) {
    if (lastFound_ < series_.size() && series_[lastFound_].key == key) return series_[lastFound_];
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].key == key) {
            lastFound_ = i;
            return series_[i];
        }
    series_.push_back({});
    series_.back().key = key;
    series_.back().label = label;
    lastFound_ = series_.size() - 1;
    return series_.back();
}

void TPlotData::Add(const void* key, const std::string& label, long long step,
                    const TInfinito& value) {
    Flush();
    SeriesOf(key, label).Append(step, value);
    ++lastFound_;
}

void TPlotData::Record(long long step, const TProtoLista& list) {
    std::vector<TProtoNeuronio*> watched;
    for (const auto& element : list)
        if (IsWatched(*element)) watched.push_back(element.get());
    Record(step, watched);
}

void TPlotData::Record(long long step, const std::vector<TProtoNeuronio*>& watched,
                       bool unchanged) {
    // A step taken again: the rows written go to their series first, and the points from
    // this step on leave them when room is next made.
    if (!roomSteps_.empty() && roomSteps_.back() >= step) Flush();
    const std::size_t n = watched.size();
    const bool same = unchanged && layoutElements_.size() == n &&
                      std::equal(watched.begin(), watched.end(), layoutElements_.begin());
    if (!same) {
        Flush(); // the room is the layout's
        layoutElements_.assign(watched.begin(), watched.end());
        layout_.resize(n);
        layoutOwnValue_.resize(n);
        layoutNeurons_.assign(n, nullptr);
        lastFound_ = 0;
        for (std::size_t i = 0; i < n; ++i) {
            TPlotSeries& s = SeriesOf(watched[i], watched[i]->Label());
            if (s.label != watched[i]->Label()) s.label = watched[i]->Label();
            layout_[i] = static_cast<std::uint32_t>(lastFound_);
            layoutOwnValue_[i] = watched[i]->Kind() != TElementKind::Output;
            layoutNeurons_[i] = dynamic_cast<const TNeuronio*>(watched[i]);
            ++lastFound_;
        }
        // An element listed twice gives its series one point, the later value.
        std::vector<bool> taken(series_.size(), false);
        for (std::size_t i = n; i-- > 0;) {
            if (taken[layout_[i]])
                layout_[i] = NoSeries;
            else
                taken[layout_[i]] = true;
        }
    }
    if (roomSteps_.size() == room_) MakeRoom(step);
    const std::size_t row = roomSteps_.size() % TileRows;
    roomSteps_.push_back(step);
    std::uint64_t* words = tile_.data() + row * n;
    for (std::size_t i = 0; i < n; ++i) {
        // WatchedValue, without asking every element again what it is.
        const TInfinito& value = layoutNeurons_[i] != nullptr ? layoutNeurons_[i]->GetValue()
                                 : layoutOwnValue_[i]         ? watched[i]->GetValue()
                                                              : WatchedValue(*watched[i]);
        if (!ShortWord(value, words[i]) && !TExactValues::Encode(value, words[i]))
            words[i] = layout_[i] == NoSeries ? 0 : series_[layout_[i]].exact.KeepWhole(value);
    }
    if (row + 1 == TileRows) EmptyTile(TileRows);
}

void TPlotData::EmptyTile(std::size_t rows) const {
    // Each element's words of the tile's steps lie side by side in its room: a whole cache
    // line written at once, where a word per step would have every step miss on every line.
    const std::size_t n = columns_.size();
    const std::size_t first = (roomSteps_.size() - 1) / TileRows * TileRows;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t* to = columns_[i] + first;
        for (std::size_t r = 0; r < rows; ++r)
            to[r] = tile_[r * n + i];
    }
}

void TPlotData::MakeRoom(long long step) {
    Flush();
    // Many series get fewer rows of room each, so that the room made stays within
    // RoomWords words (a tile's worth at the least).
    const std::size_t rows =
        std::clamp(RoomWords / std::max<std::size_t>(layout_.size(), 1) / TileRows * TileRows,
                   TileRows, RoomRows);
    scratch_.resize(rows);
    tile_.resize(TileRows * layout_.size());
    columns_.resize(layout_.size());
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        if (layout_[i] == NoSeries) {
            columns_[i] = scratch_.data();
            continue;
        }
        TPlotSeries& s = series_[layout_[i]];
        if (!s.steps.empty() && s.steps.back() >= step) s.Truncate(step);
        columns_[i] = s.exact.Extend(rows);
    }
    room_ = rows;
}

void TPlotData::Flush() const {
    if (room_ == 0) return;
    const std::size_t rows = roomSteps_.size();
    if (rows % TileRows != 0) EmptyTile(rows % TileRows);
    // The rows' steps as runs of consecutive steps (where each run starts), for every series.
    std::vector<std::size_t> starts;
    for (std::size_t r = 0; r < rows; ++r)
        if (r == 0 || roomSteps_[r] != roomSteps_[r - 1] + 1) starts.push_back(r);
    starts.push_back(rows);
    for (const std::uint32_t index : layout_) {
        if (index == NoSeries) continue;
        TPlotSeries& s = series_[index];
        const std::size_t before = s.steps.size();
        s.exact.EndRoom(s.exact.size() - room_ + rows);
        for (std::size_t k = 0; k + 1 < starts.size(); ++k)
            s.steps.AppendRun(roomSteps_[starts[k]], starts[k + 1] - starts[k]);
        // The doubles the picture was last drawn with follow while the words are at hand,
        // when the series has them up to here.
        if ((settleDigits_ ? s.digits : s.values).size() == before) s.Settle(settleDigits_);
    }
    roomSteps_.clear();
    room_ = 0;
}

void TPlotData::Clear() {
    series_.clear();
    layout_.clear();
    layoutElements_.clear();
    layoutNeurons_.clear();
    roomSteps_.clear();
    room_ = 0;
    columns_.clear();
}

void TPlotData::Forget(const void* key) {
    for (TPlotSeries& s : series_)
        if (s.key == key) s.key = nullptr;
    // Another element may come to live where this one did: the next Record looks again.
    layoutElements_.clear();
    layoutNeurons_.clear();
}

std::size_t TPlotData::LongestSeries() const {
    std::size_t longest = 0;
    for (const TPlotSeries& s : series_)
        longest = std::max(longest, s.Size());
    return longest + roomSteps_.size();
}

bool TPlotData::Empty() const {
    // Rows written go to a series only when something is watched.
    return (roomSteps_.empty() || layout_.empty()) &&
           std::all_of(series_.begin(), series_.end(),
                       [](const TPlotSeries& s) { return s.steps.empty(); });
}

void TPlotData::Settle() const {
    Flush();
    for (TPlotSeries& s : series_)
        s.Settle();
}

void TPlotData::Settle(bool digits) const {
    settleDigits_ = digits;
    Flush();
    for (TPlotSeries& s : series_)
        s.Settle(digits);
}

bool TPlotData::Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const {
    Settle(digits);
    bool any = false;
    for (const TPlotSeries& s : series_) {
        if (s.steps.empty()) continue;
        const double lo = digits ? s.digitsLow : s.valueLow;
        const double hi = digits ? s.digitsHigh : s.valueHigh;
        const double sx0 = static_cast<double>(s.steps.front());
        const double sx1 = static_cast<double>(s.steps.back());
        if (!any) {
            x0 = sx0, x1 = sx1, y0 = lo, y1 = hi;
            any = true;
        } else {
            x0 = std::min(x0, sx0), x1 = std::max(x1, sx1);
            y0 = std::min(y0, lo), y1 = std::max(y1, hi);
        }
    }
    return any;
}

void Decimate(const TPlotSeries& series, bool digits, double x0, double x1, int width,
              std::vector<TPlotColumn>& columns) {
    columns.clear();
    const auto& steps = series.steps;
    const std::size_t n = steps.size();
    if (n == 0 || width <= 0 || !(x1 > x0)) return;
    const auto& ys = digits ? series.digits : series.values;
    const double scale = width / (x1 - x0);
    // floor without a library call (the baseline instruction set has no rounding instruction);
    // the galloping search below asks for many columns.
    auto floorOf = [](double t) {
        // Far outside the picture (a view zoomed very far in) a column is only ever compared
        // with the picture's own; clamped so the conversion stays defined.
        t = std::clamp(t, -1e18, 1e18);
        const auto whole = static_cast<long long>(t);
        return whole - (t < static_cast<double>(whole) ? 1 : 0);
    };
    auto columnOf = [&](std::size_t i) {
        return floorOf((static_cast<double>(steps[i]) - x0) * scale);
    };
    // The first index after `from` whose column lies beyond `x`. Steps recorded one by one are
    // consecutive, so the index follows from the step at the column's edge, checked against
    // its neighbours; otherwise galloping, then halving.
    auto endOf = [&](std::size_t from, long long x) {
        const long long edge = floorOf(x0 + static_cast<double>(x + 1) / scale);
        const long long ahead = edge - steps[from];
        if (ahead > 0 && static_cast<std::size_t>(ahead) < n - from &&
            steps[from + static_cast<std::size_t>(ahead)] == edge) {
            std::size_t e = from + static_cast<std::size_t>(ahead);
            while (e < n && columnOf(e) <= x)
                ++e;
            while (e > from + 1 && columnOf(e - 1) > x)
                --e;
            return e;
        }
        std::size_t lo = from, hop = 1;
        while (lo + hop < n && columnOf(lo + hop) <= x) {
            lo += hop;
            hop *= 2;
        }
        std::size_t hi = std::min(n, lo + hop);
        while (hi - lo > 1) {
            const std::size_t mid = lo + (hi - lo) / 2;
            (columnOf(mid) <= x ? lo : hi) = mid;
        }
        return hi;
    };
    // The first point in the picture (columns grow with the steps).
    const auto indices = std::views::iota(std::size_t{0}, n);
    std::size_t i = static_cast<std::size_t>(
        std::ranges::partition_point(indices, [&](std::size_t j) { return columnOf(j) < 0; }) -
        indices.begin());
    // One point either side of the picture too, so lines leave it where they should.
    if (i > 0)
        columns.push_back(
            {static_cast<int>(std::max<long long>(columnOf(i - 1), -1)), ys[i - 1], ys[i - 1]});
    while (i < n) {
        const long long x = columnOf(i);
        if (x >= width) {
            columns.push_back({width, ys[i], ys[i]});
            break;
        }
        const std::size_t end = endOf(i, x);
        // Points up to a block boundary, whole blocks by their summaries, then the rest.
        const auto& blockLow = digits ? series.blockDigitsLow : series.blockValueLow;
        const auto& blockHigh = digits ? series.blockDigitsHigh : series.blockValueHigh;
        constexpr std::size_t Block = TPlotSeries::Block;
        double low = ys[i], high = ys[i];
        std::size_t k = i + 1;
        for (; k < end && k % Block != 0; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        for (; k + Block <= end; k += Block)
            low = std::min(low, blockLow[k / Block]), high = std::max(high, blockHigh[k / Block]);
        for (; k < end; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        columns.push_back({static_cast<int>(x), low, high});
        i = end;
    }
}

} // namespace veltra
