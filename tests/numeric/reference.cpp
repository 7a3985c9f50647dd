#include "reference.h"

#include <algorithm>

namespace veltra::reference {

namespace {

void Normalize(Number& x) {
    while (x.groups.size() > 1 && x.groups.front().Value == 0)
        x.groups.erase(x.groups.begin());
    while (x.groups.size() > 1 && x.groups.back().Value == 0)
        x.groups.pop_back();
    if (x.groups.size() == 1 && x.groups[0].Value == 0) {
        x.groups[0].Position = 0;
        x.sign = 0;
    }
}

TInfinitoNo Leading(const Number& x) {
    for (const TInfinitoNo& g : x.groups) {
        if (g.Value != 0) return g;
    }
    return {};
}

Number Negated(Number x) {
    x.sign = -x.sign;
    for (TInfinitoNo& g : x.groups)
        g.Value = -g.Value;
    return x;
}

bool GreaterThan(Number a, Number b) {
    Normalize(a);
    Normalize(b);
    if (b.sign < a.sign) return true;
    if (b.sign > a.sign) return false;
    if (a.sign == 0) return false;
    const TInfinitoNo la = Leading(a);
    const TInfinitoNo lb = Leading(b);
    if (la.Position != lb.Position)
        return a.sign > 0 ? la.Position > lb.Position : la.Position < lb.Position;
    std::size_t i = 0;
    for (; i < a.groups.size() && i < b.groups.size(); ++i) {
        if (a.groups[i].Value != b.groups[i].Value) return a.groups[i].Value > b.groups[i].Value;
    }
    if (a.groups.size() == b.groups.size()) return false;
    if (i < a.groups.size()) return a.sign == 1;
    return b.sign != 1;
}

std::int64_t ValueAt(const Number& x, std::int32_t position) {
    for (const TInfinitoNo& g : x.groups) {
        if (g.Position == position) return g.Value;
    }
    return 0;
}

} // namespace

Number FromNumber(const TInfinito& x) {
    Number n;
    n.sign = x.Sign();
    for (int i = 0; i < x.GroupCount(); ++i)
        n.groups.push_back(x.GroupAt(i));
    return n;
}

Number Add(const Number& a, const Number& b) {
    const std::int32_t low = std::min(a.groups.back().Position, b.groups.back().Position);
    const std::int32_t high = std::max(a.groups.front().Position, b.groups.front().Position);
    const bool opposite = a.sign != 0 && b.sign != 0 && a.sign != b.sign;
    const bool aDominates =
        opposite && (a.sign == 1 ? GreaterThan(a, Negated(b)) : GreaterThan(Negated(a), b));
    const Number& dom = aDominates ? a : b;
    const Number& other = aDominates ? b : a;
    Number r;
    std::int64_t carry = 0;
    for (std::int32_t p = low; p <= high; p += 8) {
        TInfinitoNo g;
        if (opposite) {
            g = TInfinitoNo::BorrowStep(ValueAt(dom, p), ValueAt(other, p), carry, dom.sign, p);
        } else {
            g = TInfinitoNo::AddGroups({ValueAt(a, p), p}, {ValueAt(b, p), p}, carry);
        }
        r.groups.insert(r.groups.begin(), g);
    }
    if (carry != 0) r.groups.insert(r.groups.begin(), {carry, high + 8});
    const TInfinitoNo lead = Leading(r);
    r.sign = lead.Value > 0 ? 1 : (lead.Value < 0 ? -1 : 0);
    return r;
}

Number Multiply(const Number& a, const Number& b) {
    if (b.groups.empty()) return Number{1, {{0, 0}}};
    std::vector<Number> partials;
    for (auto bg = b.groups.rbegin(); bg != b.groups.rend(); ++bg) {
        Number p;
        std::int64_t carry = 0;
        for (auto ag = a.groups.rbegin(); ag != a.groups.rend(); ++ag) {
            p.groups.insert(p.groups.begin(), TInfinitoNo::MultiplyGroups(*ag, *bg, carry));
        }
        if (carry != 0) p.groups.insert(p.groups.begin(), {carry, p.groups.front().Position + 8});
        partials.push_back(std::move(p));
    }
    Number sum = partials.front();
    for (std::size_t i = 1; i < partials.size(); ++i)
        sum = Add(sum, partials[i]);
    sum.sign = Leading(sum).Value < 0 ? -1 : 1;
    return sum;
}

} // namespace veltra::reference
