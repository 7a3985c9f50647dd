// One plotted series: a watched element's value after every step recorded, exact, with what a
// picture draws of it (doubles, digit counts, their extremes and block summaries) worked out
// when Settle asks for it; and the per-pixel decimation that keeps a redraw of many long
// series fast. No Qt here.
#pragma once

#include "plotdata/exactvalues.h"
#include "plotdata/steplist.h"

#include <string>
#include <vector>

namespace veltra {

// The series keeps these true after every call:
// - every recorded point has a step and an exact value (Steps().size() == Exact().size() ==
//   Size()), its steps ascending; only TPlotData, while a run writes into room at the end,
//   holds words beyond the last step;
// - the first Settled(digits) points, and only they, have their double (digit count), with
//   Settled(digits) <= Size();
// - the extremes and block summaries are those of exactly the settled points.
class TPlotSeries {
public:
    // Points per block summary.
    static constexpr std::size_t Block = 32;

    TPlotSeries(const void* key, std::string label) : key_(key), label_(std::move(label)) {}

    // The element followed; null once it is released.
    const void* Key() const { return key_; }
    const std::string& Label() const { return label_; }
    std::size_t Size() const { return steps_.size(); }
    const TStepList& Steps() const { return steps_; }
    const TExactValues& Exact() const { return exact_; }
    // The index of the point at `step`, -1 when there is none.
    long long Find(long long step) const;

    // Adds a point after the last (a step not after the last takes the points from it back
    // first).
    void Append(long long step, const TInfinito& value);
    // Drops the points of `step` and later (a step taken back, then taken again).
    void Truncate(long long step);
    // Works out the doubles and digit counts of the points recorded since (or only those a
    // picture of values, or of digit counts, needs) with their extremes and block summaries.
    void Settle();
    void Settle(bool digits);

    // What a picture of values (digits: of digit counts) draws, for the settled points.
    std::size_t Settled(bool digits) const { return Drawn(digits).size(); }
    const std::vector<double>& Drawn(bool digits) const { return digits ? digits_ : values_; }
    // The lowest and highest of them (0 and 0 when none is settled).
    double Low(bool digits) const { return digits ? digitsLow_ : valueLow_; }
    double High(bool digits) const { return digits ? digitsHigh_ : valueHigh_; }
    // The lowest and highest of every block of Block of them: a pixel column that spans whole
    // blocks reads their summaries instead of their points (a redraw of many long series is
    // bound by memory, not by arithmetic).
    const std::vector<double>& BlockLows(bool digits) const {
        return digits ? blockDigitsLow_ : blockValueLow_;
    }
    const std::vector<double>& BlockHighs(bool digits) const {
        return digits ? blockDigitsHigh_ : blockValueHigh_;
    }

private:
    friend class TPlotData; // relabels, forgets, and writes a run's words straight into room

    // Works one mode's extremes and block summaries out afresh from `fromPoint` on;
    // `grown`: points were only added since it was last called.
    void Summarise(bool digits, std::size_t fromPoint, bool grown = false);

    const void* key_;
    std::string label_;
    TStepList steps_;
    TExactValues exact_;
    std::vector<double> values_;
    std::vector<double> digits_; // before and after the point together
    double valueLow_ = 0, valueHigh_ = 0, digitsLow_ = 0, digitsHigh_ = 0;
    std::vector<double> blockValueLow_, blockValueHigh_, blockDigitsLow_, blockDigitsHigh_;
};

// One pixel column of a series: the lowest and highest value among its points.
struct TPlotColumn {
    int x;
    double low;
    double high;
};

// The columns of the settled points of `series` between steps x0 and x1 drawn `width` pixels
// wide: every point in that range lands in one column, so a redraw costs one pass over the
// visible points and the picture is as many segments as there are columns.
void Decimate(const TPlotSeries& series, bool digits, double x0, double x1, int width,
              std::vector<TPlotColumn>& columns);

} // namespace veltra
