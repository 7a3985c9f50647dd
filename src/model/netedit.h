// The reversible steps that undo is built from. Each takes something out of a net without
// releasing it and can put it back exactly where it was, so that a net after an undo saves
// the very bytes it saved before the edit, and every window, dialog or run that still holds
// an element or synapse keeps holding the same object.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltra {

class TModule;
class TProtoLista;
class TProtoNeuronio;
class TSinapse;

// Synapses taken out of their source's and destination's lists, with their places there.
// Taken in one order and put back in the reverse one, every list ends exactly as it was.
class TDetachedSynapses {
public:
    TDetachedSynapses() = default;
    TDetachedSynapses(TDetachedSynapses&&) noexcept = default;
    TDetachedSynapses& operator=(TDetachedSynapses&&) noexcept = default;
    ~TDetachedSynapses();

    // Takes each synapse out (one met twice is taken once).
    void Detach(const std::vector<TSinapse*>& synapses);
    // Puts back everything taken, last taken first. Refuses (changing nothing, answering
    // false) when an end is an element held out of its net by an edit: the synapse would
    // join the net to something out of it.
    bool Restore();
    bool MayRestore() const;
    bool Empty() const { return entries_.empty(); }
    // The elements the synapses held here were taken from (sources and destinations).
    std::vector<const TProtoNeuronio*> Ends() const;

private:
    struct TEntry {
        std::unique_ptr<TSinapse> synapse;
        TProtoNeuronio* source = nullptr;
        int outIndex = -1;
        int inIndex = -1;
        std::weak_ptr<TProtoLista> homes[2]; // the nets of its destination and its source
    };
    std::vector<TEntry> entries_;
};

// Every synapse that joins the element to anything else: its own two lists and, for a module,
// the hidden ones across its border at any depth.
std::vector<TSinapse*> SynapsesOf(const TProtoNeuronio& element);

// One element of a list, out of it (with all its synapses) or in it. Erasing takes it out;
// undoing a placement does the same.
class TElementPlace {
public:
    TElementPlace(std::shared_ptr<TProtoLista> list, TProtoNeuronio* element);
    TElementPlace(const TElementPlace&) = delete;
    TElementPlace& operator=(const TElementPlace&) = delete;
    ~TElementPlace();

    void Detach();
    // Refuses (changing nothing, answering false) when a synapse would go back to an element
    // held out of the net, or across the border of a module held out (the list is its inner
    // net): another edit, not undone, took that out meanwhile.
    bool Restore();
    bool Detached() const { return owned_ != nullptr; }
    TProtoNeuronio* Element() const { return element_; }
    const TDetachedSynapses& Synapses() const { return synapses_; }

private:
    bool CrossesHeldOutBorder() const;

    std::shared_ptr<TProtoLista> list_;
    TProtoNeuronio* element_;
    std::unique_ptr<TProtoNeuronio> owned_; // while out of the list
    int index_ = -1;
    TDetachedSynapses synapses_;
};

// What a move changes: the glyph's corner and the element's place in the list (a dragged
// element comes to the front).
struct TElementSpot {
    int index = -1;
    std::int32_t x = 0;
    std::int32_t y = 0;
};
TElementSpot SpotOf(const TProtoLista& list, const TProtoNeuronio& element);
void PutAt(TProtoLista& list, TProtoNeuronio& element, const TElementSpot& spot);

// Everything of one element that the Info dialog's Apply can change, as the file has it.
class TElementState {
public:
    static TElementState Of(const TProtoNeuronio& element);
    void ApplyTo(TProtoNeuronio& element) const;
    bool operator==(const TElementState& other) const;

private:
    std::string label_;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    std::string body_;                            // the type lines of the file; none for a module
    std::optional<std::vector<std::string>> log_; // an output's logged texts
};

// A synapse's name and weight (the Info dialog's synapse page).
class TSynapseState {
public:
    static TSynapseState Of(TSinapse& synapse);
    void ApplyTo(TSinapse& synapse) const;
    bool operator==(const TSynapseState& other) const;

private:
    std::string name_;
    std::string weight_;
};

// A module's inner net replaced by another list (read from a file, or another window's),
// reversibly: the synapses across the old border are kept, not released.
class TInnerNetSwap {
public:
    TInnerNetSwap(TModule& module, std::shared_ptr<TProtoLista> list);
    TInnerNetSwap(const TInnerNetSwap&) = delete;
    TInnerNetSwap& operator=(const TInnerNetSwap&) = delete;
    // Both refuse, changing nothing, when the net coming in would nest deeper than the reader
    // accepts where the module stands now; Revert also as TDetachedSynapses::Restore does.
    bool Apply();
    bool Revert();
    TModule& Module() const { return module_; }
    const TDetachedSynapses& Border() const { return border_; }

private:
    bool Fits() const;

    TModule& module_;
    std::shared_ptr<TProtoLista> other_; // the list not in the module now
    TDetachedSynapses border_;
};

} // namespace veltra
