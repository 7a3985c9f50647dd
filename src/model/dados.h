// The document of one drawing window: the net, the glyph list (indices only; the pictures
// belong to the application) and the state of the mouse gesture in progress. Windows reach
// their net only through it.
#pragma once

#include "model/interaction.h"
#include "model/netnotifier.h"
#include "model/point.h"
#include "model/rede.h"
#include "model/sinapse.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace veltra {

class TInnerNetSwap;
class TModule;

enum class TDragState : unsigned char { None = 0, Moving = 1, Drawing = 2 };

inline constexpr const char* UnresolvedSynapseText = "FinishLoad - neuronio nao encontrado";

class TDados : private TNetObserver {
public:
    // `ui` answers the model's questions (message boxes, Select IO); null: a silent one.
    explicit TDados(TInteraction* ui = nullptr);
    TDados(const TDados&) = delete;
    TDados& operator=(const TDados&) = delete;
    ~TDados() override;

    TRede& Net() { return net_; }
    const TRede& Net() const { return net_; }
    TInteraction& Interaction() { return *ui_; }
    void SetInteraction(TInteraction* ui);

    // Glyph list: ten entries, image at a kind's index, its mask at index + 1.
    static constexpr int GlyphCount = 10;
    bool HasGlyph(int index) const { return index >= 0 && index < GlyphCount; }

    // --- forwarded to the net ---------------------------------------------------------
    void Step() { net_.Step(); }
    bool AllFinished() const { return net_.AllFinished(); }
    void ResetAll() { net_.ResetAll(); }
    void DrawAll(TCanvas& canvas) const { net_.DrawAll(canvas); }
    TProtoNeuronio* ElementAt(int x, int y) const { return net_.ElementAt(x, y); }
    TProtoNeuronio* AddElement(std::unique_ptr<TProtoNeuronio> e) {
        return net_.AddElement(std::move(e));
    }
    // Also forgets the element as the drag element.
    void Remove(TProtoNeuronio* element, TCanvas& canvas);
    // Ends a gesture on the element (it is leaving the net).
    void ForgetGesture(const TProtoNeuronio* element);
    void BringToFront(TProtoNeuronio* element) { net_.BringToFront(element); }
    TProtoLista& Elements() { return net_.Elements(); }
    void SetElements(std::shared_ptr<TProtoLista> list);
    // Whether some document (a drawing window's) shows this list as its net right now.
    static bool IsDocumentNet(const TProtoLista& list);

    // Renumbers every element and writes the net file. False when the stream failed.
    bool Save(std::ostream& out);
    // Every reading operation returns an error text, empty on success.
    //
    // Reads a net file into the (empty) net, then attaches glyphs and resolves synapses
    // over whatever was read. Returns the reader's text; for a file read whole whose
    // synapses name an element that is not there, UnresolvedSynapseText (each such synapse
    // has already said so through the interaction). A reader's failure also fills `failure`
    // (when given) with the line and its cause, for messages that can say more than the text.
    std::string Load(std::istream& in, TReadFailure* failure = nullptr);
    // Reads one element list block (after the file's first line) into a new inner net of
    // the module, then finishes it. With `swap`, the old inner net and the synapses across its
    // border are kept there (undo puts them back) instead of being released; it stays null
    // when the inner net was not replaced.
    // A reader's failure fills `failure` (when given) as Load's does.
    std::string LoadModuleFile(TModule& module, std::istream& in,
                               std::unique_ptr<TInnerNetSwap>* swap = nullptr,
                               TReadFailure* failure = nullptr);
    // The part of LoadModuleFile that runs when no file was chosen: attach glyphs and
    // resolve synapses of the module's present inner net.
    std::string FinishModule(TModule& module);

    // --- drawing a synapse (the model side of the gesture) -------------------------------
    // Press on `source`: drag state 2, a pending synapse from the point, shown as a band.
    void BeginSynapse(TProtoNeuronio* source, TPoint at, TCanvas& canvas);
    // Mouse moves: the band follows.
    void DragSynapse(TCanvas& canvas, int x, int y);
    // Release at (x, y): the band is erased; when the source may connect to the element
    // there, the synapse is attached (weight from the weight box, "0.0" when empty, 1 into
    // an output) and drawn. Returns the new synapse, or null when nothing was made.
    TSinapse* EndSynapse(TCanvas& canvas, int x, int y);

    // --- gesture state ----------------------------------------------------------------
    TDragState dragState = TDragState::None;
    TProtoNeuronio* dragElement = nullptr;
    TPoint dragStart;
    std::unique_ptr<TSinapse> pendingSynapse; // the rubber band while drawing a synapse

private:
    // Another window sharing this net's list may erase the element being dragged here.
    void ElementLeaving(const TProtoNeuronio& element, TLeaving how) override;

    TRede net_;
    TSilentInteraction silent_;
    TInteraction* ui_;
};

} // namespace veltra
