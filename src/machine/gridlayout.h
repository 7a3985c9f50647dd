// Where the elements of a constructed net go on its drawing: in columns by their role and rows
// by what they belong to (a state, a transition), with room beside each glyph for the label
// and value the drawing shows there and, between two columns, for the weights of the synapses
// that cross between them. A construction puts its elements in cells as it makes them and,
// once they are wired, lays them out: a synapse's ends follow its elements.
#pragma once

#include "machine/wiring.h"

#include <string>
#include <vector>

namespace veltra {

class TProtoNeuronio;

class TGridLayout {
public:
    // Rows are this far apart, in pixels: room for a glyph with a label and a value beside it
    // and for the weights of lines running between two rows.
    static constexpr int RowPitch = 56;
    // The least room between a column's texts and the next column's glyphs.
    static constexpr int WeightRoom = 72;
    // The area one weight needs between two columns, in square pixels: a short weight's
    // box with room round it, so that weights of neighbouring lines stay apart.
    static constexpr int WeightArea = 2400;
    // What a character of a label or value takes on the drawing at its usual size, rounded up.
    static constexpr int CharWidth = 8;
    // Values longer than this are drawn shortened; a column keeps room for this many.
    static constexpr int ValueChars = 24;

    // The element's cell: column and row count from 0, left to right and top down. Rows are
    // evenly spaced; a column is as wide as what stands in it needs, one nobody uses takes no
    // room, and the room after it grows with the synapses that cross it.
    void Put(TProtoNeuronio& element, int column, int row);

    // Moves every element put here to its cell's place, the first column and row `margin`
    // pixels from the origin.
    void Apply(int margin = 40) const;

private:
    struct TCell {
        TProtoNeuronio* element;
        int column;
        int row;
    };
    std::vector<TCell> cells_;
};

// Adds a new element of type T with the label, as PlaceElement does, in the layout's cell.
template <class T>
T* PlaceInCell(TDados& document, TGridLayout& layout, int column, int row,
               const std::string& label) {
    T* element = PlaceElement<T>(document, 0, 0, label);
    layout.Put(*element, column, row);
    return element;
}

} // namespace veltra
