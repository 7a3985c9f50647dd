#include "infinito.h"

namespace veltra {

EConvertError::EConvertError(const std::string& chunk)
    : std::runtime_error("'" + chunk + "' is not a valid floating point value") {}

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
