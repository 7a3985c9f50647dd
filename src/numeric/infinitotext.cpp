// Text form of exact decimals: reading (SetFromText) and the canonical text (ToText).
#include "infinito.h"
#include "infinitoops.h"

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
        throw std::length_error("TInfinito::SetFromText: text too long");
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
    std::uint32_t top = size_;
    while (top > 0 && data_[top - 1] == 0)
        --top;
    if (top == 0) return {};
    std::uint32_t bottom = 0;
    while (data_[bottom] == 0)
        ++bottom;
    const std::int64_t topPos = low_ + GroupDigits * std::int64_t(top - 1);
    const std::int64_t botPos = low_ + GroupDigits * std::int64_t(bottom);
    TDigits d;
    if (topPos >= 0) d.whole = topPos + std::int64_t(DigitCount(data_[top - 1]));
    if (botPos < 0) {
        Limb v = data_[bottom];
        std::int64_t zeros = 0;
        while (v % 10 == 0) {
            v /= 10;
            ++zeros;
        }
        d.fraction = -botPos - zeros;
    }
    return d;
}

std::string TInfinito::ToText() const {
    std::uint32_t top = size_;
    while (top > 0 && data_[top - 1] == 0)
        --top;
    if (top == 0) return sign_ < 0 ? "-0" : "0";
    std::uint32_t bottom = 0;
    while (data_[bottom] == 0)
        ++bottom;
    const std::int64_t topPos = low_ + GroupDigits * std::int64_t(top - 1);
    const std::int64_t botPos = low_ + GroupDigits * std::int64_t(bottom);

    auto magAt = [&](std::int64_t pos) -> Limb {
        const std::int64_t i = (pos - low_) / GroupDigits;
        return (i >= 0 && i < std::int64_t(size_)) ? data_[i] : 0;
    };

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
