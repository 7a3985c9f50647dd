#include "plotdata/exactvalues.h"

#include <algorithm>
#include <bit>
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

constexpr int PowerBits = TExactValues::PowerBits;
constexpr int WholeMark = TExactValues::WholeMark;
constexpr int LowestPower = TExactValues::LowestPower, HighestPower = TExactValues::HighestPower;
constexpr int MostDigits = 16;
constexpr std::int64_t Base = TInfinitoNo::Base;
constexpr std::int64_t Ten[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

std::uint64_t Word(std::int64_t digits, int power) {
    return TExactValues::MakeWord(digits, power);
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

bool TExactValues::Encode(const TInfinito& value, std::uint64_t& word) {
    // Nearly every value a net carries: one or two groups, read as they lie, trailing zeros
    // and all (not a negative zero, which is kept whole).
    if (EncodeShort(value, word)) return true;
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

void TExactValues::AppendDrawn(bool digitCounts, std::size_t to, std::vector<double>& ys) const {
    const std::size_t from = ys.size();
    if (to <= from) return;
    // Room for all, but growing as a vector grows: a run settles a little at a time, and
    // room made to the point each time would copy the whole series every time.
    if (ys.capacity() < to) ys.reserve(std::max(to, 2 * ys.capacity()));
    const TGroupScales& scales = GroupScales();
    const std::uint64_t* words = Words();
    // A value kept from one step to the next (a saturated neuron) is worked out once.
    std::uint64_t previous = from > 0 ? words[from - 1] : 0;
    double last = from > 0 ? ys.back() : 0;
    for (std::size_t i = from; i < to; ++i) {
        const std::uint64_t word = words[i];
        if (i == 0 || word != previous || IsWholeMark(word)) {
            last = !digitCounts && IsGroupWord(word) ? GroupWordDouble(word, scales)
                   : digitCounts                     ? DigitCount(i)
                                                     : Double(i);
            previous = word;
        }
        ys.push_back(last);
    }
}

} // namespace veltra
