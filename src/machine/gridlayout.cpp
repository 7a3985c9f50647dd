#include "machine/gridlayout.h"

#include "model/canvas.h"
#include "model/protoneuronio.h"
#include "model/sinapse.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>

namespace veltra {

namespace {

// Characters, not bytes: a label may hold any letter.
int Characters(const std::string& text) {
    return int(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    }));
}

} // namespace

void TGridLayout::Put(TProtoNeuronio& element, int column, int row) {
    cells_.push_back({&element, column, row});
}

void TGridLayout::Apply(int margin) const {
    if (cells_.empty()) return;
    // The used columns in order, each as wide as its widest glyph and text.
    std::map<int, int> width;
    int firstRow = cells_.front().row;
    int lastRow = firstRow;
    for (const TCell& c : cells_) {
        const int text = std::max(Characters(c.element->Label()),
                                  std::min(Characters(c.element->ValueText()), ValueChars)) *
                         CharWidth;
        int& w = width[c.column];
        w = std::max(w, c.element->Width() + 4 + text);
        firstRow = std::min(firstRow, c.row);
        lastRow = std::max(lastRow, c.row);
    }
    std::map<int, int> index; // column -> its place among the used ones
    for (const auto& [column, w] : width)
        index.emplace(column, int(index.size()));
    std::unordered_map<const TProtoNeuronio*, int> placeOf;
    for (const TCell& c : cells_)
        placeOf[c.element] = index[c.column];

    // A synapse between columns a and b may carry its weight in any of the gaps between
    // them: it asks each for an even share of the room one weight needs.
    std::vector<double> crossing(width.size(), 0.0);
    for (const TCell& c : cells_)
        for (const TSinapse* s : c.element->OutgoingSynapses()) {
            const auto to = placeOf.find(s->Destination());
            if (!s->Visible() || to == placeOf.end()) continue;
            const int a = std::min(placeOf[c.element], to->second);
            const int b = std::max(placeOf[c.element], to->second);
            for (int g = a; g < b; ++g)
                crossing[std::size_t(g)] += 1.0 / (b - a);
        }
    const double height = double(lastRow - firstRow + 1) * RowPitch;

    std::vector<int> left;
    int x = margin;
    for (const auto& [column, w] : width) {
        left.push_back(x);
        const double room = crossing[left.size() - 1] * WeightArea / height;
        x += w + std::max(WeightRoom, int(room));
    }
    TNullCanvas none;
    for (const TCell& c : cells_) {
        c.element->MoveTopLeftTo(none, left[std::size_t(index[c.column])],
                                 margin + c.row * RowPitch);
        // A loop is drawn on the side of the glyph its end lies towards: here as in the same
        // net read from its file, whose loops end at their glyph's corner.
        for (TSinapse* s : c.element->OutgoingSynapses())
            if (s->IsSelfLoop()) s->SetEndPoint(c.element->GetPosition());
    }
}

} // namespace veltra
