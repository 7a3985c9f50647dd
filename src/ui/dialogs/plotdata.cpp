#include "ui/dialogs/plotdata.h"

#include "execution/runcontrol.h"
#include "execution/stopcondition.h"
#include "model/protolista.h"

#include <algorithm>
#include <cmath>

namespace veltra {

namespace {

// 10^(8k) for group positions near the point, where nearly every value lies.
struct TGroupScales {
    static constexpr int Reach = 38; // 10^(8 * 38) still fits a double
    double scale[2 * Reach + 1];
    TGroupScales() {
        for (int k = -Reach; k <= Reach; ++k)
            scale[k + Reach] = std::pow(10.0, 8.0 * k);
    }
    double At(std::int32_t position) const {
        const int k = position / 8;
        return k >= -Reach && k <= Reach ? scale[k + Reach] : std::pow(10.0, position);
    }
};

} // namespace

double ToDouble(const TInfinito& value) {
    // Two leading groups (at least 9 significant digits, mostly 16) are what a double holds;
    // every step records every watched value, so this stays cheap.
    static const TGroupScales scales;
    const int count = value.GroupCount();
    double sum = 0;
    for (int i = 0, used = 0; i < count && used < 2; ++i) {
        const TInfinitoNo g = value.GroupAt(i);
        if (g.Value == 0 && used == 0) continue;
        sum += static_cast<double>(g.Value) * scales.At(g.Position);
        ++used;
    }
    return sum;
}

void TValueBlocks::push_back(const TInfinito& value) {
    if (size_ == blocks_.size() * Block) {
        blocks_.emplace_back();
        blocks_.back().reserve(Block);
    }
    blocks_.back().push_back(value);
    ++size_;
}

void TValueBlocks::shrink(std::size_t n) {
    if (n >= size_) return;
    blocks_.resize((n + Block - 1) / Block);
    if (!blocks_.empty()) blocks_.back().resize(n - (blocks_.size() - 1) * Block);
    size_ = n;
}

void TPlotSeries::Truncate(long long step) {
    const auto at = std::lower_bound(steps.begin(), steps.end(), step) - steps.begin();
    if (static_cast<std::size_t>(at) == steps.size()) return;
    steps.resize(static_cast<std::size_t>(at));
    values.resize(steps.size());
    digits.resize(steps.size());
    exact.shrink(steps.size());
    Summarise(steps.size() / Block * Block);
}

void TPlotSeries::Summarise(std::size_t fromPoint) {
    const std::size_t n = steps.size();
    const std::size_t blocks = (n + Block - 1) / Block;
    const std::size_t first = std::min(fromPoint / Block, blocks);
    for (auto* v : {&blockValueLow, &blockValueHigh, &blockDigitsLow, &blockDigitsHigh})
        v->resize(blocks);
    for (std::size_t b = first; b < blocks; ++b) {
        const auto begin = static_cast<std::ptrdiff_t>(b * Block);
        const auto end = static_cast<std::ptrdiff_t>(std::min(n, (b + 1) * Block));
        const auto [vl, vh] = std::minmax_element(values.begin() + begin, values.begin() + end);
        const auto [dl, dh] = std::minmax_element(digits.begin() + begin, digits.begin() + end);
        blockValueLow[b] = *vl, blockValueHigh[b] = *vh;
        blockDigitsLow[b] = *dl, blockDigitsHigh[b] = *dh;
    }
    if (n == 0) return;
    valueLow = *std::min_element(blockValueLow.begin(), blockValueLow.end());
    valueHigh = *std::max_element(blockValueHigh.begin(), blockValueHigh.end());
    digitsLow = *std::min_element(blockDigitsLow.begin(), blockDigitsLow.end());
    digitsHigh = *std::max_element(blockDigitsHigh.begin(), blockDigitsHigh.end());
}

void TPlotSeries::Append(long long step, const TInfinito& value) {
    if (!steps.empty() && steps.back() >= step) Truncate(step);
    const double v = ToDouble(value);
    const TInfinito::TDigits d = value.Digits();
    const double n = static_cast<double>(d.whole + d.fraction);
    if (steps.empty()) {
        valueLow = valueHigh = v;
        digitsLow = digitsHigh = n;
    } else {
        valueLow = std::min(valueLow, v), valueHigh = std::max(valueHigh, v);
        digitsLow = std::min(digitsLow, n), digitsHigh = std::max(digitsHigh, n);
    }
    if (steps.size() % Block == 0) {
        blockValueLow.push_back(v), blockValueHigh.push_back(v);
        blockDigitsLow.push_back(n), blockDigitsHigh.push_back(n);
    } else {
        blockValueLow.back() = std::min(blockValueLow.back(), v);
        blockValueHigh.back() = std::max(blockValueHigh.back(), v);
        blockDigitsLow.back() = std::min(blockDigitsLow.back(), n);
        blockDigitsHigh.back() = std::max(blockDigitsHigh.back(), n);
    }
    steps.push_back(step);
    values.push_back(v);
    digits.push_back(n);
    exact.push_back(value);
}

long long TPlotSeries::Find(long long step) const {
    const auto it = std::lower_bound(steps.begin(), steps.end(), step);
    return it != steps.end() && *it == step ? it - steps.begin() : -1;
}

TPlotSeries& TPlotData::SeriesOf(const void* key, const std::string& label) {
    if (lastFound_ < series_.size() && series_[lastFound_].key == key) return series_[lastFound_];
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].key == key) {
            lastFound_ = i;
            return series_[i];
        }
    series_.push_back({});
    series_.back().key = key;
    series_.back().label = label;
    lastFound_ = series_.size() - 1;
    return series_.back();
}

