#include "plotdata/plotdata.h"

#include "execution/runcontrol.h"
#include "execution/stopcondition.h"
#include "model/elementkind.h"
#include "model/neuronio.h"
#include "model/protolista.h"

#include <algorithm>

namespace veltra {

TPlotSeries& TPlotData::SeriesOf(const void* key, const std::string& label) {
    if (lastFound_ < series_.size() && series_[lastFound_].key_ == key) return series_[lastFound_];
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].key_ == key) {
            lastFound_ = i;
            return series_[i];
        }
    series_.emplace_back(key, label);
    lastFound_ = series_.size() - 1;
    return series_.back();
}

void TPlotData::Add(const void* key, const std::string& label, long long step,
                    const TInfinito& value) {
    Flush();
    SeriesOf(key, label).Append(step, value);
    ++lastFound_;
}

void TPlotData::Record(long long step, const TProtoLista& list) {
    std::vector<TProtoNeuronio*> watched;
    for (const auto& element : list)
        if (IsWatched(*element)) watched.push_back(element.get());
    Record(step, watched);
}

void TPlotData::Record(long long step, const std::vector<TProtoNeuronio*>& watched,
                       bool unchanged) {
    // A step taken again: the rows written go to their series first, and the points from
    // this step on leave them when room is next made.
    if (!roomSteps_.empty() && roomSteps_.back() >= step) Flush();
    const std::size_t n = watched.size();
    const bool same = unchanged && layoutElements_.size() == n &&
                      std::equal(watched.begin(), watched.end(), layoutElements_.begin());
    if (!same) {
        Flush(); // the room is the layout's
        layoutElements_.assign(watched.begin(), watched.end());
        layout_.resize(n);
        layoutOwnValue_.resize(n);
        layoutNeurons_.assign(n, nullptr);
        lastFound_ = 0;
        for (std::size_t i = 0; i < n; ++i) {
            TPlotSeries& s = SeriesOf(watched[i], watched[i]->Label());
            if (s.label_ != watched[i]->Label()) s.label_ = watched[i]->Label();
            layout_[i] = static_cast<std::uint32_t>(lastFound_);
            layoutOwnValue_[i] = watched[i]->Kind() != TElementKind::Output;
            layoutNeurons_[i] = dynamic_cast<const TNeuronio*>(watched[i]);
            ++lastFound_;
        }
        // An element listed twice gives its series one point, the later value.
        std::vector<bool> taken(series_.size(), false);
        for (std::size_t i = n; i-- > 0;) {
            if (taken[layout_[i]])
                layout_[i] = NoSeries;
            else
                taken[layout_[i]] = true;
        }
    }
    if (roomSteps_.size() == room_) MakeRoom(step);
    const std::size_t row = roomSteps_.size() % TileRows;
    roomSteps_.push_back(step);
    std::uint64_t* words = tile_.data() + row * n;
    for (std::size_t i = 0; i < n; ++i) {
        // WatchedValue, without asking every element again what it is.
        const TInfinito& value = layoutNeurons_[i] != nullptr ? layoutNeurons_[i]->GetValue()
                                 : layoutOwnValue_[i]         ? watched[i]->GetValue()
                                                              : WatchedValue(*watched[i]);
        if (!TExactValues::EncodeShort(value, words[i]) && !TExactValues::Encode(value, words[i]))
            words[i] = layout_[i] == NoSeries ? 0 : series_[layout_[i]].exact_.KeepWhole(value);
    }
    if (row + 1 == TileRows) EmptyTile(TileRows);
}

void TPlotData::EmptyTile(std::size_t rows) {
    // Each element's words of the tile's steps lie side by side in its room: a whole cache
    // line written at once, where a word per step would have every step miss on every line.
    const std::size_t n = columns_.size();
    const std::size_t first = (roomSteps_.size() - 1) / TileRows * TileRows;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t* to = columns_[i] + first;
        for (std::size_t r = 0; r < rows; ++r)
            to[r] = tile_[r * n + i];
    }
}

void TPlotData::MakeRoom(long long step) {
    Flush();
    // Many series get fewer rows of room each, so that the room made stays within
    // RoomWords words (a tile's worth at the least).
    const std::size_t rows =
        std::clamp(RoomWords / std::max<std::size_t>(layout_.size(), 1) / TileRows * TileRows,
                   TileRows, RoomRows);
    scratch_.resize(rows);
    tile_.resize(TileRows * layout_.size());
    columns_.resize(layout_.size());
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        if (layout_[i] == NoSeries) {
            columns_[i] = scratch_.data();
            continue;
        }
        TPlotSeries& s = series_[layout_[i]];
        if (!s.steps_.empty() && s.steps_.back() >= step) s.Truncate(step);
        columns_[i] = s.exact_.Extend(rows);
    }
    room_ = rows;
}

void TPlotData::Flush() {
    if (room_ == 0) return;
    const std::size_t rows = roomSteps_.size();
    if (rows % TileRows != 0) EmptyTile(rows % TileRows);
    // The rows' steps as runs of consecutive steps (where each run starts), for every series.
    std::vector<std::size_t> starts;
    for (std::size_t r = 0; r < rows; ++r)
        if (r == 0 || roomSteps_[r] != roomSteps_[r - 1] + 1) starts.push_back(r);
    starts.push_back(rows);
    for (const std::uint32_t index : layout_) {
        if (index == NoSeries) continue;
        TPlotSeries& s = series_[index];
        const std::size_t before = s.steps_.size();
        s.exact_.EndRoom(s.exact_.size() - room_ + rows);
        for (std::size_t k = 0; k + 1 < starts.size(); ++k)
            s.steps_.AppendRun(roomSteps_[starts[k]], starts[k + 1] - starts[k]);
        // The doubles the picture was last drawn with follow while the words are at hand,
        // when the series has them up to here.
        if (s.Settled(settleDigits_) == before) s.Settle(settleDigits_);
    }
    roomSteps_.clear();
    room_ = 0;
}

void TPlotData::Clear() {
    series_.clear();
    layout_.clear();
    layoutElements_.clear();
    layoutNeurons_.clear();
    roomSteps_.clear();
    room_ = 0;
    columns_.clear();
}

void TPlotData::Forget(const void* key) {
    for (TPlotSeries& s : series_)
        if (s.key_ == key) s.key_ = nullptr;
    // Another element may come to live where this one did: the next Record looks again.
    layoutElements_.clear();
    layoutNeurons_.clear();
}

std::size_t TPlotData::LongestSeries() const {
    std::size_t longest = 0;
    for (const TPlotSeries& s : series_)
        longest = std::max(longest, s.Size());
    return longest + roomSteps_.size();
}

bool TPlotData::Empty() const {
    // Rows written go to a series only when something is watched.
    return (roomSteps_.empty() || layout_.empty()) &&
           std::all_of(series_.begin(), series_.end(),
                       [](const TPlotSeries& s) { return s.steps_.empty(); });
}

void TPlotData::Settle() {
    Flush();
    for (TPlotSeries& s : series_)
        s.Settle();
}

void TPlotData::Settle(bool digits) {
    settleDigits_ = digits;
    Flush();
    for (TPlotSeries& s : series_)
        s.Settle(digits);
}

bool TPlotData::Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const {
    bool any = false;
    for (const TPlotSeries& s : series_) {
        const std::size_t settled = s.Settled(digits);
        if (settled == 0) continue;
        const double lo = s.Low(digits);
        const double hi = s.High(digits);
        const double sx0 = static_cast<double>(s.steps_.front());
        const double sx1 = static_cast<double>(s.steps_[settled - 1]);
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

} // namespace veltra
