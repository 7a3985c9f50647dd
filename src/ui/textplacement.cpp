#include "ui/textplacement.h"

#include "model/geometry.h"
#include "model/protolista.h"
#include "model/sinapse.h"
#include "ui/coverindex.h"
#include "ui/netview.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace veltra {

namespace {

using TCover = TCoverIndex::TKind;

// Texts keep this far from whatever they could touch, so that neighbours stay apart.
constexpr int Margin = 3;
// Places tried on either side of a line's middle, spread over the middle four fifths of it.
constexpr int AlongSteps = 8;
// Among places that cover nothing, one further down the list of candidates must cross this
// many fewer lines per step down to be taken: a text stays near its first place unless a
// later one reads clearly better.
constexpr int LinesPerStep = 1;
constexpr int StepsPerLine = 4;
// The entries of the cover index all the searches of one placing may look at.
constexpr std::uint64_t SearchBudget = 15'000'000;

// A place for a block of text, and how its lines line up in it: at the side towards the
// glyph, so that a short label left of a glyph still stands next to it.
enum class TAlign { Left, Centre, Right };
struct TSpot {
    QRect box;
    TAlign align = TAlign::Left;
    int remoteness = 0; // what standing away from its element costs, in lines crossed
};

// The candidate that covers least of glyphs and texts; among equals, the one that crosses
// fewest lines for how far down the list it comes; the first that covers and crosses nothing
// ends the search.
// A place left of or above `start` (where the drawing begins) would be cut off: it costs more
// than covering anything.
TSpot Cheapest(TCoverIndex& index, const std::vector<TSpot>& candidates, QPoint start,
               const void* owner = nullptr) {
    // A big net whose lines cross everywhere would take minutes to place: once the search has
    // cost this much, the remaining texts go to their first place, as they stood before texts
    // made room for each other.
    if (index.Visits() > SearchBudget) return candidates.front();
    TSpot best;
    long long bestCovered = std::numeric_limits<long long>::max();
    long long bestScore = std::numeric_limits<long long>::max();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const TSpot& spot = candidates[i];
        TCoverIndex::TCost cost =
            index.Cost(spot.box.adjusted(-Margin, -Margin, Margin, Margin), owner);
        if (spot.box.left() < start.x() || spot.box.top() < start.y())
            cost.covered += std::numeric_limits<long long>::max() / 4;
        const long long score =
            (static_cast<long long>(cost.lines) + spot.remoteness) * StepsPerLine +
            static_cast<long long>(i) * LinesPerStep;
        if (cost.covered < bestCovered || (cost.covered == bestCovered && score < bestScore)) {
            best = spot;
            bestCovered = cost.covered;
            bestScore = score;
            if (cost.covered == 0 && cost.lines == 0) break;
        }
    }
    return best;
}

// Places round a glyph for a block of text of that size: right of it first (where a lone
// element has always had its texts), then right and lower, below, above, left, at the
// corners, and a line further out.
std::vector<TSpot> AroundGlyph(const QRect& g, QSize size, int line) {
    const int w = size.width();
    const int h = size.height();
    const int right = g.right() + 4;
    const int left = g.left() - 4 - w;
    const int centreX = g.center().x() - w / 2;
    const int middleY = g.center().y() - h / 2;
    const int below = g.bottom() + 2;
    const int above = g.top() - 2 - h;
    std::vector<TSpot> at;
    int remoteness = 0;
    auto add = [&](int x, int y) {
        const TAlign align = x == right      ? TAlign::Left
                             : x == left     ? TAlign::Right
                             : x == centreX  ? TAlign::Centre
                             : x == g.left() ? TAlign::Left
                                             : TAlign::Right;
        at.push_back({QRect(x, y, w, h), align, remoteness});
    };
    add(right, g.top());
    add(right, middleY);
    add(right, g.bottom() + 1 - h);
    add(centreX, below);
    add(centreX, above);
    add(left, g.top());
    add(left, middleY);
    add(g.left(), below);
    add(g.left(), above);
    add(g.right() + 1 - w, below);
    add(g.right() + 1 - w, above);
    for (const int d : {line, 2 * line}) {
        // A line or two away a text is less plainly its element's.
        remoteness = d == line ? 3 : 6;
        add(right, g.top() + d);
        add(right, g.top() - d);
        add(centreX, below + d);
        add(centreX, above - d);
        add(left, g.top() + d);
        add(left, g.top() - d);
    }
    return at;
}

