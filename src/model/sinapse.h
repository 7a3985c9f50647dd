// A weighted directed connection from a source element to a destination element, with
// the geometry the drawing window needs. A hidden (invisible) synapse joins an outside
// element directly to an element inside a module; it computes like any other.
#pragma once

#include "model/point.h"
#include "numeric/infinito.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace veltra {

class TCanvas;
class TInfoTree;
class TNeuronio;
class TProtoNeuronio;
struct TInfoFields;
enum class TPenMode;

class TSinapse {
public:
    TSinapse();
    TSinapse(const TSinapse&) = delete;
    TSinapse& operator=(const TSinapse&) = delete;
    ~TSinapse();

    // end point := start point; ends stored; name made when a destination is given;
    // pair flag false; visible. The weight is not touched.
    void SetUp(TProtoNeuronio* source, TProtoNeuronio* destination);

    const TInfinito& Weight() const { return *weight_; }
    void SetWeight(TInfinito weight);          // takes it over and normalises it
    void SetWeightText(std::string_view text); // SetFromText on the weight, then Normalize
    // Takes over one share of a weight from the pool (weightpool.h), already in normal form.
    void SetSharedWeight(const TInfinito* shared);

    TProtoNeuronio* Source() const { return source_; }
    void SetSource(TProtoNeuronio* source) {
        InvalidatePlans();
        source_ = source;
        Aim();
    }
    TProtoNeuronio* Destination() const { return destination_; }
    void SetDestination(TProtoNeuronio* destination) {
        InvalidatePlans();
        destination_ = destination;
        Aim();
    }
    // The element Fire sends to: the destination, or null when Fire sends nothing (an end
    // missing, or a module as destination). A source that holds its value at hand sends
    // it there itself instead of calling Fire, which would ask the source for it again.
    TProtoNeuronio* Receiver() const { return sends_ ? destination_ : nullptr; }
    // Whether the receiver is a neuron: its AddWeighted is then called directly rather than
    // through the element table.
    bool ToNeuron() const { return toNeuron_; }
    TNeuronio* NeuronReceiver() const;

    TPoint StartPoint() const { return start_; }
    void SetStartPoint(TPoint p) { start_ = p; }
    TPoint EndPoint() const { return end_; }
    void SetEndPoint(TPoint p) { end_ = p; }

    std::int32_t DestinationId() const { return destinationId_; }
    void SetDestinationId(std::int32_t id) { destinationId_ = id; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Pair() const { return pair_; }
    void SetPair(bool pair) { pair_ = pair; }
    bool IsSelfLoop() const { return source_ != nullptr && source_ == destination_; }

    // The stored name, first built from the two labels when empty ("nil" for a missing end).
    const std::string& Name();
    void SetName(std::string name);

    // Phase 1 transfer: destination.AddInput(weight x source value); nothing into a module.
    void Fire() const;

    // Which figure the synapse gets; only visible synapses are drawn.
    void Draw(TCanvas& canvas, TPenMode pen) const;
    void Erase(TCanvas& canvas) const; // Draw in the inverting mode
    void DrawRubberBand(TCanvas& canvas) const;
    void MoveRubberBand(TCanvas& canvas, int x, int y);

    // Info dialog: "origem =", "destino =", "peso =" children under parent.
    void AddToTree(TInfoTree& tree, int parent);
    // Info dialog synapse page: a non-blank name replaces the name, a non-blank value the weight.
    void ApplyInfo(const TInfoFields& fields);

    // How far into the object the fields a drawing reads (ends, source, destination, pair
    // and visible flags) reach: a walk over many synapses fetches that much ahead.
    static constexpr std::size_t DrawnBytes = 2 * sizeof(void*) + 2 * sizeof(TPoint) + 2;

private:
    void Aim(); // sends_ and toNeuron_ from the two ends, whenever either changes
    // The step plans holding either end copied the synapse: they are made again.
    void InvalidatePlans() const;

    // What a repaint reads of every synapse comes first, within the object's first
    // DrawnBytes: fitting a big net on screen walks hundreds of thousands of them. A big net has
    // millions of synapses, so the object stays small: 56 bytes.
    TProtoNeuronio* source_ = nullptr;
    TProtoNeuronio* destination_ = nullptr;
    TPoint start_;
    TPoint end_;
    bool pair_ = false;
    bool visible_ = true;
    // Settled when the ends are set rather than asked of the destination at every step.
    bool sends_ = false;
    bool toNeuron_ = false;
    std::int32_t destinationId_ = 0;
    // Shared with every synapse of the same weight (weightpool.h): a net's weights are mostly a
    // handful of numbers.
    const TInfinito* weight_;
    std::unique_ptr<std::string> name_; // null while empty, as most are
};

} // namespace veltra
