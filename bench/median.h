// The median of a benchmark's repetitions (the upper middle one of an even count).
#pragma once

#include <algorithm>
#include <vector>

namespace veltra::bench {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace veltra::bench
