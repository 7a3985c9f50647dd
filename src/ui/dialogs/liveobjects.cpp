#include "ui/dialogs/liveobjects.h"

#include "model/netwalk.h"

namespace veltra {

namespace {

// Every element of the nets at any depth but `skip` and what is inside it; a net shared by
// two owners is walked once.
void Walk(const TProtoLista& list, const TProtoNeuronio* skip, TNetsSeen& seen,
          std::unordered_set<const TProtoNeuronio*>& out) {
    VisitDeep(list, seen, [skip, &out](const TProtoNeuronio& e) {
        if (&e == skip) return TVisit::Skip;
        out.insert(&e);
        return TVisit::Enter;
    });
}

} // namespace

TLiveObjects CollectLive(const std::vector<const TProtoLista*>& roots,
                         const TProtoNeuronio* erased) {
    TLiveObjects live;
    TNetsSeen seen;
    for (const TProtoLista* root : roots)
        if (root != nullptr) Walk(*root, erased, seen, live.elements);

    // Inside the erased module: its destructor cuts every synapse crossing its border.
    std::unordered_set<const TProtoNeuronio*> inside;
    if (const TModule* module = AsModule(erased)) {
        TNetsSeen innerSeen;
        Walk(module->InnerNet(), erased, innerSeen, inside);
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
