#include "plotdata/plotseries.h"

#include <algorithm>
#include <ranges>

namespace veltra {

void TPlotSeries::Truncate(long long step) {
    const std::size_t at = steps_.LowerBound(step);
    if (at == steps_.size()) return;
    steps_.shrink(at);
    values_.resize(std::min(values_.size(), steps_.size()));
    digits_.resize(std::min(digits_.size(), steps_.size()));
    exact_.shrink(steps_.size());
    Summarise(false, values_.size() / Block * Block);
    Summarise(true, digits_.size() / Block * Block);
}

void TPlotSeries::Summarise(bool digitCounts, std::size_t fromPoint, bool grown) {
    const std::vector<double>& ys = digitCounts ? digits_ : values_;
    std::vector<double>& blockLow = digitCounts ? blockDigitsLow_ : blockValueLow_;
    std::vector<double>& blockHigh = digitCounts ? blockDigitsHigh_ : blockValueHigh_;
    const std::size_t n = ys.size();
    const std::size_t blocks = (n + Block - 1) / Block;
    const std::size_t first = std::min(fromPoint / Block, blocks);
    blockLow.resize(blocks);
    blockHigh.resize(blocks);
    for (std::size_t b = first; b < blocks; ++b) {
        const std::size_t end = std::min(n, (b + 1) * Block);
        double low = ys[b * Block], high = low;
        for (std::size_t k = b * Block + 1; k < end; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        blockLow[b] = low, blockHigh[b] = high;
    }
    double& low = digitCounts ? digitsLow_ : valueLow_;
    double& high = digitCounts ? digitsHigh_ : valueHigh_;
    if (n == 0) {
        low = high = 0;
        return;
    }
    // Points only added since: the blocks before `first` are as they were, and so is what
    // they contributed to the extremes.
    const std::size_t from = grown && first > 0 ? first : 0;
    if (from == 0) low = blockLow[0], high = blockHigh[0];
    for (std::size_t b = from; b < blocks; ++b)
        low = std::min(low, blockLow[b]), high = std::max(high, blockHigh[b]);
}

void TPlotSeries::Append(long long step, const TInfinito& value) {
    if (!steps_.empty() && steps_.back() >= step) Truncate(step);
    steps_.push_back(step);
    exact_.push_back(value);
}

void TPlotSeries::Settle() {
    Settle(false);
    Settle(true);
}

void TPlotSeries::Settle(bool digitCounts) {
    std::vector<double>& ys = digitCounts ? digits_ : values_;
    const std::size_t from = ys.size();
    const std::size_t to = std::min(steps_.size(), exact_.size());
    if (to <= from) return;
    exact_.AppendDrawn(digitCounts, to, ys);
    Summarise(digitCounts, from / Block * Block, true);
}

long long TPlotSeries::Find(long long step) const {
    const std::size_t at = steps_.LowerBound(step);
    return at < steps_.size() && steps_[at] == step ? static_cast<long long>(at) : -1;
}

void Decimate(const TPlotSeries& series, bool digits, double x0, double x1, int width,
              std::vector<TPlotColumn>& columns) {
    columns.clear();
    const auto& steps = series.Steps();
    const auto& ys = series.Drawn(digits);
    const std::size_t n = ys.size(); // the settled points
    if (n == 0 || width <= 0 || !(x1 > x0)) return;
    const double scale = width / (x1 - x0);
    // floor without a library call (the baseline instruction set has no rounding instruction);
    // the galloping search below asks for many columns.
    auto floorOf = [](double t) {
        // Far outside the picture (a view zoomed very far in) a column is only ever compared
        // with the picture's own; clamped so the conversion stays defined.
        t = std::clamp(t, -1e18, 1e18);
        const auto whole = static_cast<long long>(t);
        return whole - (t < static_cast<double>(whole) ? 1 : 0);
    };
    auto columnOf = [&](std::size_t i) {
        return floorOf((static_cast<double>(steps[i]) - x0) * scale);
    };
    // The first index after `from` whose column lies beyond `x`. Steps recorded one by one are
    // consecutive, so the index follows from the step at the column's edge, checked against
    // its neighbours; otherwise galloping, then halving.
    auto endOf = [&](std::size_t from, long long x) {
        const long long edge = floorOf(x0 + static_cast<double>(x + 1) / scale);
        const long long ahead = edge - steps[from];
        if (ahead > 0 && static_cast<std::size_t>(ahead) < n - from &&
            steps[from + static_cast<std::size_t>(ahead)] == edge) {
            std::size_t e = from + static_cast<std::size_t>(ahead);
            while (e < n && columnOf(e) <= x)
                ++e;
            while (e > from + 1 && columnOf(e - 1) > x)
                --e;
            return e;
        }
        std::size_t lo = from, hop = 1;
        while (lo + hop < n && columnOf(lo + hop) <= x) {
            lo += hop;
            hop *= 2;
        }
        std::size_t hi = std::min(n, lo + hop);
        while (hi - lo > 1) {
            const std::size_t mid = lo + (hi - lo) / 2;
            (columnOf(mid) <= x ? lo : hi) = mid;
        }
        return hi;
    };
    // The first point in the picture (columns grow with the steps).
    const auto indices = std::views::iota(std::size_t{0}, n);
    std::size_t i = static_cast<std::size_t>(
        std::ranges::partition_point(indices, [&](std::size_t j) { return columnOf(j) < 0; }) -
        indices.begin());
    // One point either side of the picture too, so lines leave it where they should.
    if (i > 0)
        columns.push_back(
            {static_cast<int>(std::max<long long>(columnOf(i - 1), -1)), ys[i - 1], ys[i - 1]});
    while (i < n) {
        const long long x = columnOf(i);
        if (x >= width) {
            columns.push_back({width, ys[i], ys[i]});
            break;
        }
        const std::size_t end = endOf(i, x);
        // Points up to a block boundary, whole blocks by their summaries, then the rest.
        const auto& blockLow = series.BlockLows(digits);
        const auto& blockHigh = series.BlockHighs(digits);
        constexpr std::size_t Block = TPlotSeries::Block;
        double low = ys[i], high = ys[i];
        std::size_t k = i + 1;
        for (; k < end && k % Block != 0; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        for (; k + Block <= end; k += Block)
            low = std::min(low, blockLow[k / Block]), high = std::max(high, blockHigh[k / Block]);
        for (; k < end; ++k)
            low = std::min(low, ys[k]), high = std::max(high, ys[k]);
        columns.push_back({static_cast<int>(x), low, high});
        i = end;
    }
}

} // namespace veltra
