#include "infinito.h"

namespace veltra {

EConvertError::EConvertError(const std::string& chunk)
    : std::runtime_error("'" + chunk + "' is not a valid floating point value") {}

namespace {
// A message box or a terminal line stays readable however long the typed text was.
std::string Shortened(std::string_view text) {
    constexpr std::size_t Keep = 24;
    if (text.size() <= 2 * Keep + 3) return std::string(text);
    return std::string(text.substr(0, Keep)) + "..." + std::string(text.substr(text.size() - Keep));
}
} // namespace

EInvalidNumber::EInvalidNumber(std::string_view text)
    : std::runtime_error("'" + Shortened(text) + "' is not a valid floating point value") {}

// C++ division truncates toward zero and its remainder takes the dividend's sign, which is
// exactly the split of a signed intermediate into a carry and a low part.
std::int64_t TInfinitoNo::SplitCarry(std::int64_t& x) {
    const std::int64_t carry = x / Base;
    x %= Base;
    return carry;
}

TInfinitoNo TInfinitoNo::AddGroups(const TInfinitoNo& a, const TInfinitoNo& b,
                                   std::int64_t& carry) {
    std::int64_t x = a.Value + b.Value + carry;
    carry = SplitCarry(x);
    return {x, a.Position};
}

TInfinitoNo TInfinitoNo::MultiplyGroups(const TInfinitoNo& a, const TInfinitoNo& b,
                                        std::int64_t& carry) {
    std::int64_t x = a.Value * b.Value + carry;
    carry = SplitCarry(x);
    return {x, a.Position + b.Position};
}

void TInfinitoNo::AbsorbCarry(TInfinitoNo& g, std::int64_t& carry) {
    std::int64_t x = g.Value + carry;
    carry = SplitCarry(x);
    g.Value = x;
}

TInfinitoNo TInfinitoNo::BorrowStep(std::int64_t d, std::int64_t o, std::int64_t& carry, int sigma,
                                    std::int32_t position) {
    const std::int64_t r = o + carry;
    std::int64_t x = 0;
    std::int64_t next = 0;
    if ((d < 0 ? -d : d) >= (r < 0 ? -r : r)) {
        x = d + r;
    } else {
        // The other operand would win here: borrow one unit from the next Position up.
        x = d + sigma * Base + r;
        next = -sigma;
    }
    carry = next + SplitCarry(x);
    return {x, position};
}

} // namespace veltra
