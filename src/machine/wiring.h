// What every construction of a net from a machine needs: placing a labelled element and
// collecting weights so that the net has one synapse per pair of elements.
#pragma once

#include "model/dados.h"
#include "model/neuronio.h"
#include "numeric/infinito.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltra {

// Weights of the synapses to be made, summed per pair of elements, so that a term that cancels
// out draws no line.
class TWiring {
public:
    void Add(TProtoNeuronio* from, TNeuronio* to, const TInfinito& weight);
    void Add(TProtoNeuronio* from, TNeuronio* to, std::string_view weight) {
        Add(from, to, TInfinito(weight));
    }

    // Makes the synapses of non-zero sums, in the order their pairs were first named.
    void Connect();

private:
    std::map<std::pair<TProtoNeuronio*, TNeuronio*>, TInfinito> weights_;
    std::vector<std::pair<TProtoNeuronio*, TNeuronio*>> order_;
};

// Adds a new element of type T at (x, y) with the label, numbered as the net numbers it.
template <class T> T* PlaceElement(TDados& document, int x, int y, const std::string& label) {
    auto element = std::make_unique<T>();
    const int glyph = GlyphIndex(element->Kind());
    element->Setup(x, y, glyph, glyph + 1, document.Net().ElementCounter());
    element->SetLabel(label);
    return static_cast<T*>(document.AddElement(std::move(element)));
}

} // namespace veltra
