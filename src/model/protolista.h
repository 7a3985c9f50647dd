// The ordered element list of one net (a window's net or a module's inner net). The list
// owns its elements; outputs always stand after all other elements, so the list order is
// the step order, the drawing order and the file order at once.
#pragma once

#include "model/protoneuronio.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace veltra {

class TDados;
class TInteraction;

class TProtoLista {
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
    int IndexOf(const TProtoNeuronio* element) const;
    // First element with that id, searching module inner nets depth first.
    TProtoNeuronio* ElementById(std::int32_t id) const;
    // Takes the element out of the list without releasing it.
    std::unique_ptr<TProtoNeuronio> Take(const TProtoNeuronio* element);
    // Puts an element back at `index` (clamped to the list), where undo found it.
    void Insert(int index, std::unique_ptr<TProtoNeuronio> element);
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
    std::vector<std::unique_ptr<TProtoNeuronio>> items_;
    std::unique_ptr<std::unordered_map<std::int32_t, TProtoNeuronio*>> idIndex_;
};

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
