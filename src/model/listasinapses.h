// The list type of an element's outgoing and incoming synapses. An outgoing list owns its
// synapses (each synapse has exactly one source, so it is released exactly once); an
// incoming list only refers to synapses owned by their sources' outgoing lists.
#pragma once

#include "model/sinapse.h"

#include <memory>
#include <vector>

namespace veltra {

class TInfoTree;

class TListaSinapses {
public:
    explicit TListaSinapses(bool owning) : owning_(owning) {}
    TListaSinapses(const TListaSinapses&) = delete;
    TListaSinapses& operator=(const TListaSinapses&) = delete;
    ~TListaSinapses() { Clear(); }

    bool Owning() const { return owning_; }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TSinapse* Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // Owning list: takes the synapse over and appends it. Returns the synapse.
    TSinapse* Append(std::unique_ptr<TSinapse> synapse);
    // Referring list: appends the reference.
    void Append(TSinapse* synapse);
    // Room for `more` entries after the present ones, allocated at once.
    void Reserve(std::size_t more) { items_.reserve(items_.size() + more); }
    bool Contains(const TSinapse* synapse) const;
    // Takes the entry out of the list; an owning list releases the synapse.
    void Remove(const TSinapse* synapse);
    // Releases (owning) or forgets every entry.
    void Clear();
    // The entry's place in list order, -1 when it is not there.
    int IndexOf(const TSinapse* synapse) const;
    // Takes the entry out without releasing it: an owning list hands the synapse over, a
    // referring one returns null. Undo keeps the synapse to put it back where it was.
    std::unique_ptr<TSinapse> Take(const TSinapse* synapse);
    // Puts an entry back at `index` (clamped to the list), owning or referring as the list is:
    // an owning list takes `owned`, the synapse itself.
    void Insert(int index, TSinapse* synapse, std::unique_ptr<TSinapse> owned = nullptr);

    void FireAll() const;
    // One node per synapse whose ends are both not modules (Info dialog branch).
    void AddToTree(TInfoTree& tree, int parent) const;

private:
    // An owning list's entries are its own: taken out of it, they leave as a unique_ptr or
    // are released. One vector for both kinds: a big net holds millions of entries.
    bool owning_;
    std::vector<TSinapse*> items_; // list order
};

} // namespace veltra
