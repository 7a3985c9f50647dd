#include "model/protolista.h"

#include "model/module.h"
#include "model/netwalk.h"

#include <algorithm>

namespace veltra {

TProtoLista::~TProtoLista() {
    // Last first, one at a time: each element unlinks itself from the ones still alive (and
    // tells this list's subscribers, and the nets around it while it is a module's, first).
    while (!items_.empty()) {
        std::unique_ptr<TProtoNeuronio> last = std::move(items_.back());
        items_.pop_back();
    }
    notifier_.Tell([this](TNetObserver& o) { o.NetReleased(*this); });
}

namespace {
// Where AddElement puts an element of that kind among `items` (outputs last).
std::size_t AddPlace(const std::vector<std::unique_ptr<TProtoNeuronio>>& items,
                     const TProtoNeuronio& element) {
    std::size_t at = items.size();
    if (element.Kind() != TElementKind::Output) {
        while (at > 0 && items[at - 1]->Kind() == TElementKind::Output)
            --at;
    }
    return at;
}
} // namespace

int TProtoLista::AddElement(std::unique_ptr<TProtoNeuronio> element) {
    const std::size_t at = AddPlace(items_, *element);
    Insert(static_cast<int>(at), std::move(element));
    return static_cast<int>(at);
}

void TProtoLista::AddHolder(TProtoNeuronio* module) {
    if (std::find(holders_.begin(), holders_.end(), module) == holders_.end())
        holders_.push_back(module);
}

void TProtoLista::RemoveHolder(const TProtoNeuronio* module) {
    std::erase(holders_, module);
}

void TProtoLista::Move(const TProtoNeuronio* element, int index) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [element](const auto& p) { return p.get() == element; });
    if (it == items_.end()) return;
    const std::size_t from = static_cast<std::size_t>(it - items_.begin());
    std::unique_ptr<TProtoNeuronio> moved = std::move(*it);
    items_.erase(it);
    const std::size_t at = index < 0 ? AddPlace(items_, *moved)
                                     : std::min(static_cast<std::size_t>(index), items_.size());
    TProtoNeuronio& raw = *moved;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(moved));
    if (at != from) raw.TellChanged(TChange::Look);
}

int TProtoLista::IndexOf(const TProtoNeuronio* element) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == element) return static_cast<int>(i);
    return -1;
}

TProtoNeuronio* TProtoLista::ElementById(std::int32_t id) const {
    if (idIndex_) return idIndex_->Find(id);
    // The list hands out its elements as Item() does.
    TProtoNeuronio* found = nullptr;
    VisitDeep(const_cast<TProtoLista&>(*this), [id, &found](TProtoNeuronio& e) {
        if (e.Id() != id) return TVisit::Enter;
        found = &e;
        return TVisit::Stop;
    });
    return found;
}

void TProtoLista::IndexOwnIds() {
    // The first element with each id, in the order ElementById searches.
    auto index = std::make_unique<TIdIndex>();
    // The array covers ids from 0 up to a bound a few times the number of elements, so that a
    // stray huge id never makes it big; the ids above go to the hashed table.
    std::size_t elements = 0;
    std::int32_t highest = -1;
    VisitDeep(*this, [&](const TProtoNeuronio& e) {
        ++elements;
        highest = std::max(highest, e.Id());
    });
    const std::size_t bound = 4 * elements + 64;
    index->dense.assign(std::min(static_cast<std::size_t>(highest) + 1, bound), nullptr);
    VisitDeep(*this, [&index](TProtoNeuronio& e) {
        const std::int32_t id = e.Id();
        if (id >= 0 && static_cast<std::size_t>(id) < index->dense.size()) {
            TProtoNeuronio*& slot = index->dense[static_cast<std::size_t>(id)];
            if (slot == nullptr) slot = &e;
        } else {
            index->sparse.emplace(id, &e);
        }
    });
    idIndex_ = std::move(index);
}

void TProtoLista::BuildIdIndex() {
    IndexOwnIds();
    VisitDeep(*this, [](TProtoNeuronio& e) {
        if (TModule* module = AsModule(&e)) module->InnerNet().IndexOwnIds();
    });
}

void TProtoLista::DropIdIndex() {
    idIndex_.reset();
    VisitDeep(*this, [](TProtoNeuronio& e) {
        if (TModule* module = AsModule(&e)) module->InnerNet().idIndex_.reset();
    });
}

std::unique_ptr<TProtoNeuronio> TProtoLista::Take(const TProtoNeuronio* element, int* index) {
    const auto find = [this, element] {
        return std::find_if(items_.begin(), items_.end(),
                            [element](const auto& p) { return p.get() == element; });
    };
    if (find() == items_.end()) return nullptr;
    TellOutwards([element](TNetObserver& o) { o.ElementLeaving(*element, TLeaving::TakenOut); });
    const auto it = find(); // a subscriber may have moved it (a gesture put back)
    if (it == items_.end()) return nullptr;
    if (index != nullptr) *index = static_cast<int>(it - items_.begin());
    std::unique_ptr<TProtoNeuronio> taken = std::move(*it);
    items_.erase(it);
    taken->owner_ = nullptr;
    taken->home_ = weak_from_this();
    return taken;
}

