#include "ui/coverindex.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace veltra {

namespace {

constexpr std::array<long long, 4> CostPerPixel{40, 4, 100, 10};

// A box saturated at the edge of the coordinate range, or a line across it, is indexed by
// this many cells at most (far beyond any text) rather than by millions.
constexpr std::int64_t MaxSpan = 64;
constexpr std::int64_t MaxSamples = 4096;

std::int64_t FloorDiv(std::int64_t v, std::int64_t d) {
    return v >= 0 ? v / d : -((-v + d - 1) / d);
}

std::int64_t Key(std::int64_t x, std::int64_t y) {
    return (y << 32) ^ (x & 0xffffffff);
}

// Whether the segment a-b meets the rectangle (Liang and Barsky's clipping).
bool Crosses(QPoint a, QPoint b, const QRect& r) {
    const double dx = double(b.x()) - a.x();
    const double dy = double(b.y()) - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(a.x()) - r.left(), double(r.right()) - a.x(),
                         double(a.y()) - r.top(), double(r.bottom()) - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

} // namespace

template <class F> void TCoverIndex::ForCells(const QRect& box, F visit) {
    const std::int64_t x0 = FloorDiv(box.left(), Cell);
    const std::int64_t y0 = FloorDiv(box.top(), Cell);
    const std::int64_t x1 = std::min(FloorDiv(box.right(), Cell), x0 + MaxSpan);
    const std::int64_t y1 = std::min(FloorDiv(box.bottom(), Cell), y0 + MaxSpan);
    for (std::int64_t y = y0; y <= y1; ++y)
        for (std::int64_t x = x0; x <= x1; ++x)
            visit(Key(x, y));
}

// Every cell the segment passes through: samples half a cell apart, and where two samples
// lie in diagonal cells, both cells beside them too. A very long line is followed from either
// end for a long way only.
template <class F> void TCoverIndex::ForCellsOnLine(QPoint a, QPoint b, F visit) {
    const double dx = double(b.x()) - a.x();
    const double dy = double(b.y()) - a.y();
    const std::int64_t samples =
        std::max<std::int64_t>(1, std::int64_t(std::max(std::abs(dx), std::abs(dy)) / (Cell / 2)));
    std::int64_t lastX = FloorDiv(a.x(), Cell);
    std::int64_t lastY = FloorDiv(a.y(), Cell);
    visit(Key(lastX, lastY));
    for (std::int64_t i = 1; i <= samples; ++i) {
        if (samples > 2 * MaxSamples && i == MaxSamples) i = samples - MaxSamples;
        const double t = double(i) / double(samples);
        const std::int64_t x = FloorDiv(std::int64_t(std::floor(a.x() + t * dx)), Cell);
        const std::int64_t y = FloorDiv(std::int64_t(std::floor(a.y() + t * dy)), Cell);
        if (x == lastX && y == lastY) continue;
        if (x != lastX && y != lastY) {
            visit(Key(x, lastY));
            visit(Key(lastX, y));
        }
        visit(Key(x, y));
        lastX = x;
        lastY = y;
    }
}

void TCoverIndex::Add(const QRect& box, TKind kind) {
    if (box.isEmpty()) return;
    const int index = int(items_.size());
    items_.push_back({box, kind});
    seenItem_.push_back(0);
    ForCells(box, [&](std::int64_t key) { cells_[key].push_back(index); });
}

void TCoverIndex::AddLine(QPoint a, QPoint b, const void* owner) {
    const int index = int(lines_.size());
    lines_.push_back({a, b, owner});
    seenLine_.push_back(0);
    ForCellsOnLine(a, b, [&](std::int64_t key) {
        std::vector<int>& cell = cells_[key];
        if (cell.empty() || cell.back() != -1 - index) cell.push_back(-1 - index);
    });
}

TCoverIndex::TCost TCoverIndex::Cost(const QRect& box, const void* owner) {
    ++epoch_;
    TCost cost;
    ForCells(box, [&](std::int64_t key) {
        const auto it = cells_.find(key);
        if (it == cells_.end()) return;
        visits_ += it->second.size();
        for (const int entry : it->second) {
            if (entry < 0) {
                const auto i = std::size_t(-1 - entry);
                if (seenLine_[i] == epoch_) continue;
                seenLine_[i] = epoch_;
                const TLine& line = lines_[i];
                if (line.owner != owner && Crosses(line.a, line.b, box)) ++cost.lines;
                continue;
            }
            const auto i = std::size_t(entry);
            if (seenItem_[i] == epoch_) continue;
            seenItem_[i] = epoch_;
            const QRect common = box & items_[i].box;
            if (common.isEmpty()) continue;
            cost.covered += std::int64_t{common.width()} * common.height() *
                            CostPerPixel[std::size_t(items_[i].kind)];
        }
    });
    return cost;
}

} // namespace veltra
