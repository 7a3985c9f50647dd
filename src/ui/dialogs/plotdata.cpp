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

void TPlotSeries::Truncate(long long step) {
    const auto at = std::lower_bound(steps.begin(), steps.end(), step) - steps.begin();
    if (static_cast<std::size_t>(at) == steps.size()) return;
    steps.resize(static_cast<std::size_t>(at));
    values.resize(steps.size());
    digits.resize(steps.size());
    exact.resize(steps.size());
    if (steps.empty()) return;
    const auto [vl, vh] = std::minmax_element(values.begin(), values.end());
    const auto [dl, dh] = std::minmax_element(digits.begin(), digits.end());
    valueLow = *vl, valueHigh = *vh, digitsLow = *dl, digitsHigh = *dh;
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
        s.label = element->Label();
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
    auto columnOf = [&](std::size_t i) {
        return static_cast<long long>(std::floor((static_cast<double>(steps[i]) - x0) * scale));
    };
    // The first index after `from` whose column lies beyond `x`: galloping, then halving, so
    // that a column of many points costs a logarithm, not a pass.
    auto endOf = [&](std::size_t from, long long x) {
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
            [&](long long s) { return std::floor((static_cast<double>(s) - x0) * scale) < 0; }) -
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
        double low = ys[i], high = ys[i];
        for (std::size_t k = i + 1; k < end; ++k) {
            low = std::min(low, ys[k]);
            high = std::max(high, ys[k]);
        }
        columns.push_back({static_cast<int>(x), low, high});
        i = end;
    }
}

} // namespace veltra
