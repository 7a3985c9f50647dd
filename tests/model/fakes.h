// Recording stand-ins for the drawing surface, the Info dialog tree and the pop-up menu.
#pragma once

#include "model/canvas.h"
#include "model/interaction.h"

#include <map>
#include <string>
#include <vector>

namespace veltra::testing {

class TRecordingCanvas : public TCanvas {
public:
    void DrawGlyph(TGlyphKind kind, int x, int y) override { glyphs.push_back({kind, x, y}); }
    void DrawSynapse(const TSynapseShape& shape) override { synapses.push_back(shape); }
    void SetStatusText(const std::string& text) override { status = text; }
    void Invalidate(const TRect& area) override { invalidated.push_back(area); }

    struct Glyph {
        TGlyphKind kind;
        int x;
        int y;
    };
    std::vector<Glyph> glyphs;
    std::vector<TSynapseShape> synapses;
    std::vector<TRect> invalidated;
    std::string status;
};

class TRecordingTree : public TInfoTree {
public:
    struct Entry {
        Node parent;
        std::string text;
        int image;
        TProtoNeuronio* element;
        TSinapse* synapse;
    };
    Node AddNode(Node parent, const std::string& text, int imageIndex, TProtoNeuronio* element,
                 TSinapse* synapse) override {
        nodes.push_back({parent, text, imageIndex, element, synapse});
        return static_cast<Node>(nodes.size() - 1);
    }
    // Texts of the children of a node, in order.
    std::vector<std::string> Children(Node parent) const {
        std::vector<std::string> result;
        for (const Entry& e : nodes)
            if (e.parent == parent) result.push_back(e.text);
        return result;
    }
    std::vector<Entry> nodes;
};

class TRecordingMenu : public TElementMenu {
public:
    void SetItemVisible(const std::string& caption, bool visible) override {
        items[caption] = visible;
    }
    std::map<std::string, bool> items;
};

} // namespace veltra::testing
