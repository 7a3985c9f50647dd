// The ordered element list of one net (a window's net or a module's inner net). The list
// owns its elements; outputs always stand after all other elements, so the list order is
// the step order, the drawing order and the file order at once.
#pragma once

#include "model/netnotifier.h"
#include "model/protoneuronio.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace veltra {

class TDados;
class TInteraction;

class TProtoLista : public std::enable_shared_from_this<TProtoLista> {
public:
    TProtoLista() = default;
    TProtoLista(const TProtoLista&) = delete;
    TProtoLista& operator=(const TProtoLista&) = delete;
    ~TProtoLista();

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TProtoNeuronio* Item(int index) const { return items_[static_cast<std::size_t>(index)].get(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // Outputs are appended; anything else goes before the trailing run of outputs.
    int AddElement(std::unique_ptr<TProtoNeuronio> element);
    // Puts an element of the list at `index` (clamped), or where AddElement would put it
    // (index -1): the element stays in the net, so this is a change, not a leaving.
    void Move(const TProtoNeuronio* element, int index);
    int IndexOf(const TProtoNeuronio* element) const;
    // First element with that id, searching module inner nets depth first.
    TProtoNeuronio* ElementById(std::int32_t id) const;
    // Takes the element out of the list without releasing it; `index` (if given) is where it
    // stood. Subscribers are told first, and may move elements meanwhile.
    std::unique_ptr<TProtoNeuronio> Take(const TProtoNeuronio* element, int* index = nullptr);
    // Puts an element back at `index` (clamped to the list), where undo found it.
    void Insert(int index, std::unique_ptr<TProtoNeuronio> element);
    // Subscribers hear about this list and every inner net within it (see netnotifier.h).
    // Subscribing changes nothing in the net, so a const list takes subscribers too.
    TNetNotifier& Notifier() const { return notifier_; }
    // The modules whose inner net this list is (one, unless a window's net was given to
    // several): notices go on out through their nets.
    const std::vector<TProtoNeuronio*>& Holders() const { return holders_; }
    void AddHolder(TProtoNeuronio* module);
    void RemoveHolder(const TProtoNeuronio* module);
    // Tells this list's subscribers, then those of the nets around it, outwards, each net
    // once; `told` (if given) collects the nets told and holds those not to tell.
    template <class F>
    void TellOutwards(F&& notice, std::vector<const TProtoLista*>* told = nullptr);

    // True when the element stands in this list or in a module's inner net within it.
    bool ContainsDeep(const TProtoNeuronio* element) const;

    void PropagateAll();
    void CommitAll();
    void DiscardInputAll() noexcept;
    void SumInputsAll();      // after PropagateAll, before CommitAll
    bool AllFinished() const; // stops at the first unfinished element
    void ResetAll();
    void RenumberAll(std::int32_t& counter);
    bool AttachGlyphsAll(TDados& document);
    bool FinishLoadAll(TProtoLista& search, TProtoLista* outer, TInteraction& ui);

    // While a loaded net is finished, ElementById answers from a table built once for this
    // list and every inner list instead of scanning (ids do not change meanwhile).
    void BuildIdIndex();
    void DropIdIndex();
    // ElementById while the table is there; null without it.
    TProtoNeuronio* IndexedElement(std::int32_t id) const;

private:
    // Builds this list's table alone (BuildIdIndex builds the inner lists' too).
    void IndexOwnIds();
    // Before a loaded list's synapses are resolved with `search`'s id table: room in every
    // destination's incoming list for the synapses coming to it.
    void ReserveIncoming(const TProtoLista& search);

    // The first element with each id. A saved net numbers its elements from 0 up, so ids are
    // mostly a dense run: then a plain array indexed by id answers (a big net's synapses look up
    // millions of ids, and a hashed table costs a node each and two cache misses a lookup);
    // other ids go to the hashed table.
    struct TIdIndex {
        std::vector<TProtoNeuronio*> dense; // dense[id] for 0 <= id < dense.size()
        std::unordered_map<std::int32_t, TProtoNeuronio*> sparse;
        TProtoNeuronio* Find(std::int32_t id) const {
            if (id >= 0 && static_cast<std::size_t>(id) < dense.size())
                return dense[static_cast<std::size_t>(id)];
            auto it = sparse.find(id);
            return it == sparse.end() ? nullptr : it->second;
        }
    };

    mutable TNetNotifier notifier_; // first in, last out: the elements going tell it
    std::vector<TProtoNeuronio*> holders_;
    std::vector<std::unique_ptr<TProtoNeuronio>> items_;
    std::unique_ptr<TIdIndex> idIndex_;
};

template <class F>
void TProtoLista::TellOutwards(F&& notice, std::vector<const TProtoLista*>* told) {
    if (holders_.empty() && told == nullptr) { // a window's net: nothing around it
        notifier_.Tell(notice);
        return;
    }
    std::vector<const TProtoLista*> own;
    std::vector<const TProtoLista*>& seen = told != nullptr ? *told : own;
    std::vector<std::shared_ptr<TProtoLista>> keep; // nets around modules held out by edits
    std::vector<TProtoLista*> todo{this};
    while (!todo.empty()) {
        TProtoLista* list = todo.back();
        todo.pop_back();
        if (std::find(seen.begin(), seen.end(), list) != seen.end()) continue;
        seen.push_back(list);
        list->notifier_.Tell(notice);
        for (const TProtoNeuronio* holder : list->holders_) {
            std::shared_ptr<TProtoLista> k;
            if (TProtoLista* around = holder->NoticeList(k)) {
                if (k) keep.push_back(std::move(k));
                todo.push_back(around);
            }
        }
    }
}

// Tells the nets of the synapse's two ends, each net once.
template <class F> void TellAboutSynapse(const TSinapse& synapse, F&& notice) {
    std::shared_ptr<TProtoLista> keepIn, keepOut;
    TProtoLista* in =
        synapse.Destination() != nullptr ? synapse.Destination()->NoticeList(keepIn) : nullptr;
    TProtoLista* out =
        synapse.Source() != nullptr ? synapse.Source()->NoticeList(keepOut) : nullptr;
    if (out == nullptr || out == in) {
        if (in != nullptr) in->TellOutwards(notice);
        return;
    }
    // Across a module border: then the source's nets not told yet.
    std::vector<const TProtoLista*> told;
    if (in != nullptr) in->TellOutwards(notice, &told);
    out->TellOutwards(notice, &told);
}

// Keeps the id tables of a list tree for the lifetime of the scope.
class TIdIndexScope {
public:
    explicit TIdIndexScope(TProtoLista& list) : list_(list) { list_.BuildIdIndex(); }
    ~TIdIndexScope() { list_.DropIdIndex(); }
    TIdIndexScope(const TIdIndexScope&) = delete;
    TIdIndexScope& operator=(const TIdIndexScope&) = delete;

private:
    TProtoLista& list_;
};

} // namespace veltra
