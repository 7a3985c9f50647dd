// What a text placed on a drawing would cover: the glyphs, loops and texts already there as
// boxes, the synapse lines as segments, each kept by the cells of a coarse grid it reaches so
// that a candidate place is weighed against its neighbours alone, whatever the size of the net.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace veltra {

class TCoverIndex {
public:
    // What a text may come to cover, and what covering one pixel of it costs: a label or value
    // under another text is lost, a glyph under a text is hidden, a loop or a weight under a
    // weight still reads.
    enum class TKind : std::uint8_t { Glyph, Loop, Label, Weight };

    struct TCost {
        long long covered = 0; // pixels shared with boxes, weighed by their kind
        int lines = 0;         // lines running through
    };

    void Add(const QRect& box, TKind kind);
    // A line from a to b; `owner` names it, so that a text may be let cross its own line.
    void AddLine(QPoint a, QPoint b, const void* owner);

    // What a text in `box` would cover, its own line (`owner`) aside.
    TCost Cost(const QRect& box, const void* owner = nullptr);

    // How many entries the questions so far have looked at: the work they took.
    std::uint64_t Visits() const { return visits_; }

private:
    static constexpr int Cell = 64;
    template <class F> static void ForCells(const QRect& box, F visit);
    template <class F> static void ForCellsOnLine(QPoint a, QPoint b, F visit);

    struct TItem {
        QRect box;
        TKind kind;
    };
    struct TLine {
        QPoint a;
        QPoint b;
        const void* owner;
    };
    std::vector<TItem> items_;
    std::vector<TLine> lines_;
    // A box's entries are item indices, a line's are -1 - its index.
    std::unordered_map<std::int64_t, std::vector<int>> cells_;
    std::vector<unsigned> seenItem_;
    std::vector<unsigned> seenLine_;
    unsigned epoch_ = 0;
    std::uint64_t visits_ = 0;
};

} // namespace veltra