// Places along a line from a to b for a text of that size: near the middle first, then
// further towards either end, on the side where the text stays clear of the line itself
// first (above and right of a line falling to the right), then on the other.
std::vector<TSpot> AlongLine(QPoint a, QPoint b, QSize size, int ascent) {
    const int w = size.width();
    const int h = size.height();
    const double dx = double(b.x()) - a.x();
    const double dy = double(b.y()) - a.y();
    const bool falling = dx * dy >= 0;
    std::vector<TSpot> at;
    for (int k = 0; k <= 2 * AlongSteps; ++k) {
        // 0.5, then alternately nearer each end: 0.45, 0.55, 0.4, ...
        const double t = 0.5 + (k % 2 == 0 ? 1 : -1) * ((k + 1) / 2) * (0.4 / AlongSteps);
        const QPoint p(int(std::lround(a.x() + t * dx)), int(std::lround(a.y() + t * dy)));
        const QRect aboveRight(p.x() + 3, p.y() - 3 - ascent, w, h);
        const QRect belowLeft(p.x() - 3 - w, p.y() + 3, w, h);
        const QRect belowRight(p.x() + 3, p.y() + 3, w, h);
        const QRect aboveLeft(p.x() - 3 - w, p.y() - 3 - ascent, w, h);
        if (falling) {
            for (const QRect& r : {aboveRight, belowLeft, belowRight, aboveLeft})
                at.push_back({r});
        } else {
            for (const QRect& r : {aboveLeft, belowRight, aboveRight, belowLeft})
                at.push_back({r});
        }
    }
    return at;
}

// Places round a self-synapse's loop: beyond its far end, then beside it.
std::vector<TSpot> AroundLoop(const QRect& loop, QSize size) {
    const int w = size.width();
    const int h = size.height();
    return {{QRect(loop.right() + 3, loop.top() - h + 4, w, h)},
            {QRect(loop.right() + 3, loop.center().y() - h / 2, w, h)},
            {QRect(loop.left(), loop.top() - h - 2, w, h)},
            {QRect(loop.left(), loop.bottom() + 3, w, h)},
            {QRect(loop.left() - 3 - w, loop.center().y() - h / 2, w, h)}};
}

QRect LoopBox(const TSinapse& s, const TNetView& view) {
    const TRect box = s.Source()->GlyphBox();
    const TPoint end = s.EndPoint();
    const LoopFigureShape loop =
        LoopFigure(GRect{box.left, box.top, box.right, box.bottom}, GPoint{end.x, end.y});
    return view.ToScreen(
        TRect{loop.ellipse.left, loop.ellipse.top, loop.ellipse.right, loop.ellipse.bottom});
}

QString Text(const std::string& s) {
    return PrintableText(QString::fromStdString(s));
}

// Texts are placed only round what lies within this many pixels of the plane's origin: the
// places round a glyph or along a line at the ends of the coordinate range would leave the
// int range (a net reaches that far only when its elements stand a billion units out), and
// nothing placed nearer can touch what lies beyond.
constexpr int Reach = 1 << 30;
bool WithinReach(const QRect& r) {
    return r.left() >= -Reach && r.right() <= Reach && r.top() >= -Reach && r.bottom() <= Reach;
}
bool WithinReach(QPoint a, QPoint b) {
    return WithinReach(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                             QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))));
}

} // namespace

