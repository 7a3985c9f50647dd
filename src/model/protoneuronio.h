// The abstract base of every element of a net: what all elements share (position, glyphs,
// label, id, synapse lists, hint, watch flag) and the fixed table of 21 virtual operations
// through which the net, the file reader and writer, run control, the drawing window and
// the Info dialog treat all element types alike.
#pragma once

#include "model/glyphs.h"
#include "model/interaction.h"
#include "model/listasinapses.h"
#include "model/netnotifier.h"
#include "model/point.h"
#include "numeric/infinito.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace veltra {

class TCanvas;
class TDados;
class TNetReader;
class TNetWriter;
class TProtoLista;
class TStepPlan;

// A label is the rest of one line of the net file, so a line feed in it would end that line
// early and the file would never read back; every other byte is kept as it is.
inline constexpr const char* InvalidLabelText =
    "A label cannot hold a line feed (a net file keeps each label on one line)";
bool IsValidLabel(std::string_view label);
// Raised by SetLabel for a label the net file cannot carry; what() is InvalidLabelText.
class EInvalidLabel : public std::invalid_argument {
public:
    EInvalidLabel() : std::invalid_argument(InvalidLabelText) {}
};

// The kind's name in lower case, as rows of values print it ("neuron", "bias", ...).
constexpr const char* KindName(TElementKind kind) {
    return KindInfo(kind).name;
}

class TProtoNeuronio {
public:
    TProtoNeuronio();
    TProtoNeuronio(const TProtoNeuronio&) = delete;
    TProtoNeuronio& operator=(const TProtoNeuronio&) = delete;
    // Unlinks every synapse still joining this element to another one (and releases the
    // ones it owns), so no live element ever refers to a dead one.
    virtual ~TProtoNeuronio();

    virtual TElementKind Kind() const = 0;

