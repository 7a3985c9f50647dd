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
    if (idIndex_) {
        auto it = idIndex_->find(id);
        return it == idIndex_->end() ? nullptr : it->second;
    }
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
    idIndex_ = std::make_unique<std::unordered_map<std::int32_t, TProtoNeuronio*>>();
    VisitDeep(*this, [this](TProtoNeuronio& e) { idIndex_->emplace(e.Id(), &e); });
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

bool TProtoLista::FinishLoadAll(TProtoLista& search, TProtoLista* outer, TInteraction& ui) {
    bool all = true;
    for (const auto& e : items_)
        all = e->FinishLoad(search, outer, ui) && all;
    return all;
}

} // namespace veltra
