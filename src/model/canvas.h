// What the model needs from a drawing surface. The model decides which figure a synapse
// gets and where its ends are; the pixel geometry (edge walk, arrowhead, paired shift,
// loop) belongs to the implementation of this interface.
#pragma once

#include "model/glyphs.h"
#include "model/point.h"

#include <string>

namespace veltra {

class TProtoNeuronio;

enum class TPenMode {
    Copy,  // plain drawing
    NotXor // inverting: drawing the same figure twice restores the pixels beneath
};

enum class TSynapseFigure {
    Straight, // line with an arrowhead, ends found on the glyph outlines
    Paired,   // the same, shifted sideways because the reverse synapse exists
    Loop      // self-synapse: small ellipse beside the source glyph
};

struct TSynapseShape {
    TSynapseFigure figure = TSynapseFigure::Straight;
    const TProtoNeuronio* source = nullptr;      // never null for a drawn synapse
    const TProtoNeuronio* destination = nullptr; // null while a rubber band ends nowhere
    TPoint start;                                // P0
    TPoint end;                                  // P1
    bool rubberBand = false; // dotted plain line (or loop), no edge walk, no arrowhead
    TPenMode pen = TPenMode::NotXor;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;
    // Mask then image of the glyph of that kind with its top-left corner at (x, y).
    virtual void DrawGlyph(TGlyphKind kind, int x, int y) = 0;
    virtual void DrawSynapse(const TSynapseShape& shape) = 0;
    // The main window's status line (the straight figure writes its edge points there).
    virtual void SetStatusText(const std::string& text) = 0;
    // Schedule a repaint of that window area (used when an element moves).
    virtual void Invalidate(const TRect& area) = 0;
};

// A canvas that draws nothing: for the command-line tool and for model operations
// that need a canvas when no window shows the net.
class TNullCanvas final : public TCanvas {
public:
    void DrawGlyph(TGlyphKind, int, int) override {}
    void DrawSynapse(const TSynapseShape&) override {}
    void SetStatusText(const std::string&) override {}
    void Invalidate(const TRect&) override {}
};

} // namespace veltra