    // --- the 21 slots, in table order -------------------------------------------------
    virtual void Setup(int x, int y, int imageGlyph, int maskGlyph, std::int32_t labelNumber);
    virtual void Draw(TCanvas& canvas) const;
    virtual void DrawInRect(const TRect& rect, TCanvas& canvas) const;
    virtual void Propagate();
    virtual TInfoTree::Node AddToTree(TInfoTree& tree, TInfoTree::Node parent);
    // Takes the edited properties from the Info dialog's fields; `canvas` is the active
    // drawing window's, used when the position changes.
    virtual void ApplyInfo(const TInfoFields& fields, TCanvas& canvas);
    virtual void DropLinksTo(TProtoNeuronio* erased, TCanvas& canvas);
    // Whether a synapse may be drawn from here to `destination` (null: an empty spot).
    // Module variants ask `ui` for an inner element and add a hidden synapse.
    virtual bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui);
    virtual void AddInput(const TInfinito& contribution);
    // The element's own value (not a copy); a plain zero by default.
    virtual const TInfinito& GetValue() const;
    virtual void SetValue(TInfinito value);
    virtual std::string ValueText() const;
    // ValueText's first `head` and last `tail` characters and how long it is, without making
    // the whole text: what lists show of a value or sequence of millions of characters.
    virtual TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const;
    virtual void Commit();
    virtual bool SaveBody(TNetWriter& out) const = 0;
    // Reads the common lines of an element section (id, label, position, watch flag,
    // outgoing synapses). Returns the first failed check's text, empty when all hold.
    virtual std::string LoadHeader(TNetReader& in);
    virtual void Renumber(std::int32_t& counter);
    // Resolves the destination ids of the synapses read from a file: in `search`, then in
    // `outer`. Synapses that already have a destination are left alone.
    virtual bool FinishLoad(TProtoLista& search, TProtoLista* outer, TInteraction& ui);
    virtual bool AttachGlyphs(TDados& document);
    virtual void AdjustPopupMenu(TElementMenu& menu) const;
    virtual bool IsFinished() const;
    virtual void Reset();

    // --- further per-type operations ---------------------------------------------------
    // Reads the type lines after the common ones (neuron values, sequences, inner net).
    virtual std::string LoadBody(TNetReader& in, int depth) = 0;
    // AddInput(weight x value) without a temporary where the type can (a neuron sums in place).
    virtual void AddWeighted(const TInfinito& weight, const TInfinito& value);
    // Forgets what phase 1 of a step has added so far (a step that fails or is cancelled
    // halfway must change nothing): accumulators return to the zero they hold between steps.
    virtual void DiscardInput() noexcept {}
    // The second half of phase 1: turns what AddWeighted recorded into the input sum. Runs on
    // every element after every element has sent, and before any commits, so each sum reads the
    // values of the previous step (a neuron records where its products are, not their digits).
    // A net's step skips the pass when no neuron recorded anything (TNeuronio::TakeRecorded):
    // a type that sums something of its own here must be counted there too.
    virtual void SumInputs() {}
    // Value groups times synapses of the elements that sent on this thread since the last call
    // (which resets the count): about the group products of a step, known without visiting
    // every neuron, for deciding whether the next step shares its sums among threads.
    static std::size_t TakeSentWork() noexcept;

    // --- plain operations --------------------------------------------------------------
    TPoint GetPosition() const { return {x_, y_}; }
    void SetPosition(int x, int y) {
        x_ = x;
        y_ = y;
    }
    int Width() const { return GlyphWidth(Kind()); }
    int Height() const { return GlyphHeight(Kind()); }
    TRect GlyphBox() const {
        return {x_, y_, ShiftCoordinate(x_, Width()), ShiftCoordinate(y_, Height())};
    }
    TPoint Centre() const {
        return {ShiftCoordinate(x_, Width() / 2), ShiftCoordinate(y_, Height() / 2)};
    }
    bool Contains(int px, int py) const; // strictly inside the glyph box

    const std::string& Label() const { return label_; }
    // Throws EInvalidLabel (changing nothing) for a label the net file cannot carry, so that
    // every net the model holds saves to a file that reads back to the same net.
    void SetLabel(std::string label);
    std::int32_t Id() const { return id_; }
    void SetId(std::int32_t id) { id_ = id; }
    bool Watched() const { return watched_; }
    // Tells the nets around the element when the mark changes.
    void SetWatched(bool watched);
    int ImageGlyph() const { return imageGlyph_; }
    int MaskGlyph() const { return maskGlyph_; }
    bool HintShown() const { return hintShown_; }
    void SetHintShown(bool shown) { hintShown_ = shown; }

    // The list the element stands in (null while it is out of every list).
    TProtoLista* Owner() const { return owner_; }
    // The list to tell about the element: the one it stands in or, while an edit holds it
    // out, the one it was taken from as long as that lives (`keep` holds it meanwhile).
    TProtoLista* NoticeList(std::shared_ptr<TProtoLista>& keep) const;
    // Tells the nets around the element that something of it changed.
    void TellChanged(TChange what);
    // Tells the step plan holding the element, if any, that what it copied of the element (its
    // synapses, weights, function) changed, so that it is made again before the next step.
    // Changes the list notifier tells need not call it.
    void InvalidatePlan() const;
    // The step plan that holds the element's values now (null: the element holds them).
    const TStepPlan* Plan() const { return plan_; }

    const TListaSinapses& OutgoingSynapses() const { return outgoing_; }
    const TListaSinapses& IncomingSynapses() const { return incoming_; }
    // Start point := centre unless a self-loop; appended to the outgoing list, which owns it.
    TSinapse* AddOutgoing(std::unique_ptr<TSinapse> synapse);
    // End point := centre unless a self-loop; pair flag when the reverse synapse exists.
    void AddIncoming(TSinapse* synapse);
    bool HasOutgoingTo(const TProtoNeuronio* element) const;
    // Room for `more` outgoing synapses, allocated at once (the file's reader knows how many).
    void ReserveOutgoing(std::size_t more) { outgoing_.Reserve(more); }
    // Releases one synapse of this element's outgoing list and takes it out of its
    // destination's incoming list (no drawing).
    void ReleaseOutgoing(TSinapse* synapse);
    // Takes one synapse of the outgoing list out of it and out of its destination's incoming
    // list without releasing it, telling where it stood in each (-1: not there).
    std::unique_ptr<TSinapse> TakeOutgoing(const TSinapse* synapse, int& outIndex, int& inIndex);
    // The inverse of TakeOutgoing: the synapse goes back to the places it held.
    TSinapse* PutBackOutgoing(std::unique_ptr<TSinapse> synapse, int outIndex, int inIndex);

    // Follows a drag or an Info dialog position: glyph centred on (px, py), synapse ends
    // moved, old and new glyph areas invalidated, synapses erased and drawn again.
    void MoveTo(TCanvas& canvas, int px, int py);
    // Moves so that the glyph's top-left corner is at (x, y) (Info dialog coordinates).
    void MoveTopLeftTo(TCanvas& canvas, int x, int y);

    // "Label:" + label, then "  Value=" + ValueText for every element but a module.
    std::string HintText() const;
    void DrawGlyph(TCanvas& canvas) const;
    void DrawOutgoing(TCanvas& canvas) const;

