// A module embeds a whole net (its inner net) as one element. It has no value of its own:
// each step it runs both phases of its inner net at its place in the enclosing list.
// Values cross its border only over hidden synapses joining outside and inner elements.
#pragma once

#include "model/protoneuronio.h"
#include "numeric/contract.h"

#include <memory>
#include <vector>

namespace veltra {

class TProtoLista;

class TModule final : public TProtoNeuronio {
public:
    TModule();
    ~TModule() override;

    TElementKind Kind() const override { return TElementKind::Module; }

    void Propagate() override;
    TInfoTree::Node AddToTree(TInfoTree& tree, TInfoTree::Node parent) override;
    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    // Out of the module: destination a neuron or an output; the user picks an inner neuron
    // or input, which gets a hidden synapse to the destination.
    bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui) override;
    void Commit() override;
    void DiscardInput() noexcept override;
    void SumInputs() override;
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;
    void Renumber(std::int32_t& counter) override;
    bool FinishLoad(TProtoLista& search, TProtoLista* outer, TInteraction& ui) override;
    bool AttachGlyphs(TDados& document) override;
    void AdjustPopupMenu(TElementMenu& menu) const override;
    bool IsFinished() const override;
    void Reset() override;

    TProtoLista& InnerNet() { return *inner_; }
    const TProtoLista& InnerNet() const { return *inner_; }
    const std::shared_ptr<TProtoLista>& SharedInnerNet() const { return inner_; }
    // Shares `list` as the inner net (another window's list, or a freshly read one).
    // Refused, with a message through `ui`, when the module would then contain itself, or when
    // a net that holds it (ui.OpenNets()) would nest deeper than the reader accepts;
    // otherwise the hidden synapses into and out of the old inner net are released.
    bool SetInnerNet(std::shared_ptr<TProtoLista> list, TInteraction& ui);

    // The checks of SetInnerNet alone (with their messages): whether `list` may become the
    // inner net.
    bool MayTakeInnerNet(const std::shared_ptr<TProtoLista>& list, TInteraction& ui);
    // Puts `list` in as the inner net and returns the old one, touching no synapse: the
    // caller has taken the synapses across the border out first (undo keeps them).
    std::shared_ptr<TProtoLista> SwapInnerNet(std::shared_ptr<TProtoLista> list);
    // Every synapse joining an element inside this module (at any depth) to one outside it.
    std::vector<TSinapse*> BorderLinks() const;

    // Inner neurons (and inputs, unless neuronsOnly), in inner list order.
    std::vector<TProtoNeuronio*> ListInner(bool neuronsOnly) const;
    // Releases every synapse joining an element inside this module (at any depth) to one
    // outside it, at both ends.
    void DropBorderLinks();

private:
    // Makes `list` the inner net and this module its holder (the old one is nobody's now).
    void Hold(std::shared_ptr<TProtoLista> list);

    std::shared_ptr<TProtoLista> inner_;
};

// The module `element` is, or null for any other element (and for null). Not for an element
// being destroyed: its kind is no longer there to ask.
inline TModule* AsModule(TProtoNeuronio* element) {
    if (element == nullptr || element->Kind() != TElementKind::Module) return nullptr;
    VELTRA_EXPECTS(dynamic_cast<TModule*>(element) != nullptr);
    return static_cast<TModule*>(element);
}
inline const TModule* AsModule(const TProtoNeuronio* element) {
    return AsModule(const_cast<TProtoNeuronio*>(element));
}

// The text shown when a module would come to contain itself.
inline constexpr const char* ModuleCycleText = "Um modulo nao pode conter-se a si proprio";

// Deepest module nesting the reader and SetInnerNet accept, and the text of the refusal.
inline constexpr int MaxModuleDepth = 64;
std::string ModuleDepthText();
// How many modules deep the list nests (0: no module in it).
int NestingDepth(const TProtoLista& list);
// How many modules stand around `module` in the nets of `roots` (0: it stands in a top-level
// list; the most where it is met more than once; 0 also where it is not met at all).
int EnclosingDepth(const std::vector<const TProtoLista*>& roots, const TModule& module);
// How many modules stand around `module`: up through the lists holding it (ListDepth) and
// down from every net open in a window, the most.
int ModulesAround(const TModule& module, TInteraction& ui);
// How many modules stand around the list, counted from the top: 0 for a net no module holds;
// through every module that holds it (a window's net given to several), the most. A module
// an edit holds out of its net counts where it stood, since undo may put it back.
int ListDepth(const TProtoLista& list);
// Whether something nesting `nesting` modules deep (NestingDepth of a pasted net; one more for
// a module) may come into `list` without the whole net nesting deeper than the reader accepts.
bool FitsDepth(const TProtoLista& list, int nesting);
// How deep an element nests: one more than its inner net for a module, 0 for anything else.
int ElementNesting(const TProtoNeuronio& element);

} // namespace veltra
