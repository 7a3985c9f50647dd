// Text form of exact decimals: reading (SetFromText) and the canonical text (ToText).
#include "infinito.h"
#include "infinitoops.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace veltra {

namespace {

using mag::Limb;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Eight ASCII digits at once; false if any byte is not a digit.
bool ParseEight(const char* p, Limb& out) {
    if constexpr (std::endian::native != std::endian::little) {
        Limb v = 0;
        for (int i = 0; i < GroupDigits; ++i) {
            if (!IsDigit(p[i])) return false;
            v = v * 10 + Limb(p[i] - '0');
        }
        out = v;
        return true;
    }
    std::uint64_t x;
    std::memcpy(&x, p, GroupDigits);
    // Every byte must read 0x3_ with a low nibble of at most 9 (adding 6 must not reach 0x40).
    const std::uint64_t hi = x & 0xF0F0F0F0F0F0F0F0ULL;
    const std::uint64_t over = ((x + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4;
    if ((hi | over) != 0x3333333333333333ULL) return false;
    const std::uint64_t low = x - 0x3030303030303030ULL;
    // Little-endian: the first character is the lowest byte and the most significant digit.
    std::uint64_t v = low;
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFULL;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFULL;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFULL;
    out = static_cast<Limb>(v);
    return true;
}

// A chunk of up to 8 characters; only a plain run of digits converts.
bool ParseChunk(std::string_view chunk, Limb& out) {
    if (chunk.size() == GroupDigits) return ParseEight(chunk.data(), out);
    Limb v = 0;
    for (char c : chunk) {
        if (!IsDigit(c)) return false;
        v = v * 10 + Limb(c - '0');
    }
    out = v;
    return !chunk.empty();
}

struct PairTable {
    char digits[200];
    constexpr PairTable() : digits() {
        for (int i = 0; i < 100; ++i) {
            digits[2 * i] = static_cast<char>('0' + i / 10);
            digits[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr PairTable kPairTable;
constexpr const char* kPairs = kPairTable.digits;

// Writes the eight digits of v (below 10^8) with leading zeros.
void WriteEight(char* p, Limb v) {
    const Limb hi = v / 10000;
    const Limb lo = v % 10000;
    std::memcpy(p, kPairs + 2 * (hi / 100), 2);
    std::memcpy(p + 2, kPairs + 2 * (hi % 100), 2);
    std::memcpy(p + 4, kPairs + 2 * (lo / 100), 2);
    std::memcpy(p + 6, kPairs + 2 * (lo % 100), 2);
}

std::size_t DigitCount(Limb v) {
    std::size_t n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

// Where a number's text comes from: its highest and lowest non-zero groups (the text drops
// zero groups at both ends) and their Positions. `top` is 0 for a zero.
struct TTextSpan {
    std::uint32_t top = 0;    // one past the highest non-zero group
    std::uint32_t bottom = 0; // the lowest non-zero group
    std::int64_t topPos = 0;
    std::int64_t botPos = 0;
    const Limb* data = nullptr;
    std::uint32_t size = 0;
    std::int32_t low = 0;

    TTextSpan(const Limb* d, std::uint32_t n, std::int32_t lowPosition)
        : top(n), data(d), size(n), low(lowPosition) {
        while (top > 0 && data[top - 1] == 0)
            --top;
        if (top == 0) return;
        while (data[bottom] == 0)
            ++bottom;
        topPos = low + GroupDigits * std::int64_t(top - 1);
        botPos = low + GroupDigits * std::int64_t(bottom);
    }
    // The group at a Position, zero outside the number's groups.
    Limb At(std::int64_t pos) const {
        const std::int64_t i = (pos - low) / GroupDigits;
        return (i >= 0 && i < std::int64_t(size)) ? data[i] : 0;
    }
    // Trailing zeros of the lowest group: the text ends before them.
    std::int64_t TrailingZeros() const {
        std::int64_t zeros = 0;
        for (Limb v = data[bottom]; v % 10 == 0; v /= 10)
            ++zeros;
        return zeros;
    }
};

} // namespace

bool TInfinito::SetFromText(std::string_view text) {
    if (text.empty()) text = "0";
    int sign = 1;
    if (text.front() == '-') {
        sign = -1;
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view frac =
        dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    const std::size_t nWhole = (whole.size() + GroupDigits - 1) / GroupDigits;
    const std::size_t nFrac = (frac.size() + GroupDigits - 1) / GroupDigits;
    // Positions are 32-bit: a text of more than about two thousand million digits has none.
    if (nWhole > TInfinitoLimits::TextGroups || nFrac > TInfinitoLimits::TextGroups) {
        throw std::length_error(TooLongNumberText(text.size()));
    }

    // Built aside and moved in at the end: a conversion error leaves *this as it was.
    TInfinito r;
    TInfinitoOps::Shape(r, nWhole + nFrac, -GroupDigits * static_cast<std::int32_t>(nFrac));
    r.sign_ = static_cast<std::int8_t>(sign);
    Limb* m = r.data_ + nFrac;
    for (std::size_t k = 0; k < nWhole; ++k) {
        const std::size_t end = whole.size() - GroupDigits * k;
        const std::size_t begin = end >= GroupDigits ? end - GroupDigits : 0;
        const std::string_view chunk = whole.substr(begin, end - begin);
        if (!ParseChunk(chunk, m[k])) throw EConvertError(std::string(chunk));
    }
    bool ok = true;
    for (std::size_t k = 0; k < nFrac && ok; ++k) {
        std::string_view chunk = frac.substr(GroupDigits * k, GroupDigits);
        Limb v = 0;
        if (chunk.size() == GroupDigits) {
            ok = ParseEight(chunk.data(), v);
        } else {
            char padded[GroupDigits];
            std::memset(padded, '0', GroupDigits);
            std::memcpy(padded, chunk.data(), chunk.size());
            ok = ParseEight(padded, v);
        }
        r.data_[nFrac - 1 - k] = v;
    }
    if (!ok) {
        // An unreadable fraction makes the number a plain zero, reported as failure.
        TInfinitoOps::Shape(r, 1, 0);
        r.data_[0] = 0;
        r.sign_ = 1;
    }
    *this = std::move(r);
    return ok;
}

TInfinito::TDigits TInfinito::Digits() const noexcept {
    const TTextSpan span(data_, size_, low_);
    if (span.top == 0) return {};
    TDigits d;
    if (span.topPos >= 0) d.whole = span.topPos + std::int64_t(DigitCount(data_[span.top - 1]));
    if (span.botPos < 0) d.fraction = -span.botPos - span.TrailingZeros();
    return d;
}

std::string TInfinito::ToText() const {
    const TTextSpan span(data_, size_, low_);
    if (span.top == 0) return sign_ < 0 ? "-0" : "0";
    const std::uint32_t top = span.top;
    const std::int64_t topPos = span.topPos;
    const std::int64_t botPos = span.botPos;
    auto magAt = [&span](std::int64_t pos) { return span.At(pos); };

    const std::size_t lead = topPos >= 0 ? DigitCount(data_[top - 1]) : 1;
    const std::size_t wholeGroups = topPos >= 0 ? std::size_t(topPos / GroupDigits) : 0;
    const std::size_t fracGroups = botPos < 0 ? std::size_t(-botPos / GroupDigits) : 0;
    std::string out(1 + lead + GroupDigits * wholeGroups + 1 + GroupDigits * fracGroups, '\0');
    char* p = out.data();
    if (sign_ < 0) *p++ = '-';
    if (topPos >= 0) {
        char buf[GroupDigits];
        WriteEight(buf, data_[top - 1]);
        std::memcpy(p, buf + GroupDigits - lead, lead);
        p += lead;
        for (std::int64_t pos = topPos - GroupDigits; pos >= 0;
             pos -= GroupDigits, p += GroupDigits)
            WriteEight(p, magAt(pos));
    } else {
        *p++ = '0';
    }
    if (botPos < 0) {
        *p++ = '.';
        for (std::int64_t pos = -GroupDigits; pos >= botPos; pos -= GroupDigits, p += GroupDigits)
            WriteEight(p, magAt(pos));
        while (p[-1] == '0')
            --p; // the lowest group is non-zero, so a digit stays
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

std::string TooLongNumberText(std::size_t characters) {
    return "a number of " + std::to_string(characters) + " characters is too long: at most " +
           std::to_string(TInfinitoLimits::TextGroups * GroupDigits) +
           " digits before the point and as many after it";
}

TTextEnds TInfinito::TextEnds(std::size_t head, std::size_t tail) const {
    // Short numbers (and zeros) through their text; the bound counts a sign and a point.
    if (static_cast<std::size_t>(DigitSpan()) + 2 <= head + tail)
        return TextEndsOf(ToText(), head, tail, TTextEnds::TUnit::Digits);
    const TTextSpan span(data_, size_, low_);
    if (span.top == 0) return TextEndsOf(ToText(), head, tail, TTextEnds::TUnit::Digits);
    const std::uint32_t top = span.top;
    const std::int64_t topPos = span.topPos;
    const std::int64_t botPos = span.botPos;
    auto magAt = [&span](std::int64_t pos) { return span.At(pos); };
    // The text as ToText writes it: sign, the leading group's own digits (or "0"), eight
    // digits per group down to Position 0, then a point and eight per fraction group, the
    // last one without its trailing zeros.
    const std::size_t sign = sign_ < 0 ? 1 : 0;
    const std::size_t lead = topPos >= 0 ? DigitCount(data_[top - 1]) : 1;
    const std::size_t trailing = botPos < 0 ? std::size_t(span.TrailingZeros()) : 0;
    const std::size_t whole = topPos >= 0 ? lead + std::size_t(topPos) : 1;
    const std::size_t fraction = botPos < 0 ? std::size_t(-botPos) - trailing : 0;

    TTextEnds ends;
    ends.unit = TTextEnds::TUnit::Digits;
    ends.count = whole + fraction;
    ends.length = sign + whole + (botPos < 0 ? 1 + fraction : 0);
    // The span overstates the digits by up to a group at either end.
    if (ends.length <= head + tail)
        return TextEndsOf(ToText(), head, tail, TTextEnds::TUnit::Digits);
    char eight[GroupDigits];

    // The head, front to back, until it has its characters.
    std::string& h = ends.head;
    auto put = [&h, head](const char* p, std::size_t n) {
        h.append(p, std::min(n, head - h.size()));
        return h.size() < head;
    };
    bool more = head > 0 && (sign == 0 || put("-", 1));
    if (more && topPos >= 0) {
        WriteEight(eight, data_[top - 1]);
        more = put(eight + GroupDigits - lead, lead);
        for (std::int64_t pos = topPos - GroupDigits; more && pos >= 0; pos -= GroupDigits) {
            WriteEight(eight, magAt(pos));
            more = put(eight, GroupDigits);
        }
    } else if (more) {
        more = put("0", 1);
    }
    if (more && botPos < 0) {
        more = put(".", 1);
        for (std::int64_t pos = -GroupDigits; more && pos >= botPos; pos -= GroupDigits) {
            WriteEight(eight, magAt(pos));
            more = put(eight, pos == botPos ? GroupDigits - trailing : GroupDigits);
        }
    }

    // The tail, back to front, reversed at the end.
    std::string& t = ends.tail;
    auto putBack = [&t, tail](const char* p, std::size_t n) {
        while (n > 0 && t.size() < tail)
            t.push_back(p[--n]);
        return t.size() < tail;
    };
    more = tail > 0;
    if (more && botPos < 0) {
        for (std::int64_t pos = botPos; more && pos <= -GroupDigits; pos += GroupDigits) {
            WriteEight(eight, magAt(pos));
            more = putBack(eight, pos == botPos ? GroupDigits - trailing : GroupDigits);
        }
        if (more) more = putBack(".", 1);
    }
    if (more && topPos >= 0) {
        for (std::int64_t pos = 0; more && pos < topPos; pos += GroupDigits) {
            WriteEight(eight, magAt(pos));
            more = putBack(eight, GroupDigits);
        }
        if (more) {
            WriteEight(eight, data_[top - 1]);
            more = putBack(eight + GroupDigits - lead, lead);
        }
    } else if (more) {
        more = putBack("0", 1);
    }
    if (more && sign != 0) putBack("-", 1);
    std::reverse(t.begin(), t.end());
    return ends;
}

TInfinito ReadTypedNumber(std::string_view text) {
    TInfinito number;
    bool fractionRead = false;
    try {
        fractionRead = number.SetFromText(text);
    } catch (const EConvertError&) {
        throw EInvalidNumber(text); // the whole text, not the chunk that failed
    }
    const bool hasDigitOrPoint =
        text.empty() || text.find_first_of("0123456789.") != std::string_view::npos;
    if (!fractionRead || !hasDigitOrPoint) throw EInvalidNumber(text);
    return number;
}

} // namespace veltra