std::vector<TPlacedText> PlaceTexts(const TProtoLista& list, const TNetView& view,
                                    const QFont& font, const TDrawingTexts& texts) {
    std::vector<TPlacedText> placed;
    if (!texts.Any()) return placed;
    const QFontMetrics metrics(font);
    const int line = metrics.height();
    const int ascent = metrics.ascent();
    // Labels are free text of any length; a scaled picture scales the widest with its font.
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : 13;
    const int widest = TextMaxWidth * pixels / 13;
    auto fit = [&](const std::string& text) {
        return metrics.elidedText(Text(text), Qt::ElideMiddle, widest);
    };

    // The drawing begins at the plane's origin, or further out where the net reaches.
    QPoint start = view.ToScreen(0, 0);
    TRect bounds;
    if (NetBounds(list, bounds)) {
        const QRect net = view.ToScreen(bounds);
        start = QPoint(std::min(start.x(), net.left()), std::min(start.y(), net.top()));
    }

    TCoverIndex cover;
    for (const auto& e : list) {
        if (const QRect glyph = view.ToScreen(e->GlyphBox()); WithinReach(glyph))
            cover.Add(glyph, TCover::Glyph);
        for (const TSinapse* s : e->OutgoingSynapses()) {
            if (!s->Visible()) continue;
            if (s->IsSelfLoop()) {
                if (const QRect loop = LoopBox(*s, view); WithinReach(loop))
                    cover.Add(loop, TCover::Loop);
            } else {
                const QPoint a = view.ToScreen(s->StartPoint());
                const QPoint b = view.ToScreen(s->EndPoint());
                if (WithinReach(a, b)) cover.AddLine(a, b, s);
            }
        }
    }

    if (texts.labels || texts.values) {
        for (const auto& e : list) {
            QString lines[2];
            TTextRole roles[2];
            int count = 0;
            if (texts.labels && !e->Label().empty()) {
                lines[count] = fit(e->Label());
                roles[count++] = TTextRole::Label;
            }
            if (texts.values) {
                lines[count] = fit(ElideNumber(e->ValueTextEnds(ElideAsk, ElideAsk)));
                roles[count++] = TTextRole::Value;
            }
            const QRect glyph = view.ToScreen(e->GlyphBox());
            if (count == 0 || !WithinReach(glyph)) continue;
            int widths[2] = {0, 0};
            for (int i = 0; i < count; ++i)
                widths[i] = metrics.horizontalAdvance(lines[i]);
            const QSize block(std::max(widths[0], widths[1]), count * line);
            const TSpot at = Cheapest(cover, AroundGlyph(glyph, block, line), start);
            for (int i = 0; i < count; ++i) {
                const int spare = block.width() - widths[i];
                const int x = at.box.left() + (at.align == TAlign::Left     ? 0
                                               : at.align == TAlign::Centre ? spare / 2
                                                                            : spare);
                const QRect box(x, at.box.top() + i * line, widths[i], line);
                cover.Add(box, TCover::Label);
                placed.push_back({roles[i], e.get(), lines[i], box});
            }
        }
    }

    if (texts.weights) {
        for (const auto& e : list)
            for (const TSinapse* s : e->OutgoingSynapses()) {
                if (!s->Visible()) continue;
                const QRect loop = s->IsSelfLoop() ? LoopBox(*s, view) : QRect();
                const QPoint a = view.ToScreen(s->StartPoint());
                const QPoint b = view.ToScreen(s->EndPoint());
                if (s->IsSelfLoop() ? !WithinReach(loop) : !WithinReach(a, b)) continue;
                const QString text = Text(ElideNumber(s->Weight().TextEnds(ElideAsk, ElideAsk)));
                const QSize size(metrics.horizontalAdvance(text), line);
                const QRect at =
                    (s->IsSelfLoop() ? Cheapest(cover, AroundLoop(loop, size), start, s)
                                     : Cheapest(cover, AlongLine(a, b, size, ascent), start, s))
                        .box;
                cover.Add(at, TCover::Weight);
                placed.push_back({TTextRole::Weight, s, text, at});
            }
    }
    return placed;
}

namespace {
// A placed box moved by the scroll. Texts of elements at the ends of the coordinate range sit
// far off screen; their boxes stop at the end of the int range instead of overflowing it.
QRect ShiftedBox(const QRect& r, QPoint shift) {
    const auto at = [](int v, int by) { return TNetView::Saturate(std::int64_t{v} - by); };
    return QRect(QPoint(at(r.left(), shift.x()), at(r.top(), shift.y())),
                 QPoint(at(r.right(), shift.x()), at(r.bottom(), shift.y())));
}
} // namespace

void DrawPlacedTexts(QPainter& painter, const std::vector<TPlacedText>& placed, QPoint shift,
                     const QRect& clip) {
    const int ascent = painter.fontMetrics().ascent();
    TTextRole pen = TTextRole::Label;
    painter.setPen(Qt::black);
    for (const TPlacedText& t : placed) {
        const QRect box = ShiftedBox(t.box, shift);
        if (!clip.intersects(box)) continue;
        if (t.role != pen) {
            pen = t.role;
            painter.setPen(pen == TTextRole::Label   ? QColor(Qt::black)
                           : pen == TTextRole::Value ? QColor(0x00, 0x30, 0x8f)
                                                     : QColor(0x8b, 0x1a, 0x1a));
        }
        // A weight often has to sit where other lines run; on white it still reads.
        if (t.role == TTextRole::Weight) painter.fillRect(box, Qt::white);
        painter.drawText(QPoint(box.left(), box.top() + ascent), t.text);
    }
}

QRect TextBounds(const std::vector<TPlacedText>& placed) {
    QRect bounds;
    for (const TPlacedText& t : placed)
        bounds |= t.box;
    return bounds;
}

} // namespace veltra
