// A straightforward group-list implementation of the arithmetic, one TInfinitoNo at a time,
// used to check the exact group layout (and sign) of the fast implementation.
#pragma once

#include "numeric/infinito.h"

#include <vector>

namespace veltra::reference {

struct Number {
    int sign = 0;
    std::vector<TInfinitoNo> groups; // index 0 = most significant
};

Number FromNumber(const TInfinito& x);
Number Add(const Number& a, const Number& b);
Number Multiply(const Number& a, const Number& b);

} // namespace veltra::reference
