// What the Plot window draws: for every watched element, its value after every step as it was
// run, recorded cheaply during a run (a word per value, written where it stays) and settled
// into what a picture needs when one is wanted. No Qt here.
#pragma once

#include "plotdata/plotseries.h"

#include <cstdint>
#include <string>
#include <vector>

namespace veltra {

class TNeuronio;
class TProtoLista;
class TProtoNeuronio;

class TPlotData {
public:
    // The values of the list's watched elements after `step` (series made as they appear).
    void Record(long long step, const TProtoLista& list);
    // The same, given the list's watched elements in list order. `unchanged`: the caller
    // knows that the elements and their labels are those of the last Record (a run between
    // two passes through the event loop, where alone they can change); then only the values
    // are read, a word each into its series.
    void Record(long long step, const std::vector<TProtoNeuronio*>& watched,
                bool unchanged = false);
    // Adds a point to the series of `key` (for tests and benchmarks, which have no net).
    void Add(const void* key, const std::string& label, long long step, const TInfinito& value);
    void Clear();
    // An element was released: its series stays, but no longer follows it.
    void Forget(const void* key);

    // Puts the points recorded since into their series and works out what drawing needs (in
    // both modes, or in the one a picture of values, or of digit counts, needs). Until then
    // the series hold the points up to the last Settle (or Add) alone.
    void Settle();
    void Settle(bool digits);
    // The series, as they stood at the last Settle. What it gives is whole until the next
    // Record, which makes room at the series' ends again.
    const std::vector<TPlotSeries>& Series() const { return series_; }
    bool Empty() const;
    // How many series there are, and the points of the longest (those recorded since the
    // last Settle too), without settling anything.
    std::size_t SeriesCount() const { return series_.size(); }
    std::size_t LongestSeries() const;
    // The steps and values (or digit counts) the settled points cover; false when there are
    // none.
    bool Bounds(bool digits, double& x0, double& x1, double& y0, double& y1) const;

private:
    TPlotSeries& SeriesOf(const void* key, const std::string& label);
    void Flush();

    std::vector<TPlotSeries> series_;
    std::size_t lastFound_ = 0; // Record visits the series in the same order every step
    // The series of each watched element of the last Record (NoSeries for an element listed
    // twice, whose later value is the one kept), and the elements themselves.
    static constexpr std::uint32_t NoSeries = UINT32_MAX;
    std::vector<std::uint32_t> layout_;
    std::vector<const TProtoNeuronio*> layoutElements_;
    std::vector<bool> layoutOwnValue_; // the element's value is its own (no synapse to read)
    // Each watched neuron, whose value is read without asking the element table (null for the
    // others, which are asked every step). Not the value's address: a step plan made or
    // dropped moves the values, the neuron always knows where its own is.
    std::vector<const TNeuronio*> layoutNeurons_;
    // A run writes each step's words straight into room made at the end of every series of the
    // layout (RoomRows steps at a time, fewer when there are many series), and the steps of
    // those rows once for all of them: a point costs one word written once. Flush ends the
    // room at the rows written and gives the series their steps; until then the series do not
    // count those points.
    static constexpr std::size_t RoomRows = 1024;
    static constexpr std::size_t RoomWords = std::size_t{1} << 17; // 1 MB
    void MakeRoom(long long step);
    std::vector<long long> roomSteps_;    // the steps of the rows written
    std::size_t room_ = 0;                // rows of room made, 0 when none
    std::vector<std::uint64_t*> columns_; // per watched element, its room's first word
    TWords scratch_;                      // the room of an element listed twice
    // The last few steps' words, a step's side by side as they are read, moved to the rooms
    // when the tile is full (and by Flush).
    static constexpr std::size_t TileRows = 8;
    void EmptyTile(std::size_t rows);
    TWords tile_;
    bool settleDigits_ = false; // the mode last settled for, which Flush keeps settled
};

} // namespace veltra
