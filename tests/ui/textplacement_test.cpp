// Texts on the drawing: every example net at 100% with labels, values and weights shown keeps
// its labels and values clear of each other, of weights and of glyphs, and its weights mostly
// clear of each other, each text near what it belongs to.
#include "appfixture.h"
#include "model/dados.h"
#include "model/sinapse.h"
#include "ui/textplacement.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

namespace veltra {
namespace {

QFont DrawingFont() {
    QFont font;
    font.setPixelSize(13);
    return font;
}

// The shortest distance between a point and a rectangle (0 inside).
double Distance(QPointF p, const QRect& r) {
    const double dx = std::max({double(r.left()) - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({double(r.top()) - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

double Distance(const QRect& a, const QRect& b) {
    const int dx = std::max({a.left() - b.right(), 0, b.left() - a.right()});
    const int dy = std::max({a.top() - b.bottom(), 0, b.top() - a.bottom()});
    return std::hypot(dx, dy);
}

// How near a segment comes to a rectangle, by walking it pixel by pixel.
double Distance(QPoint a, QPoint b, const QRect& r) {
    const int steps = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())) + 1;
    double best = 1e300;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        best = std::min(
            best, Distance(QPointF(a.x() + t * (b.x() - a.x()), a.y() + t * (b.y() - a.y())), r));
    }
    return best;
}

// What a painter was asked to draw as text: each run of text with where its baseline starts
// and its font. The texts' rectangles are worked out from these, not from the places chosen.
class TTextRecorder : public QPaintDevice {
public:
    struct TDrawn {
        QPointF baseline;
        QString text;
        QFont font;
        QColor pen;
    };
    std::vector<TDrawn> drawn;

    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 100000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 1000;
        }
    }

private:
    class TEngine : public QPaintEngine {
    public:
        explicit TEngine(TTextRecorder& owner) : QPaintEngine(AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override {
            if (state.state() & DirtyPen) pen_ = state.pen().color();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawRects(const QRectF*, int) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            owner_.drawn.push_back({p, item.text(), item.font(), pen_});
        }
        Type type() const override { return User; }

    private:
        TTextRecorder& owner_;
        QColor pen_;
    };
    mutable TEngine engine_{*this};
};

// A drawn text's rectangle: its advance and the font's line round the baseline, widened to
// any ink the font's own bounds say reaches beyond them.
QRect DrawnRect(const TTextRecorder::TDrawn& d) {
    const QFontMetrics metrics(d.font);
    const QPoint at = d.baseline.toPoint();
    const QRect line(at.x(), at.y() - metrics.ascent(), metrics.horizontalAdvance(d.text),
                     metrics.height());
    return line | metrics.boundingRect(d.text).translated(at);
}

struct TCounts {
    int texts = 0;
    int crowded = 0; // labels and values over another text or a glyph
    int weights = 0;
    int touching = 0; // weights touching another weight
};

// Counts from the drawn rectangles, told apart by the pen they were drawn in: weights in
// their dark red, labels and values in the others.
TCounts Count(const std::vector<QRect>& glyphs, const std::vector<QRect>& texts,
              const std::vector<bool>& isWeight) {
    TCounts n;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ++n.texts;
        if (isWeight[i]) {
            // Touching: sharing a pixel or an edge.
            const QRect reach = texts[i].adjusted(-1, -1, 1, 1);
            bool touch = false;
            for (std::size_t j = 0; j < texts.size(); ++j)
                touch = touch || (j != i && isWeight[j] && reach.intersects(texts[j]));
            ++n.weights;
            n.touching += touch;
            continue;
        }
        bool over = false;
        for (std::size_t j = 0; j < texts.size(); ++j)
            over = over || (j != i && texts[i].intersects(texts[j]));
        for (const QRect& g : glyphs)
            over = over || texts[i].intersects(g);
        n.crowded += over;
    }
    return n;
}

std::vector<QString> ExampleNets() {
    std::vector<QString> paths;
    for (const char* folder : {"", "/machines"}) {
        const QDir dir(QStringLiteral(VELTRA_EXAMPLES) + QString::fromLatin1(folder));
        for (const QString& name : dir.entryList({QStringLiteral("*.net")}, QDir::Files))
            paths.push_back(dir.filePath(name));
    }
    return paths;
}

TEST(TextPlacement, ExampleNetsAtFullSizeKeepTheirTextsApart) {
    TestApp();
    const TDrawingTexts all{true, true, true};
    const std::vector<QString> nets = ExampleNets();
    ASSERT_GE(nets.size(), 8u);
    for (const QString& path : nets) {
        SCOPED_TRACE(path.toStdString());
        std::ifstream in(path.toStdString(), std::ios::binary);
        TDados document;
        ASSERT_EQ(document.Load(in), "");
        const TProtoLista& list = document.Elements();
        const std::vector<TPlacedText> placed = PlaceTexts(list, TNetView(), DrawingFont(), all);

        // What is drawn, where: the rectangles the check works from.
        TTextRecorder recorder;
        {
            QPainter painter(&recorder);
            painter.setFont(DrawingFont());
            DrawPlacedTexts(painter, placed, QPoint(0, 0), QRect(-100000, -100000, 200000, 200000));
        }
        std::vector<QRect> drawn;
        std::vector<bool> isWeight;
        for (const TTextRecorder::TDrawn& d : recorder.drawn) {
            drawn.push_back(DrawnRect(d));
            isWeight.push_back(d.pen == QColor(0x8b, 0x1a, 0x1a));
        }
        // An empty text (an input's value before it runs) draws nothing.
        std::vector<std::size_t> shown;
        for (std::size_t i = 0; i < placed.size(); ++i)
            if (!placed[i].text.isEmpty()) shown.push_back(i);
        ASSERT_EQ(drawn.size(), shown.size());
        std::vector<QRect> glyphs;
        for (const auto& e : list)
            glyphs.push_back(TNetView().ToScreen(e->GlyphBox()));

        // Nothing stands where the drawing window cannot scroll: left of or above both the
        // origin and the net.
        QPoint start(0, 0);
        for (const QRect& g : glyphs)
            start = QPoint(std::min(start.x(), g.left()), std::min(start.y(), g.top()));
        int cutOff = 0;
        for (const QRect& r : drawn)
            cutOff += r.left() < start.x() || r.top() < start.y();
        EXPECT_EQ(cutOff, 0);

        const TCounts n = Count(glyphs, drawn, isWeight);
        std::cout << QFileInfo(path).fileName().toStdString() << ": " << n.crowded << " of "
                  << n.texts - n.weights << " labels and values crowded, " << n.touching << " of "
                  << n.weights << " weights touch another\n";
        EXPECT_EQ(n.crowded, 0);
        EXPECT_LE(n.touching * 10, n.weights);

        // Every text stays near what it belongs to, and every element and visible synapse
        // has its texts.
        int expected = 0;
        for (const auto& e : list) {
            expected += 1 + !e->Label().empty();
            for (const TSinapse* s : e->OutgoingSynapses())
                expected += s->Visible();
        }
        EXPECT_EQ(int(placed.size()), expected);
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            const TPlacedText& t = placed[shown[i]];
            SCOPED_TRACE(recorder.drawn[i].text.toStdString());
            if (t.role == TTextRole::Weight) {
                const auto* s = static_cast<const TSinapse*>(t.owner);
                const double away =
                    s->IsSelfLoop()
                        ? Distance(TNetView().ToScreen(s->Source()->GlyphBox()), drawn[i]) - 30
                        : Distance(TNetView().ToScreen(s->StartPoint()),
                                   TNetView().ToScreen(s->EndPoint()), drawn[i]);
                EXPECT_LE(away, 8);
            } else {
                const auto* e = static_cast<const TProtoNeuronio*>(t.owner);
                EXPECT_LE(Distance(TNetView().ToScreen(e->GlyphBox()), drawn[i]), 3 * 16);
            }
        }

        // The rectangles are honest: drawn, the texts ink nothing outside them.
        QRect bounds;
        for (const QRect& r : drawn)
            bounds |= r;
        bounds.adjust(-4, -4, 4, 4);
        QImage image(bounds.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setFont(DrawingFont());
            DrawPlacedTexts(painter, placed, bounds.topLeft(), image.rect());
        }
        int stray = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(255, 255, 255)) continue;
                const QRect pixel(bounds.left() + x, bounds.top() + y, 1, 1);
                bool inside = false;
                for (const QRect& r : drawn)
                    inside = inside || r.adjusted(-1, -1, 1, 1).intersects(pixel);
                stray += !inside;
            }
        EXPECT_EQ(stray, 0);
    }
}

} // namespace
} // namespace veltra