void TPlotData::Add(const void* key, const std::string& label, long long step,
                    const TInfinito& value) {
    SeriesOf(key, label).Append(step, value);
    ++lastFound_;
}

void TPlotData::Record(long long step, const TProtoLista& list) {
    lastFound_ = 0;
    for (const auto& element : list) {
        if (!IsWatched(*element)) continue;
        TPlotSeries& s = SeriesOf(element.get(), element->Label());
        if (s.label != element->Label()) s.label = element->Label();
        s.Append(step, WatchedValue(*element));
        ++lastFound_;
    }
}

void TPlotData::Record(long long step, const std::vector<TProtoNeuronio*>& watched) {
    lastFound_ = 0;
    for (TProtoNeuronio* element : watched) {
        TPlotSeries& s = SeriesOf(element, element->Label());
        if (s.label != element->Label()) s.label = element->Label();
        s.Append(step, WatchedValue(*element));
        ++lastFound_;
    }
}

void TPlotData::Forget(const void* key) {
    for (TPlotSeries& s : series_)
        if (s.key == key) s.key = nullptr;
}

bool TPlotData::Empty() const {
    return std::all_of(series_.begin(), series_.end(),
                       [](const TPlotSeries& s) { return s.steps.empty(); });
}

bool TPlotData::Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const {
    bool any = false;
    for (const TPlotSeries& s : series_) {
        if (s.steps.empty()) continue;
        const double lo = digits ? s.digitsLow : s.valueLow;
        const double hi = digits ? s.digitsHigh : s.valueHigh;
        const double sx0 = static_cast<double>(s.steps.front());
        const double sx1 = static_cast<double>(s.steps.back());
        if (!any) {
            x0 = sx0, x1 = sx1, y0 = lo, y1 = hi;
            any = true;
        } else {
            x0 = std::min(x0, sx0), x1 = std::max(x1, sx1);
            y0 = std::min(y0, lo), y1 = std::max(y1, hi);
        }
    }
    return any;
}

void Decimate(const TPlotSeries& series, bool digits, double x0, double x1, int width,
              std::vector<TPlotColumn>& columns) {
    columns.clear();
    const auto& steps = series.steps;
    const std::size_t n = steps.size();
    if (n == 0 || width <= 0 || !(x1 > x0)) return;
    const auto& ys = digits ? series.digits : series.values;
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
    std::size_t i = static_cast<std::size_t>(
        std::partition_point(
            steps.begin(), steps.end(),
            [&](long long s) { return floorOf((static_cast<double>(s) - x0) * scale) < 0; }) -
        steps.begin());
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
        const auto& blockLow = digits ? series.blockDigitsLow : series.blockValueLow;
        const auto& blockHigh = digits ? series.blockDigitsHigh : series.blockValueHigh;
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