protected:
    // Phase 1 for a sender whose value is not zero: weight times value to every synapse's
    // destination, in list order.
    void Send(const TInfinito& value);
    // The name, value-less parts of ApplyInfo shared by every kind: a non-blank name
    // becomes the label; two integer coordinates move the glyph's top-left corner there.
    void ApplyName(const TInfoFields& fields);
    void ApplyPosition(const TInfoFields& fields, TCanvas& canvas);
    // Into a module: the user picks one of its inner neurons ("Input escolhido:"), which
    // gets a hidden synapse from this element. False when the pick is cancelled.
    bool ConnectIntoModule(TProtoNeuronio* destination, TInteraction& ui);
    // The "coordinates" branch of the Info dialog tree.
    void AddCoordinatesToTree(TInfoTree& tree, TInfoTree::Node parent) const;

    TListaSinapses& Outgoing() { return outgoing_; }
    TListaSinapses& Incoming() { return incoming_; }

private:
    friend class TProtoLista; // keeps owner_ and home_
    friend class TStepPlan;   // keeps plan_ and planIndex_

    // The common part of MoveTo and MoveTopLeftTo: glyph box at (x, y), synapse ends at centre.
    void MoveBoxTo(TCanvas& canvas, int x, int y, TPoint centre);

    std::weak_ptr<TProtoLista> home_; // the list an edit took it out of
    TProtoLista* owner_ = nullptr;
    TStepPlan* plan_ = nullptr;   // the plan holding the element's values, if any
    std::uint32_t planIndex_ = 0; // the element's place in that plan
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    int imageGlyph_ = -1;
    int maskGlyph_ = -1;
    TListaSinapses outgoing_{true};
    TListaSinapses incoming_{false};
    bool hintShown_ = false;
    std::string label_;
    std::int32_t id_ = 0;
    bool watched_ = true;
};

// A zero nobody owns, the value of elements that have none.
const TInfinito& ZeroValue();
const TInfinito& OneValue();

// True when text (after trimming blanks) is not empty.
bool IsBlank(const std::string& text);
// Reads the value of an "Actividade:" or "Teta:" line: a number as a whole (the rule of a
// typed number; an empty value is 0). Anything else (a stray letter, an exponent, a sign
// other than "-", a second point, a number too long for its positions) is refused with its
// cause told to the reader, the number unchanged: read as 0, it would be saved as 0.
[[nodiscard]] bool ReadFileNumber(TNetReader& in, TInfinito& number, const std::string& text);
// Reads a whole text as a 32-bit integer (blanks around allowed); false when it is not one.
bool ReadInteger(const std::string& text, std::int32_t& value);

} // namespace veltra