void TProtoLista::Insert(int index, std::unique_ptr<TProtoNeuronio> element) {
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(index, 0)), items_.size());
    TProtoNeuronio& added = *element;
    added.owner_ = this;
    added.home_.reset();
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(element));
    TellOutwards([&added](TNetObserver& o) { o.ElementAdded(added); });
}

bool TProtoLista::ContainsDeep(const TProtoNeuronio* element) const {
    return !VisitDeep(*this, [element](const TProtoNeuronio& e) {
        return &e == element ? TVisit::Stop : TVisit::Enter;
    });
}

void TProtoLista::PropagateAll() {
    for (const auto& e : items_)
        e->Propagate();
}

void TProtoLista::CommitAll() {
    for (const auto& e : items_)
        e->Commit();
}

void TProtoLista::SumInputsAll() {
    for (const auto& e : items_)
        e->SumInputs();
}

void TProtoLista::DiscardInputAll() noexcept {
    for (const auto& e : items_)
        e->DiscardInput();
}

bool TProtoLista::AllFinished() const {
    for (const auto& e : items_)
        if (!e->IsFinished()) return false;
    return true;
}

void TProtoLista::ResetAll() {
    for (const auto& e : items_)
        e->Reset();
}

void TProtoLista::RenumberAll(std::int32_t& counter) {
    for (const auto& e : items_)
        e->Renumber(counter);
}

bool TProtoLista::AttachGlyphsAll(TDados& document) {
    bool all = true;
    for (const auto& e : items_)
        all = e->AttachGlyphs(document) && all;
    return all;
}

namespace {

// A big net's synapses lead anywhere in memory: resolving one reads its destination, the
// destination's synapse lists and the synapses in them, each most likely a cache miss. Fetched
// a few elements ahead, in three stages each of which reads only what an earlier one fetched,
// the misses overlap. Only the caches see any of this.
enum class TFetch { Destination, Lists, Synapses };

void FetchAhead(const TProtoNeuronio& element, const TProtoLista& search, TFetch stage) {
    for (const TSinapse* s : element.OutgoingSynapses()) {
        if (s->Destination() != nullptr) continue;
        const TProtoNeuronio* d = search.IndexedElement(s->DestinationId());
        if (d == nullptr) continue;
        switch (stage) {
        case TFetch::Destination: {
            const char* bytes = reinterpret_cast<const char*>(d);
            for (std::size_t at = 0; at < sizeof(TProtoNeuronio); at += 64)
                __builtin_prefetch(bytes + at);
            __builtin_prefetch(bytes + sizeof(TProtoNeuronio) - 1);
            break;
        }
        case TFetch::Lists:
            if (!d->OutgoingSynapses().Empty()) __builtin_prefetch(&*d->OutgoingSynapses().begin());
            if (!d->IncomingSynapses().Empty()) __builtin_prefetch(&*d->IncomingSynapses().begin());
            break;
        case TFetch::Synapses:
            for (const TSinapse* t : d->OutgoingSynapses())
                __builtin_prefetch(t);
            break;
        }
    }
}

} // namespace

TProtoNeuronio* TProtoLista::IndexedElement(std::int32_t id) const {
    return idIndex_ ? idIndex_->Find(id) : nullptr;
}

bool TProtoLista::FinishLoadAll(TProtoLista& search, TProtoLista* outer, TInteraction& ui) {
    const bool ahead = search.idIndex_ != nullptr;
    if (ahead) ReserveIncoming(search);
    constexpr std::size_t Far = 6, Mid = 4, Near = 2; // elements ahead of the one resolved
    bool all = true;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (ahead) {
            if (i + Far < items_.size()) FetchAhead(*items_[i + Far], search, TFetch::Destination);
            if (i + Mid < items_.size()) FetchAhead(*items_[i + Mid], search, TFetch::Lists);
            if (i + Near < items_.size()) FetchAhead(*items_[i + Near], search, TFetch::Synapses);
        }
        all = items_[i]->FinishLoad(search, outer, ui) && all;
    }
    return all;
}

void TProtoLista::ReserveIncoming(const TProtoLista& search) {
    // How many of the synapses about to be resolved go to each element of the id table's array,
    // so that each incoming list is allocated once, at its size, rather than grown step by step.
    const std::vector<TProtoNeuronio*>& dense = search.idIndex_->dense;
    std::vector<std::uint32_t> counts(dense.size(), 0);
    bool any = false;
    for (const auto& e : items_)
        for (const TSinapse* s : e->OutgoingSynapses()) {
            const std::int32_t id = s->DestinationId();
            if (s->Destination() == nullptr && id >= 0 &&
                static_cast<std::size_t>(id) < counts.size()) {
                ++counts[static_cast<std::size_t>(id)];
                any = true;
            }
        }
    if (!any) return;
    for (std::size_t id = 0; id < counts.size(); ++id)
        if (counts[id] != 0 && dense[id] != nullptr) dense[id]->incoming_.Reserve(counts[id]);
}

} // namespace veltra
