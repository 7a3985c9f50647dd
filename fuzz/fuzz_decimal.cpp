// Decimal text: whatever reads must print canonically and read back to an equal number;
// sums and products of two read numbers must not depend on the order of the operands.
#include "numeric/infinito.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Canonical: optional "-", digits without a superfluous leading zero, optional "." and digits
// not ending in "0".
bool IsCanonical(std::string_view t) {
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    const std::size_t dot = t.find('.');
    const std::string_view whole = t.substr(0, dot);
    if (whole.empty() || (whole.size() > 1 && whole.front() == '0')) return false;
    for (char c : whole) {
        if (c < '0' || c > '9') return false;
    }
    if (dot == std::string_view::npos) return true;
    const std::string_view frac = t.substr(dot + 1);
    if (frac.empty() || frac.back() == '0') return false;
    for (char c : frac) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool Read(std::string_view text, veltra::TInfinito& x) {
    try {
        x.SetFromText(text);
        return true;
    } catch (const veltra::EConvertError&) {
        return false;
    }
}

void RoundTrip(const veltra::TInfinito& x) {
    const std::string text = x.ToText();
    Require(IsCanonical(text));
    veltra::TInfinito back;
    Require(back.SetFromText(text)); // a canonical text never fails to read
    Require(veltra::TInfinito::Compare(back, x) == 0);
    Require(back.ToText() == text);
    Require(back.Sign() == x.Sign() || x.IsZero());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    veltra::TInfinito x;
    if (Read(input, x)) RoundTrip(x);

    // Two operands split at the first comma.
    const std::size_t comma = input.find(',');
    if (comma == std::string_view::npos) return 0;
    veltra::TInfinito a, b;
    if (!Read(input.substr(0, comma), a) || !Read(input.substr(comma + 1), b)) return 0;
    const veltra::TInfinito sum = veltra::TInfinito::Add(a, b);
    Require(sum.ToText() == veltra::TInfinito::Add(b, a).ToText());
    RoundTrip(sum);
    const veltra::TInfinito product = veltra::TInfinito::Multiply(a, b);
    Require(product.ToText() == veltra::TInfinito::Multiply(b, a).ToText());
    RoundTrip(product);
    // The in-place forms agree with the pure ones.
    veltra::TInfinito acc(a);
    acc.AddInPlace(b);
    Require(acc.ToText() == sum.ToText() && acc.GroupCount() == sum.GroupCount());
    acc.AddProduct(a, b);
    Require(veltra::TInfinito::Compare(acc, veltra::TInfinito::Add(sum, product)) == 0);
    // a + b - b == a
    const veltra::TInfinito back = veltra::TInfinito::Add(sum, b.Negated());
    Require(veltra::TInfinito::Compare(back, a) == 0);
    Require(veltra::TInfinito::Compare(a, b) == -veltra::TInfinito::Compare(b, a));
    return 0;
}
