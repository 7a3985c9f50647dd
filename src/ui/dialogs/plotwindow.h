// The "Plot" window: the watched elements' values against the step, one series each with a
// legend. Values are exact; they become doubles only to be drawn, and the point under the
// mouse shows its exact value. "digits" plots each value's length in digits instead. The wheel
// zooms (steps; with Shift, values), dragging pans, Fit shows everything; Export writes PNG,
// SVG or CSV.
#pragma once

#include "plotdata/plotdata.h"
#include "ui/netsignals.h"

#include <QElapsedTimer>
#include <QPointF>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPainter;

namespace veltra {

class TDados;
class TPrompter;
class TProtoNeuronio;

// Whole steps between x0 and x1 to mark on the step axis: at most `most`, 1, 2 or 5 times a
// power of ten apart (never less than one step).
std::vector<long long> StepTicks(double x0, double x1, int most);

class TPlotView final : public QWidget {
public:
    explicit TPlotView(QWidget* parent);

    TPlotData& Data() { return data_; }
    // Brings the series up to the points recorded, for the mode shown. What the readers
    // below show (Paint, PointText, Svg, Csv) is the series as they stood then: a paint, Fit,
    // a hover and an export settle first.
    void Settle();
    bool DigitsMode() const { return digits_; }
    void SetDigitsMode(bool digits);
    // Shows every point (after new data, while the user has not zoomed or panned).
    void Fit();
    bool Fitted() const { return fitted_; }
    // The visible steps and values.
    void Range(double& x0, double& x1, double& y0, double& y1) const;
    void SetRange(double x0, double x1, double y0, double y1);
    // Zooms by `factor` (below 1: in) around the widget point, in steps or in values.
    void Zoom(QPointF at, double factor, bool values);

    // The text of the point nearest to the widget point ("LABEL, step S: VALUE"), empty when
    // none lies within a few pixels.
    QString PointText(QPointF at) const;
    // Draws the whole picture (axes, series, legend) at `size`.
    void Paint(QPainter& painter, QSize size) const;
    // Where the curves go in a picture of that size (the legend's column is right of it).
    QRectF PlotArea(QSize size) const;
    QString Svg() const;
    // How long the last paint took, in milliseconds, and how many paints there were.
    double LastPaintMs() const { return lastPaintMs_; }
    long long Paints() const { return paints_; }
    // The pixel columns of all series the last paint drew, and how many a paint would draw
    // now (every series, as many columns as it has points, at most the picture's width).
    double LastPaintColumns() const { return lastPaintColumns_; }
    double ColumnsNow() const;
    // step,LABEL1,LABEL2,... then one row per step with the exact values.
    std::string Csv() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The legend's column right of the plot area (none without series), as the last paint
    // at that size measured it; MeasureLegend measures it for a paint.
    int LegendWidth(QSize size) const;
    void MeasureLegend(QSize size) const;
    QPointF ToPixel(double step, double value, const QRectF& area) const;

    TPlotData data_;
    bool digits_ = false;
    bool fitted_ = true;
    double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
    bool dragging_ = false;
    QPointF dragFrom_;
    mutable std::vector<TPlotColumn> columns_; // reused by every redraw
    mutable QSize legendFor_;                  // the size the legend was measured for
    mutable int legendWidth_ = 0;
    double lastPaintMs_ = 0;
    double lastPaintColumns_ = 0;
    mutable double paintedColumns_ = 0; // counted by Paint
    long long paints_ = 0;
};

class TPlotWindow final : public QWidget {
public:
    TPlotWindow(QWidget* parent, TPrompter& prompter);
    ~TPlotWindow() override;

    TPlotView& View() { return *view_; }
    // After every step or refresh: records the watched values of the net (a net of another
    // window starts the plot afresh). Only while the window is shown. `watched`, when given,
    // are the net's watched elements in list order (the caller knows them already);
    // `unchanged`, that they and their labels are those of the last Record.
    void Record(TDados* document, long long step,
                const std::vector<TProtoNeuronio*>* watched = nullptr, bool unchanged = false);
    // Draws the new points. During a run at most once per RunSpacingMs, so that drawing takes
    // no more than a thirtieth of a run's time, and yet the picture follows a long run; `now`
    // draws at once (the run has ended).
    void Redraw(bool now = false);
    static constexpr double RunPaintShare = 30;
    // The least time between two redraws during a run: RunPaintShare times what the next
    // paint should take (the last paint's time per column drawn, times the columns to draw
    // now: a picture grows with a run), but at least a frame and at most RunLongestSpacingMs.
    static double RunSpacingMs(double lastPaintMs, double lastColumns, double columnsNow);
    static constexpr double RunFrameMs = 20, RunLongestSpacingMs = 900;
    // A run begins: the picture is current, so the first redraw of the run waits as any other.
    void RunStarted();
    // Export by the file's extension (.png, .svg, .csv); false when it could not be written.
    bool ExportTo(const QString& path);
    void ExportClick();
    // The text of the point last hovered.
    QString PointText() const;
    void ShowPoint(const QString& text);

private:
    TPrompter& prompter_;
    TPlotView* view_;
    QCheckBox* digits_;
    QLabel* point_;
    const TDados* document_ = nullptr;
    QElapsedTimer sinceRedraw_;
    TNetSignals notices_; // of the net recorded
};

} // namespace veltra
