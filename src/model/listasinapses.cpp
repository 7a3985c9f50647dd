#include "model/listasinapses.h"

#include "model/interaction.h"
#include "model/protoneuronio.h"

#include <algorithm>

namespace veltra {

TSinapse* TListaSinapses::Append(std::unique_ptr<TSinapse> synapse) {
    TSinapse* raw = synapse.get();
    items_.push_back(raw);
    if (owning_) owned_.push_back(std::move(synapse));
    return raw;
}

void TListaSinapses::Append(TSinapse* synapse) {
    items_.push_back(synapse);
}

bool TListaSinapses::Contains(const TSinapse* synapse) const {
    return std::find(items_.begin(), items_.end(), synapse) != items_.end();
}

void TListaSinapses::Remove(const TSinapse* synapse) {
    auto it = std::find(items_.begin(), items_.end(), synapse);
    if (it == items_.end()) return;
    items_.erase(it);
    if (owning_) {
        auto own = std::find_if(owned_.begin(), owned_.end(),
                                [synapse](const auto& p) { return p.get() == synapse; });
        if (own != owned_.end()) owned_.erase(own);
    }
}

void TListaSinapses::Clear() {
    items_.clear();
    owned_.clear();
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
