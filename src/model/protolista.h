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
    // The module whose inner net this list is, if any: notices go on out through its net.
    TProtoNeuronio* Holder() const { return holder_; }
    void SetHolder(TProtoNeuronio* module) { holder_ = module; }
    // Tells this list's subscribers, then those of the nets around it, outwards.
    template <class F> void TellOutwards(F&& notice);

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

private:
    mutable TNetNotifier notifier_; // first in, last out: the elements going tell it
    TProtoNeuronio* holder_ = nullptr;
    std::vector<std::unique_ptr<TProtoNeuronio>> items_;
    std::unique_ptr<std::unordered_map<std::int32_t, TProtoNeuronio*>> idIndex_;
};

template <class F> void TProtoLista::TellOutwards(F&& notice) {
    std::shared_ptr<TProtoLista> keep; // a net around a module held out by an edit
    for (TProtoLista* list = this; list != nullptr;) {
        list->notifier_.Tell(notice);
        const TProtoNeuronio* holder = list->holder_;
        if (holder == nullptr) break;
        list = holder->NoticeList(keep);
    }
}

// Tells the nets of the synapse's two ends, each net once.
template <class F> void TellAboutSynapse(const TSinapse& synapse, F&& notice) {
    std::shared_ptr<TProtoLista> keepIn, keepOut, keepHolder;
    TProtoLista* in =
        synapse.Destination() != nullptr ? synapse.Destination()->NoticeList(keepIn) : nullptr;
    TProtoLista* out = synapse.Source() != nullptr ? synapse.Source()->NoticeList(keepOut) : nullptr;
    if (in != nullptr) in->TellOutwards(notice);
    if (out == nullptr || out == in) return;
    // Across a module border: the source's nets up to the first one already told.
    std::vector<const TProtoLista*> told;
    for (TProtoLista* list = in; list != nullptr;) {
        told.push_back(list);
        const TProtoNeuronio* holder = list->Holder();
        list = holder != nullptr ? holder->NoticeList(keepHolder) : nullptr;
    }
    std::shared_ptr<TProtoLista> keep;
    for (TProtoLista* list = out; list != nullptr;) {
        if (std::find(told.begin(), told.end(), list) != told.end()) break;
        list->Notifier().Tell(notice);
        const TProtoNeuronio* holder = list->Holder();
        list = holder != nullptr ? holder->NoticeList(keep) : nullptr;
    }
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
