#include "ui/dialogs/liveobjects.h"

#include "model/module.h"
#include "model/protolista.h"

namespace veltra {

namespace {

void Walk(const TProtoLista& list, const TProtoNeuronio* skip,
          std::unordered_set<const TProtoLista*>& seen,
          std::unordered_set<const TProtoNeuronio*>& out) {
    if (!seen.insert(&list).second) return; // a list shared by two owners is walked once
    for (const auto& e : list) {
        if (e.get() == skip) continue;
        out.insert(e.get());
        if (e->Kind() == TElementKind::Module)
            Walk(static_cast<const TModule&>(*e).InnerNet(), skip, seen, out);
    }
}

} // namespace

TLiveObjects CollectLive(const std::vector<const TProtoLista*>& roots,
                         const TProtoNeuronio* erased) {
    TLiveObjects live;
    std::unordered_set<const TProtoLista*> seen;
    for (const TProtoLista* root : roots)
        if (root != nullptr) Walk(*root, erased, seen, live.elements);

    // Inside the erased module: its destructor cuts every synapse crossing its border.
    std::unordered_set<const TProtoNeuronio*> inside;
    if (erased != nullptr && erased->Kind() == TElementKind::Module) {
        std::unordered_set<const TProtoLista*> innerSeen;
        Walk(static_cast<const TModule&>(*erased).InnerNet(), erased, innerSeen, inside);
    }
    for (const TProtoNeuronio* e : live.elements)
        for (const TSinapse* s : e->OutgoingSynapses()) {
            const TProtoNeuronio* to = s->Destination();
            if (to == nullptr || !live.Has(to)) continue;
            if (inside.count(e) != inside.count(to)) continue;
            live.synapses.insert(s);
        }
    return live;
}

} // namespace veltra
