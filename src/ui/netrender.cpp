#include "ui/netrender.h"

#include "model/listasinapses.h"
#include "model/protolista.h"
#include "model/sinapse.h"
#include "storage/atomicsave.h"
#include "ui/drawingtexts.h"
#include "ui/glyphimages.h"
#include "ui/qtcanvas.h"
#include "ui/textplacement.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace veltra {

namespace {

// Beyond this a picture would take gigabytes; the caller is told instead.
constexpr qint64 MaxPixels = 200'000'000;
// Room round the net on the picture, in its pixels (a loop reaches 40 beside its glyph).
constexpr int Border = 48;

struct Layout {
    TNetView view;
    QSize size;
    QFont font;
    std::vector<TPlacedText> texts; // placed without the view's scroll
};

bool Arrange(const TProtoLista& list, const TRenderOptions& options, Layout& layout) {
    layout.view.SetZoom(options.scale);
    const double zoom = layout.view.Zoom();
    layout.font.setPixelSize(int(std::lround(std::max(4.0, 13.0 * zoom))));
    TRect bounds{0, 0, 0, 0};
    NetBounds(list, bounds);
    QRect area = layout.view.ToScreen(bounds);
    layout.texts = PlaceTexts(list, layout.view, layout.font, options.texts);
    if (!layout.texts.empty()) area |= TextBounds(layout.texts);
    area.adjust(-Border, -Border, Border, Border);
    const qint64 pixels = qint64(area.width()) * area.height();
    if (pixels <= 0 || pixels > MaxPixels) return false;
    layout.view.SetScroll(area.topLeft());
    layout.size = area.size();
    return true;
}

void DrawTextsScaled(QPainter& painter, const Layout& layout) {
    painter.setFont(layout.font);
    DrawPlacedTexts(painter, layout.texts, layout.view.Scroll(), QRect(QPoint(0, 0), layout.size));
}

QImage Compose(const TProtoLista& list, const Layout& layout) {
    QImage image(layout.size, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    TQtCanvas canvas(image, TGlyphImages::Shared());
    canvas.SetView(layout.view);
    for (const auto& e : list)
        e->DrawOutgoing(canvas);
    for (const auto& e : list)
        e->DrawGlyph(canvas);
    return image;
}

// The smallest rectangle holding every pixel that is not white; empty when none is.
QRect InkBounds(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        while (first < image.width() && (row[first] & 0xffffff) == 0xffffff)
            ++first;
        if (first == image.width()) continue;
        int last = image.width() - 1;
        while ((row[last] & 0xffffff) == 0xffffff)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// With texts shown the picture was laid out round their lines, which hold more than their ink;
// it is cut to the glyphs and what is drawn, with the same border on every side as a picture
// without texts.
void Crop(const TProtoLista& list, const TRenderOptions& options, Layout& layout, QImage& drawing) {
    if (!options.texts.Any()) return;
    QImage inked = drawing.copy();
    {
        QPainter painter(&inked);
        DrawTextsScaled(painter, layout);
    }
    TRect bounds{0, 0, 0, 0};
    NetBounds(list, bounds);
    const QRect content = layout.view.ToScreen(bounds).united(InkBounds(inked));
    const QRect crop = content.adjusted(-Border, -Border, Border, Border);
    if (crop == QRect(QPoint(0, 0), layout.size)) return;
    layout.view.SetScroll(layout.view.Scroll() + crop.topLeft());
    layout.size = crop.size();
    drawing = Compose(list, layout);
}

std::string TooLarge() {
    return "The picture would be too large; choose a smaller scale.";
}

} // namespace

void DrawNetArea(const TProtoLista& list, TCanvas& canvas, const TRect& area) {
    // A loop stays within 40 pixels of its glyph, a glyph within 10 of its centre, an
    // arrowhead within a few of its end.
    constexpr std::int64_t Reach = 64;
    const std::int64_t left = std::int64_t{area.left} - Reach;
    const std::int64_t top = std::int64_t{area.top} - Reach;
    const std::int64_t right = std::int64_t{area.right} + Reach;
    const std::int64_t bottom = std::int64_t{area.bottom} + Reach;
    // Zoomed out to fit a big net, a straight synapse is only a line: it is drawn here
    // without working out a figure (the same pixels DrawSynapse gives it).
    auto* screen = dynamic_cast<TQtCanvas*>(&canvas);
    std::optional<TQtCanvas::TOverviewLines> lines;
    if (screen != nullptr && screen->Overview()) lines.emplace(*screen);
    // Elements and synapses are scattered over the heap: ask for them early, an element
    // eight places ahead, its synapse list four ahead and the synapses themselves two ahead
    // (what a repaint reads of a synapse lies in its first few bytes), so that a walk over
    // hundreds of thousands of them waits for memory less often.
    const int count = list.Count();
    auto prefetchSynapses = [&list](int i) {
        for (const TSinapse* s : list.Item(i)->OutgoingSynapses()) {
            __builtin_prefetch(s);
            __builtin_prefetch(reinterpret_cast<const char*>(s) + TSinapse::DrawnBytes - 1);
        }
    };
    static_assert(sizeof(TSinapse) >= TSinapse::DrawnBytes);
    // The glyphs are drawn after every synapse; where they go is taken on the way, while
    // the element is at hand, rather than by a second walk over the elements.
    std::vector<TPlacedGlyph> glyphs;
    glyphs.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        if (i + 8 < count) __builtin_prefetch(list.Item(i + 8));
        if (i + 4 < count) {
            const TListaSinapses& ahead = list.Item(i + 4)->OutgoingSynapses();
            if (!ahead.Empty()) __builtin_prefetch(&*ahead.begin());
        }
        if (i + 2 < count) prefetchSynapses(i + 2);
        const TProtoNeuronio& e = *list.Item(i);
        for (const TSinapse* s : e.OutgoingSynapses()) {
            const TPoint a = s->StartPoint();
            const TPoint b = s->EndPoint();
            if (std::max(a.x, b.x) < left || std::min(a.x, b.x) > right ||
                std::max(a.y, b.y) < top || std::min(a.y, b.y) > bottom)
                continue;
            if (lines && s->Visible() && s->Source() != nullptr && !s->IsSelfLoop())
                lines->Line(a, b, s->Pair());
            else
                s->Draw(canvas, TPenMode::NotXor);
        }
        // The glyph box, asking the element its kind once.
        const TGlyphKind kind = e.Kind();
        const TPoint at = e.GetPosition();
        const TRect box{at.x, at.y, ShiftCoordinate(at.x, GlyphWidth(kind)),
                        ShiftCoordinate(at.y, GlyphHeight(kind))};
        if (box.right < area.left || box.left > area.right || box.bottom < area.top ||
            box.top > area.bottom)
            continue;
        glyphs.push_back({kind, at});
    }
    if (screen != nullptr) {
        screen->DrawGlyphs(glyphs);
    } else {
        for (const TPlacedGlyph& g : glyphs)
            canvas.DrawGlyph(g.kind, g.at.x, g.at.y);
    }
}

std::string ExportNetImage(const TProtoLista& list, const QString& path,
                           const TRenderOptions& options) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
        suffix != QLatin1String("pdf"))
        return "Unknown picture format \"" + suffix.toStdString() + "\": use .png, .svg or .pdf.";
    Layout layout;
    if (!Arrange(list, options, layout)) return TooLarge();
    QImage drawing = Compose(list, layout);
    if (drawing.isNull()) return TooLarge();
    Crop(list, options, layout, drawing);
    if (drawing.isNull()) return TooLarge();

    // Made whole in memory, then saved as nets are: put in place only when whole (a file-size
    // limit or a full disk fails with the reason), a FIFO or device written into.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    // SVG and PDF take the composed picture and the texts on top, kept as text.
    const auto paintOn = [&](QPaintDevice& device) {
        QPainter painter;
        if (!painter.begin(&device)) return false;
        painter.drawImage(0, 0, drawing);
        DrawTextsScaled(painter, layout);
        return painter.end();
    };
    bool painted = true;
    if (suffix == QLatin1String("png")) {
        QImage image = drawing;
        {
            QPainter painter(&image);
            DrawTextsScaled(painter, layout);
        }
        painted = image.save(&file, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(layout.size);
        svg.setViewBox(QRect(QPoint(0, 0), layout.size));
        svg.setTitle(PrintableText(QFileInfo(path).completeBaseName()));
        painted = paintOn(svg);
    } else {
        QPdfWriter pdf(&file);
        // One picture pixel to a point: the page is the picture's size.
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(layout.size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QFileInfo(path).completeBaseName());
        painted = paintOn(pdf);
    }
    if (!painted) return "Cannot write " + path.toStdString();
    file.close();
    const QByteArray& bytes = file.data();
    std::string error;
    std::string reason;
    if (!AtomicSave(
            QFile::encodeName(path).toStdString(),
            [&bytes](std::ostream& out) {
                return bool(out.write(bytes.constData(), std::streamsize(bytes.size())));
            },
            error, &reason))
        return "Cannot write " + path.toStdString() + ": " + reason;
    return {};
}

} // namespace veltra
