#include "ui/dialogs/plotdata.h"

#include "execution/runcontrol.h"
#include "execution/stopcondition.h"
#include "model/protolista.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

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

// How many digits `magnitude` (below 10^17) has.
int DecimalLength(std::int64_t magnitude) {
    int length = 1;
    for (std::int64_t bound = 10; length < 17 && magnitude >= bound; bound *= 10)
        ++length;
    return length;
}

} // namespace

// A pending word into its series: most are a word, a few a number kept whole.
static inline void Place(TExactValues& exact, std::uint64_t word,
                         const std::vector<TInfinito>& whole) {
    if (PowerOf(word) == WholeMark)
        exact.PushWhole(whole[static_cast<std::size_t>(DigitsOf(word))]);
    else
        exact.PushWord(word);
}

double ToDouble(const TInfinito& value) {
    // Every step used to convert every watched value here; it stays cheap for the plot's
    // catching up with a run.
    return LeadingSum(value.GroupCount(), [&](int i) { return value.GroupAt(i); });
}

bool TExactValues::Encode(const TInfinito& value, std::uint64_t& word) {
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
    words_.push_back(Word(static_cast<std::int64_t>(whole_.size()), WholeMark));
    whole_.push_back(value);
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

std::string TExactValues::Text(std::size_t i) const {
    const std::uint64_t word = words_[i];
    if (PowerOf(word) == WholeMark)
        return whole_[static_cast<std::size_t>(DigitsOf(word))].ToText();
    const std::int64_t digits = DigitsOf(word);
    if (digits == 0) return "0";
    const std::int64_t magnitude = std::abs(digits);
    const std::int64_t power = PowerOf(word);
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
    const std::int64_t digits = DigitsOf(word);
    if (digits == 0) return 0;
    const std::int64_t power = PowerOf(word);
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

void TPlotSeries::Truncate(long long step) {
    const auto at = std::lower_bound(steps.begin(), steps.end(), step) - steps.begin();
    if (static_cast<std::size_t>(at) == steps.size()) return;
    steps.resize(static_cast<std::size_t>(at));
    values.resize(std::min(values.size(), steps.size()));
    digits.resize(values.size());
    exact.shrink(steps.size());
    Summarise(values.size() / Block * Block);
}

void TPlotSeries::Summarise(std::size_t fromPoint) {
    const std::size_t n = values.size();
    const std::size_t blocks = (n + Block - 1) / Block;
    const std::size_t first = std::min(fromPoint / Block, blocks);
    for (auto* v : {&blockValueLow, &blockValueHigh, &blockDigitsLow, &blockDigitsHigh})
        v->resize(blocks);
    for (std::size_t b = first; b < blocks; ++b) {
        const auto begin = static_cast<std::ptrdiff_t>(b * Block);
        const auto end = static_cast<std::ptrdiff_t>(std::min(n, (b + 1) * Block));
        const auto [vl, vh] = std::minmax_element(values.begin() + begin, values.begin() + end);
        const auto [dl, dh] = std::minmax_element(digits.begin() + begin, digits.begin() + end);
        blockValueLow[b] = *vl, blockValueHigh[b] = *vh;
        blockDigitsLow[b] = *dl, blockDigitsHigh[b] = *dh;
    }
    if (n == 0) return;
    valueLow = *std::min_element(blockValueLow.begin(), blockValueLow.end());
    valueHigh = *std::max_element(blockValueHigh.begin(), blockValueHigh.end());
    digitsLow = *std::min_element(blockDigitsLow.begin(), blockDigitsLow.end());
    digitsHigh = *std::max_element(blockDigitsHigh.begin(), blockDigitsHigh.end());
}

void TPlotSeries::Append(long long step, const TInfinito& value) {
    if (!steps.empty() && steps.back() >= step) Truncate(step);
    steps.push_back(step);
    exact.push_back(value);
}

void TPlotSeries::Settle() {
    const std::size_t from = values.size();
    const std::size_t to = std::min(steps.size(), exact.size());
    if (to <= from) return;
    for (std::size_t i = from; i < to; ++i) {
        values.push_back(exact.Double(i));
        digits.push_back(exact.DigitCount(i));
    }
    Summarise(from / Block * Block);
}

long long TPlotSeries::Find(long long step) const {
    const auto it = std::lower_bound(steps.begin(), steps.end(), step);
    return it != steps.end() && *it == step ? it - steps.begin() : -1;
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

void TPlotData::Pend(const TInfinito& value) {
    std::uint64_t word;
    if (!TExactValues::Encode(value, word)) {
        word = Word(static_cast<std::int64_t>(pendingWhole_.size()), WholeMark);
        pendingWhole_.push_back(value);
    }
    pendingSeries_.push_back(static_cast<std::uint32_t>(lastFound_));
    pendingWords_.push_back(word);
}

void TPlotData::Record(long long step, const TProtoLista& list) {
    if (!pendingRows_.empty() && pendingRows_.back().step >= step) Flush();
    lastFound_ = 0;
    for (const auto& element : list) {
        if (!IsWatched(*element)) continue;
        TPlotSeries& s = SeriesOf(element.get(), element->Label());
        if (s.label != element->Label()) s.label = element->Label();
        Pend(WatchedValue(*element));
        ++lastFound_;
    }
    pendingRows_.push_back({step, pendingWords_.size()});
}

void TPlotData::Record(long long step, const std::vector<TProtoNeuronio*>& watched) {
    if (!pendingRows_.empty() && pendingRows_.back().step >= step) Flush();
    lastFound_ = 0;
    for (TProtoNeuronio* element : watched) {
        TPlotSeries& s = SeriesOf(element, element->Label());
        if (s.label != element->Label()) s.label = element->Label();
        Pend(WatchedValue(*element));
        ++lastFound_;
    }
    pendingRows_.push_back({step, pendingWords_.size()});
}

void TPlotData::Flush() const {
    if (pendingRows_.empty()) return;
    // A run records the same series in the same order every step: then the points go to
    // their series a few series at a time, each series' steps in one piece and its words
    // read row after row, instead of one point to every series in turn.
    const std::size_t width = pendingRows_.front().end;
    bool columns = width > 0;
    for (std::size_t c = 0; c < width && columns; ++c)
        columns = pendingSeries_[c] == c;
    for (std::size_t r = 1; r < pendingRows_.size() && columns; ++r)
        columns = pendingRows_[r].end - pendingRows_[r - 1].end == width &&
                  std::equal(pendingSeries_.begin() + static_cast<std::ptrdiff_t>(r * width),
                             pendingSeries_.begin() + static_cast<std::ptrdiff_t>((r + 1) * width),
                             pendingSeries_.begin());
    if (columns) {
        std::vector<long long> steps(pendingRows_.size());
        for (std::size_t r = 0; r < steps.size(); ++r)
            steps[r] = pendingRows_[r].step;
        constexpr std::size_t Tile = 8; // a cache line of words per row
        for (std::size_t c0 = 0; c0 < width; c0 += Tile) {
            const std::size_t c1 = std::min(width, c0 + Tile);
            for (std::size_t c = c0; c < c1; ++c) {
                TPlotSeries& s = series_[c];
                if (!s.steps.empty() && s.steps.back() >= steps.front()) s.Truncate(steps.front());
                s.steps.insert(s.steps.end(), steps.begin(), steps.end());
            }
            for (std::size_t r = 0; r < steps.size(); ++r) {
                const std::uint64_t* row = pendingWords_.data() + r * width;
                for (std::size_t c = c0; c < c1; ++c)
                    Place(series_[c].exact, row[c], pendingWhole_);
            }
        }
    } else {
        std::size_t k = 0;
        for (const TPendingRow& row : pendingRows_)
            for (; k < row.end; ++k) {
                TPlotSeries& s = series_[pendingSeries_[k]];
                if (!s.steps.empty() && s.steps.back() >= row.step) s.Truncate(row.step);
                s.steps.push_back(row.step);
                Place(s.exact, pendingWords_[k], pendingWhole_);
            }
    }
    pendingRows_.clear();
    pendingSeries_.clear();
    pendingWords_.clear();
    pendingWhole_.clear();
}

void TPlotData::Clear() {
    series_.clear();
    pendingRows_.clear();
    pendingSeries_.clear();
    pendingWords_.clear();
    pendingWhole_.clear();
}

void TPlotData::Forget(const void* key) {
    for (TPlotSeries& s : series_)
        if (s.key == key) s.key = nullptr;
}

bool TPlotData::Empty() const {
    return pendingWords_.empty() &&
           std::all_of(series_.begin(), series_.end(),
                       [](const TPlotSeries& s) { return s.steps.empty(); });
}

void TPlotData::Settle() const {
    Flush();
    for (TPlotSeries& s : series_)
        s.Settle();
}

bool TPlotData::Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const {
    Settle();
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
    std::size_t i = static_cast<std::size_t>(
        std::partition_point(
            steps.begin(), steps.end(),
            [&](long long s) { return floorOf((static_cast<double>(s) - x0) * scale) < 0; }) -
        steps.begin());
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
