#include "model/listasinapses.h"

#include "model/interaction.h"
#include "model/protoneuronio.h"

#include <algorithm>
#include <iterator>

namespace veltra {

TSinapse* TListaSinapses::Append(std::unique_ptr<TSinapse> synapse) {
    TSinapse* raw = synapse.get();
    items_.push_back(raw);
    if (owning_) static_cast<void>(synapse.release()); // the list's own from now on
    return raw;
}

void TListaSinapses::Append(TSinapse* synapse) {
    items_.push_back(synapse);
}

bool TListaSinapses::Contains(const TSinapse* synapse) const {
    return std::find(items_.begin(), items_.end(), synapse) != items_.end();
}

// Searched from the back: a net is released last element first, so the synapse to drop
// is usually the last entry, and releasing a hub with many synapses stays linear.
void TListaSinapses::Remove(const TSinapse* synapse) {
    auto it = std::find(items_.rbegin(), items_.rend(), synapse);
    if (it == items_.rend()) return;
    TSinapse* removed = *it;
    items_.erase(std::next(it).base());
    if (owning_) std::unique_ptr<TSinapse>{removed}.reset();
}

int TListaSinapses::IndexOf(const TSinapse* synapse) const {
    auto it = std::find(items_.rbegin(), items_.rend(), synapse);
    return it == items_.rend() ? -1 : static_cast<int>(std::distance(it, items_.rend())) - 1;
}

std::unique_ptr<TSinapse> TListaSinapses::Take(const TSinapse* synapse) {
    auto it = std::find(items_.rbegin(), items_.rend(), synapse);
    if (it == items_.rend()) return nullptr;
    TSinapse* taken = *it;
    items_.erase(std::next(it).base());
    return owning_ ? std::unique_ptr<TSinapse>(taken) : nullptr;
}

void TListaSinapses::Insert(int index, TSinapse* synapse, std::unique_ptr<TSinapse> owned) {
    const auto at = static_cast<std::ptrdiff_t>(
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, items_.size()));
    if (owning_ && owned.get() != synapse) return; // an owning list holds only its own
    items_.insert(items_.begin() + at, synapse);
    if (owning_) static_cast<void>(owned.release());
}

void TListaSinapses::Clear() {
    std::vector<TSinapse*> items;
    items.swap(items_);
    if (owning_)
        for (TSinapse* s : items)
            std::unique_ptr<TSinapse>{s}.reset();
}

void TListaSinapses::FireAll() const {
    for (const TSinapse* s : items_)
        s->Fire();
}

void TListaSinapses::AddToTree(TInfoTree& tree, int parent) const {
    for (TSinapse* s : items_) {
        const bool fromModule = s->Source() && s->Source()->Kind() == TElementKind::Module;
        const bool toModule = s->Destination() && s->Destination()->Kind() == TElementKind::Module;
        if (fromModule || toModule) continue;
        const TInfoTree::Node node = tree.AddNode(parent, s->Name(), 4, nullptr, s);
        s->AddToTree(tree, node);
    }
}

} // namespace veltra
