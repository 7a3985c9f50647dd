// The drawing surface the model draws on: glyphs through their masks and synapse figures
// (straight with edge walk and arrowhead, paired, loop, rubber band) on an RGB32 image.
#pragma once

#include "model/canvas.h"
#include "ui/netview.h"
#include "ui/raster.h"

#include <QImage>
#include <QRect>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace veltra {

class TGlyphImages;

// A glyph of a walk over the net: its kind and its top-left corner.
struct TPlacedGlyph {
    TGlyphKind kind;
    TPoint at;
};

class TQtCanvas final : public TCanvas {
public:
    using StatusSink = std::function<void(const std::string&)>;
    using InvalidateSink = std::function<void(const TRect&)>;

    TQtCanvas(QImage& target, const TGlyphImages& glyphs, StatusSink status = {},
              InvalidateSink invalidate = {});
    // Hands the last status text written to the sink (the last writer wins anyway, so
    // thousands of synapses in one repaint cost one status update).
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    void DrawGlyph(TGlyphKind kind, int x, int y) override;
    // The glyphs in order, as DrawGlyph draws each; zoomed out, the scaled pictures and the
    // image are looked up once for all of them.
    void DrawGlyphs(const std::vector<TPlacedGlyph>& glyphs);
    void DrawSynapse(const TSynapseShape& shape) override;
    void SetStatusText(const std::string& text) override;
    void Invalidate(const TRect& area) override;

    void Flush();
    // Figures wholly outside the area are skipped (a repaint copies only that area).
    void SetClip(const QRect& area) { clip_ = area; }
    // The model draws in net coordinates; the view places them on the image (the clip is in
    // image pixels).
    void SetView(const TNetView& view) { view_ = view; }
    // Zoomed out below a third a straight synapse is only the line between its ends.
    static constexpr double OverviewZoom = 0.34;
    bool Overview() const { return view_.Zoom() < OverviewZoom; }

    // Zoomed out a glyph is a few pixels and an arrowhead less than one: the line between
    // the centres is all that shows of a straight or paired synapse, and it costs no edge
    // search. DrawSynapse draws it so, and so does a walk that hands over hundreds of
    // thousands of them at once, with one raster for all instead of one a figure.
    class TOverviewLines {
    public:
        explicit TOverviewLines(TQtCanvas& canvas)
            : raster_(canvas.target_), view_(canvas.view_), clip_(canvas.clip_) {}
        // `paired`: the synapse has (or had) a reverse one, which runs between the same
        // centres. Inverted twice, the two would leave no trace of either, so the paired one
        // is drawn a pixel aside, as it is drawn aside unzoomed.
        void Line(TPoint start, TPoint end, bool paired) {
            // An element's synapses mostly start at one point: it is placed once.
            if (!(start == lastStart_)) {
                lastStart_ = start;
                lastScreen_ = view_.ToScreen(start);
            }
            QPoint a = lastScreen_;
            QPoint b = view_.ToScreen(end);
            if (paired) {
                const bool xMajor =
                    std::abs(std::int64_t{b.x()} - a.x()) > std::abs(std::int64_t{b.y()} - a.y());
                const QPoint aside = xMajor ? QPoint(0, 1) : QPoint(1, 0);
                a = Aside(a, aside);
                b = Aside(b, aside);
            }
            if (!clip_.isNull() &&
                (std::max(a.x(), b.x()) < clip_.left() || std::min(a.x(), b.x()) > clip_.right() ||
                 std::max(a.y(), b.y()) < clip_.top() || std::min(a.y(), b.y()) > clip_.bottom()))
                return;
            raster_.Line({a.x(), a.y()}, {b.x(), b.y()}, true);
        }

    private:
        static QPoint Aside(QPoint p, QPoint by) {
            return {TNetView::Saturate(std::int64_t{p.x()} + by.x()),
                    TNetView::Saturate(std::int64_t{p.y()} + by.y())};
        }
        TRaster raster_;
        TNetView view_;
        QRect clip_;
        TPoint lastStart_;
        QPoint lastScreen_ = view_.ToScreen(lastStart_);
    };

private:
    QImage& target_;
    const TGlyphImages& glyphs_;
    StatusSink status_;
    InvalidateSink invalidate_;
    std::string pendingStatus_;
    bool hasStatus_ = false;
    QRect clip_; // null: draw everything
    TNetView view_;
};

} // namespace veltra
