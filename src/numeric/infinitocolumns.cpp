// A neuron's whole input sum at once: every weight x value product goes into 64-bit column sums
// (a product of two groups is below 10^16, so hundreds fit in a column before any carry), and
// one signed carry pass at the end makes the groups. Splitting each product into groups as it
// is added (AddProduct) costs a quotient per group and a carry chain per product.
//
// The result must be exactly what the product-by-product route leaves, group layout included.
// That route's sum spans every Position its operands spanned, from the lowest product group to
// the highest, plus a group for each carry out of the top (a group that stays when later
// products cancel it). Its top is therefore the highest of: the accumulator's top, each
// product's top (tw + tv, or one above when the product's top group is not zero), and the
// leading group of every partial sum. Two cases settle that without the partial sums:
// - all products of one sign: the partial sums only grow, so the last one's leading group is
//   the highest, and it also reaches any product's non-zero top group;
// - a bound on the sum of all magnitudes below one group above the products' tops: no partial
//   sum and no product reaches that group.
// Anything else (mixed signs near the top, long weights, a sum already holding a value) goes
// product by product.
#include "contract.h"
#include "infinito.h"
#include "infinitoops.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace veltra {

namespace {

using mag::Base;
using mag::Limb;

// Weights longer than this go product by product (Karatsuba pays there, rows do not).
constexpr std::size_t MaxRows = 8;

// An upper bound of |x| / Base^(top group's index), from its top two groups.
double LeadingBound(const TInfinito& x) {
    const Limb* d = TInfinitoOps::Mags(x);
    const std::size_t n = TInfinitoOps::Size(x);
    double m = double(d[n - 1]);
    if (n >= 2) m += (double(d[n - 2]) + (n > 2 ? 1.0 : 0.0)) / double(Base);
    return m;
}

// The same in place, for a column sum that must carry before it can take more products: the
// last column keeps what came up.
void CarryInPlace(std::uint64_t* col, std::size_t n) {
    thread_local std::vector<Limb> groups;
    groups.resize(n - 1);
    const std::int64_t up = mag::CarryColumns(col, n - 1, groups.data());
    for (std::size_t i = 0; i + 1 < n; ++i)
        col[i] = groups[i];
    col[n - 1] = std::uint64_t(std::int64_t(col[n - 1]) + up);
}

bool ColumnSum(TInfinito& x, const TInfinito::TProduct* p, std::size_t count) {
    if (TInfinitoOps::Size(x) == 0 || !x.IsZero()) return false;
    std::int64_t low = TInfinitoOps::Low(x);
    std::int64_t top = TInfinitoOps::Top(x); // the products' tops (tw + tv) and x's own
    int sign = 0;
    bool oneSign = true;
    for (std::size_t k = 0; k < count; ++k) {
        const TInfinito& a = *p[k].weight;
        const TInfinito& b = *p[k].value;
        if (&a == &x || &b == &x || !a.HasGroups() || !b.HasGroups()) return false;
        if (std::min(a.GroupCount(), b.GroupCount()) > int(MaxRows)) return false;
        const std::int64_t pl = std::int64_t(TInfinitoOps::Low(a)) + TInfinitoOps::Low(b);
        const std::int64_t pt = std::int64_t(TInfinitoOps::Top(a)) + TInfinitoOps::Top(b);
        // Positions out of 32-bit reach: the product route reports them.
        if (pl < -TInfinitoLimits::PositionBound - 1 ||
            pt + 3 * GroupDigits > TInfinitoLimits::PositionBound)
            return false;
        low = std::min(low, pl);
        top = std::max(top, pt);
        const int s = TInfinitoOps::ValueSign(a) * TInfinitoOps::ValueSign(b);
        if (s != 0) {
            if (sign != 0 && s != sign) oneSign = false;
            sign = s;
        }
    }
    if (!oneSign) {
        // Sum of |product| / Base^(top/8 + 1), bounded from above.
        double bound = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const TInfinito& a = *p[k].weight;
            const TInfinito& b = *p[k].value;
            const std::int64_t pt = std::int64_t(TInfinitoOps::Top(a)) + TInfinitoOps::Top(b);
            const std::int64_t below = (top - pt) / GroupDigits + 1;
            if (below > 4) continue; // under Base^-3 each: counted by the margin below
            static_assert(Base == 100000000, "the scales below are powers of 1/Base");
            constexpr double Scale[] = {0, 1e-8, 1e-16, 1e-24, 1e-32};
            bound += LeadingBound(a) * LeadingBound(b) * Scale[below];
        }
        if (bound + double(count) * 1e-20 >= 0.999) return false;
    }

