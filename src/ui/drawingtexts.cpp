#include "ui/drawingtexts.h"

#include "model/protolista.h"
#include "model/sinapse.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace veltra {

namespace {

constexpr std::size_t ElideAbove = 24; // characters
constexpr std::size_t KeepHead = 6;
constexpr std::size_t KeepTail = 4;

std::string Grouped(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

QString Text(const std::string& s) {
    return PrintableText(QString::fromStdString(s));
}

} // namespace

QString PrintableText(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(char16_t(0x2400 + u));
        else if (u == 0x7f)
            c = QChar(char16_t(0x2421));
    }
    return text;
}

TDrawingTexts& DrawingTexts() {
    static TDrawingTexts texts;
    return texts;
}

std::string ElideNumber(const std::string& text) {
    return ElideNumber(TextEndsOf(text, ElideAsk, ElideAsk, TTextEnds::TUnit::Digits));
}

std::string ElideNumber(const TTextEnds& ends) {
    static_assert(2 * ElideAsk >= ElideAbove && ElideAsk >= KeepHead && ElideAsk >= KeepTail);
    if (ends.length <= ElideAbove) return ends.head;
    const char* unit = ends.unit == TTextEnds::TUnit::Symbols ? " symbols)" : " digits)";
    return ends.head.substr(0, KeepHead) + "\xe2\x80\xa6" +
           ends.tail.substr(ends.tail.size() - KeepTail) + " (" + Grouped(ends.count) + unit;
}

void DrawTexts(QPainter& painter, const TNetView& view, const TProtoLista& list,
               const TDrawingTexts& texts, const QRect& clip) {
    if (!texts.Any()) return;
    const QFontMetrics metrics(painter.font());
    const int line = metrics.height();
    // Text beside a glyph never reaches further than what a move composes again (labels are
    // free text of any length); a scaled picture scales the reach with its font.
    const int pixels = painter.font().pixelSize() > 0 ? painter.font().pixelSize() : 13;
    const int room = (TextReachRight - 8) * pixels / 13;
    auto fit = [&](const std::string& text) {
        return metrics.elidedText(Text(text), Qt::ElideMiddle, room);
    };
    if (texts.weights) {
        painter.setPen(QColor(0x8b, 0x1a, 0x1a));
        for (const auto& e : list)
            for (const TSinapse* s : e->OutgoingSynapses()) {
                if (!s->Visible()) continue;
                const TPoint a = s->StartPoint();
                const TPoint b = s->EndPoint();
                QPoint at;
                if (s->IsSelfLoop()) {
                    const TRect box = e->GlyphBox();
                    at = view.ToScreen(box.right, box.top) + QPoint(4, -4);
                } else {
                    at = view.ToScreen(int((std::int64_t{a.x} + b.x) / 2),
                                       int((std::int64_t{a.y} + b.y) / 2)) +
                         QPoint(3, -3);
                }
                if (!clip.intersects(QRect(at.x(), at.y() - line, TextReachRight, line + 4)))
                    continue;
                painter.drawText(at, Text(ElideNumber(s->Weight().TextEnds(ElideAsk, ElideAsk))));
            }
    }
    if (!texts.labels && !texts.values) return;
    for (const auto& e : list) {
        const QRect box = view.ToScreen(e->GlyphBox());
        const QRect reach(box.right() + 1, box.top(), TextReachRight, TextReachDown);
        if (!clip.intersects(reach)) continue;
        int y = box.top() + metrics.ascent();
        if (texts.labels) {
            painter.setPen(Qt::black);
            painter.drawText(QPoint(box.right() + 4, y), fit(e->Label()));
            y += line;
        }
        if (texts.values) {
            painter.setPen(QColor(0x00, 0x30, 0x8f));
            painter.drawText(QPoint(box.right() + 4, y),
                             fit(ElideNumber(e->ValueTextEnds(ElideAsk, ElideAsk))));
        }
    }
}

} // namespace veltra