    // Columns from low up to three groups above the top: room for the carries of any
    // one-sign sum of fewer than Base^2 products.
    const std::size_t n = std::size_t((top - low) / GroupDigits) + 4;
    // Short sums (most of them) keep their columns on the stack.
    constexpr std::size_t StackColumns = 128;
    std::uint64_t stackColumns[StackColumns];
    thread_local std::vector<std::uint64_t> heapColumns;
    std::uint64_t* col = stackColumns;
    if (n > StackColumns) {
        heapColumns.resize(n);
        col = heapColumns.data();
    }
    std::memset(col, 0, n * sizeof(std::uint64_t));
    std::size_t terms = 0; // products of two groups any column may hold so far
    for (std::size_t k = 0; k < count; ++k) {
        const TInfinito& a = *p[k].weight;
        const TInfinito& b = *p[k].value;
        const int s = TInfinitoOps::ValueSign(a) * TInfinitoOps::ValueSign(b);
        if (s == 0) continue;
        const TInfinito& w = a.GroupCount() <= b.GroupCount() ? a : b;
        const TInfinito& v = a.GroupCount() <= b.GroupCount() ? b : a;
        const std::size_t rows = TInfinitoOps::Size(w);
        if (terms + rows > mag::ColumnTerms) {
            CarryInPlace(col, n);
            terms = 1;
        }
        terms += rows;
        TCancelScope::Poll();
        std::uint64_t* at =
            col + (std::int64_t(TInfinitoOps::Low(a)) + TInfinitoOps::Low(b) - low) / GroupDigits;
        const Limb* wd = TInfinitoOps::Mags(w);
        for (std::size_t r = 0; r < rows; ++r) {
            if (wd[r] == 0) continue;
            if (s > 0)
                mag::RowMulAdd(at + r, TInfinitoOps::Mags(v), TInfinitoOps::Size(v), wd[r]);
            else
                mag::RowMulSub(at + r, TInfinitoOps::Mags(v), TInfinitoOps::Size(v), wd[r]);
        }
    }
    // Groups 0..n-2 straight into the sum; the top column then holds 0, or -1 for a negative
    // sum (whose groups are then Base^(n-1) minus its magnitude).
    // Room to spare when the sum outgrows its buffer, as values that gain digits every step
    // would otherwise reallocate every step.
    const std::size_t groups = std::size_t((top - low) / GroupDigits) + 1;
    TInfinitoOps::Shape(x, n - 1, std::int32_t(low), n > TInfinitoOps::Capacity(x) ? n + n / 2 : n);
    Limb* d = TInfinitoOps::Mags(x);
    const std::int64_t over = std::int64_t(col[n - 1]) + mag::CarryColumns(col, n - 1, d);
    VELTRA_EXPECTS(over == 0 || over == -1);
    int valueSign = over < 0 ? -1 : 0;
    if (over < 0) {
        std::size_t i = 0;
        while (i + 1 < n && d[i] == 0)
            ++i;
        d[i] = Base - d[i];
        for (++i; i + 1 < n; ++i)
            d[i] = Base - 1 - d[i];
    }
    std::size_t lead = n - 2; // the leading non-zero group, or 0 for zero
    while (lead > 0 && d[lead] == 0)
        --lead;
    if (valueSign == 0 && d[lead] != 0) valueSign = 1;
    std::size_t size = groups;
    if (d[lead] != 0) {
        // Mixed signs passed the bound only if nothing reached above the products' tops.
        VELTRA_EXPECTS(oneSign || lead < groups);
        size = std::max(groups, lead + 1);
    }
    TInfinitoOps::Shape(x, size, std::int32_t(low));
    TInfinitoOps::SetSign(x, valueSign);
    return true;
}

} // namespace

// Up to this many products are added one by one: on the step benchmark's nets (one to six
// products a neuron) AddProduct's fused pass per product beat filling, carrying and copying
// the columns; with forty products a neuron the columns won (bench/RESULTS-step.md).
std::size_t mag::ColumnSumThreshold = 8;

void TInfinito::AddProducts(const TProduct* products, std::size_t count) {
    if (count == 0) return;
    if (count > mag::ColumnSumThreshold && ColumnSum(*this, products, count)) return;
    for (std::size_t k = 0; k < count; ++k)
        AddProduct(*products[k].weight, *products[k].value);
}

} // namespace veltra
