#include "ui/dialogs/plotwindow.h"

#include "model/dados.h"
#include "ui/numbertip.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace veltra {

namespace {

constexpr int MarginLeft = 64, MarginRight = 12, MarginTop = 10, MarginBottom = 26;
constexpr double HoverPixels = 6;
constexpr int LegendRows = 12;
// The legend's column right of the plot: its sample line and gaps beside the longest label,
// which takes at most a third of the picture.
constexpr int LegendSample = 32, LegendGap = 8;

QColor SeriesColour(std::size_t i) {
    // Hues spread by the golden angle stay apart however many series there are.
    return QColor::fromHsv(static_cast<int>((i * 137) % 360), 200, 190);
}

QString Number(double v) {
    return QString::number(v, 'g', 6);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

QString XmlText(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

} // namespace

TPlotView::TPlotView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PlotView"));
    setMouseTracking(true);
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPlotView::SetDigitsMode(bool digits) {
    digits_ = digits;
    Fit();
}

void TPlotView::Settle() {
    data_.Settle(digits_);
}

void TPlotView::Fit() {
    fitted_ = true;
    Settle();
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    if (data_.Bounds(digits_, x0, x1, y0, y1)) {
        // Lengths are counted from nothing: the digits axis starts at 0.
        if (digits_) y0 = 0;
        if (x1 <= x0) x1 = x0 + 1;
        if (y1 <= y0) {
            y0 -= 0.5;
            y1 += 0.5;
        }
        const double pad = (y1 - y0) * 0.05;
        if (!digits_) y0 -= pad;
        y1 += pad;
    }
    x0_ = x0, x1_ = x1, y0_ = y0, y1_ = y1;
    update();
}

void TPlotView::Range(double& x0, double& x1, double& y0, double& y1) const {
    x0 = x0_, x1 = x1_, y0 = y0_, y1 = y1_;
}

void TPlotView::SetRange(double x0, double x1, double y0, double y1) {
    if (!(x1 > x0) || !(y1 > y0)) return;
    x0_ = x0, x1_ = x1, y0_ = y0, y1_ = y1;
    fitted_ = false;
    update();
}

void TPlotView::Zoom(QPointF at, double factor, bool values) {
    const QRectF area = PlotArea(size());
    if (values) {
        const double y = y1_ - (at.y() - area.top()) / area.height() * (y1_ - y0_);
        SetRange(x0_, x1_, y + (y0_ - y) * factor, y + (y1_ - y) * factor);
    } else {
        const double x = x0_ + (at.x() - area.left()) / area.width() * (x1_ - x0_);
        SetRange(x + (x0_ - x) * factor, x + (x1_ - x) * factor, y0_, y1_);
    }
}

std::vector<long long> StepTicks(double x0, double x1, int most) {
    std::vector<long long> ticks;
    if (!(x1 >= x0) || most < 1 || !std::isfinite(x0) || !std::isfinite(x1)) return ticks;
    // 1, 2 or 5 times a power of ten, never less than one step, so that at most `most` fit.
    double spacing = 1;
    for (double decade = 1;; decade *= 10) {
        bool found = false;
        for (const double f : {1.0, 2.0, 5.0})
            if ((x1 - x0) / (f * decade) <= most - 1) {
                spacing = f * decade;
                found = true;
                break;
            }
        if (found || decade > 1e300) break;
    }
    for (double t = std::ceil(x0 / spacing) * spacing; t <= x1; t += spacing)
        ticks.push_back(std::llround(t));
    return ticks;
}

int TPlotView::LegendWidth(QSize size) const {
    if (data_.SeriesCount() == 0) return 0;
    if (size == legendFor_) return legendWidth_;
    const QFontMetrics metrics(font());
    int width = 0;
    std::size_t n = 0;
    for (const TPlotSeries& s : data_.Series()) {
        if (n++ == LegendRows) break;
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(s.Label())));
    }
    if (data_.SeriesCount() > LegendRows)
        width = std::max(width, metrics.horizontalAdvance(QStringLiteral("... 99999 more")));
    return std::min(width + LegendSample + LegendGap, size.width() / 3);
}

void TPlotView::MeasureLegend(QSize size) const {
    legendFor_ = QSize();
    legendWidth_ = LegendWidth(size);
    legendFor_ = size;
}

QRectF TPlotView::PlotArea(QSize size) const {
    // The legend has a column of its own, right of the plot, and so never covers a curve.
    const int right = MarginRight + LegendWidth(size);
    return QRectF(MarginLeft, MarginTop, std::max(1, size.width() - MarginLeft - right),
                  std::max(1, size.height() - MarginTop - MarginBottom));
}

QPointF TPlotView::ToPixel(double step, double value, const QRectF& area) const {
    return {area.left() + (step - x0_) / (x1_ - x0_) * area.width(),
            area.bottom() - (value - y0_) / (y1_ - y0_) * area.height()};
}

void TPlotView::Paint(QPainter& painter, QSize size) const {
    // The labels as they are now (reading them settles the series, which painting does
    // anyway); between paints the mouse works on the picture as drawn.
    MeasureLegend(size);
    const QRectF area = PlotArea(size);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(area);
    // Steps are whole: ticks at whole steps only, as many as fit their numbers. Values at
    // the ends and the middle; the digits mode says what it counts.
    const int most = std::max(2, static_cast<int>(area.width() / 80));
    for (const long long step : StepTicks(x0_, x1_, most)) {
        const double x =
            area.left() + (static_cast<double>(step) - x0_) / (x1_ - x0_) * area.width();
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3));
        painter.drawText(QRectF(x - 50, area.bottom() + 4, 100, 18), Qt::AlignHCenter,
                         QString::number(step));
    }
    for (int i = 0; i <= 2; ++i) {
        const double fx = i / 2.0;
        const double value = y0_ + fx * (y1_ - y0_);
        const double y = area.bottom() - fx * area.height();
        painter.drawText(QRectF(2, y - 9, MarginLeft - 6, 18), Qt::AlignRight | Qt::AlignVCenter,
                         Number(value));
    }
    if (digits_)
        painter.drawText(QRectF(area.left() + 4, area.top() + 2, 120, 16),
                         QStringLiteral("digits"));

    painter.save();
    painter.setClipRect(area);
    const auto& series = data_.Series();
    const double scale = area.height() / (y1_ - y0_);
    QPolygonF line;
    paintedColumns_ = 0;
    for (std::size_t i = 0; i < series.size(); ++i) {
        Decimate(series[i], digits_, x0_, x1_, static_cast<int>(area.width()), columns_);
        paintedColumns_ += static_cast<double>(columns_.size());
        line.clear();
        for (const TPlotColumn& c : columns_) {
            const double x = area.left() + c.x;
            line << QPointF(x, area.bottom() - (c.low - y0_) * scale);
            if (c.high != c.low) line << QPointF(x, area.bottom() - (c.high - y0_) * scale);
        }
        // A cosmetic pen takes the raster engine's line path, not its stroker.
        QPen pen(SeriesColour(i), 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        if (line.size() == 1)
            painter.drawPoint(line.front());
        else
            painter.drawPolyline(line);
    }
    painter.restore();

    // Legend, in its column right of the plot: a line in the series' colour and its label.
    const int shown = static_cast<int>(std::min<std::size_t>(series.size(), LegendRows));
    const int rows = shown + (series.size() > LegendRows ? 1 : 0);
    if (rows == 0) return;
    const QRectF box(area.right() + LegendGap / 2.0, area.top(),
                     LegendWidth(size) - LegendGap / 2.0, rows * 16 + 6);
    painter.save();
    painter.setClipRect(box);
    for (int i = 0; i < shown; ++i) {
        const double y = box.top() + 11 + i * 16;
        painter.setPen(QPen(SeriesColour(static_cast<std::size_t>(i)), 2));
        painter.drawLine(QPointF(box.left() + 4, y), QPointF(box.left() + 22, y));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(box.left() + 26, y + 4),
                         QString::fromStdString(series[static_cast<std::size_t>(i)].Label()));
    }
    if (series.size() > LegendRows)
        painter.drawText(QPointF(box.left() + 26, box.top() + 15 + shown * 16),
                         QStringLiteral("... %1 more").arg(series.size() - LegendRows));
    painter.restore();
}

void TPlotView::paintEvent(QPaintEvent*) {
    // The points recorded since the last paint are settled first and not timed: that work
    // grows with the time between paints, and counted as painting it would push the next
    // paint further off every time.
    Settle();
    QElapsedTimer clock;
    clock.start();
    QPainter painter(this);
    Paint(painter, size());
    lastPaintMs_ = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    lastPaintColumns_ = paintedColumns_;
    ++paints_;
}

double TPlotView::ColumnsNow() const {
    const double width = PlotArea(size()).width();
    return static_cast<double>(data_.SeriesCount()) *
           std::min(width, static_cast<double>(data_.LongestSeries()));
}

QString TPlotView::PointText(QPointF at) const {
    const QRectF area = PlotArea(size());
    if (!area.contains(at)) return {};
    const long long step = std::llround(x0_ + (at.x() - area.left()) / area.width() * (x1_ - x0_));
    double best = HoverPixels;
    QString text;
    for (const TPlotSeries& s : data_.Series()) {
        const long long i = s.Find(step);
        if (i < 0 || static_cast<std::size_t>(i) >= s.Settled(digits_)) continue;
        const auto k = static_cast<std::size_t>(i);
        const double y = s.Drawn(digits_)[k];
        const QPointF p = ToPixel(static_cast<double>(step), y, area);
        const double d = std::hypot(p.x() - at.x(), p.y() - at.y());
        if (d >= best) continue; // on a tie the first series listed wins
        best = d;
        text = QStringLiteral("%1, step %2: %3")
                   .arg(QString::fromStdString(s.Label()))
                   .arg(step)
                   .arg(ListedText(s.Exact().TextEnds(k, ListedAsk, ListedAsk)));
        if (digits_) text += QStringLiteral(" (%1 digits)").arg(y, 0, 'f', 0);
    }
    return text;
}

void TPlotView::wheelEvent(QWheelEvent* event) {
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    Zoom(event->position(), factor, event->modifiers() & Qt::ShiftModifier);
    event->accept();
}

void TPlotView::mousePressEvent(QMouseEvent* event) {
    dragging_ = event->button() == Qt::LeftButton;
    dragFrom_ = event->position();
}

void TPlotView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QRectF area = PlotArea(size());
        const QPointF d = event->position() - dragFrom_;
        dragFrom_ = event->position();
        const double dx = -d.x() / area.width() * (x1_ - x0_);
        const double dy = d.y() / area.height() * (y1_ - y0_);
        SetRange(x0_ + dx, x1_ + dx, y0_ + dy, y1_ + dy);
        return;
    }
    Settle();
    const QString text = PointText(event->position());
    if (auto* window = dynamic_cast<TPlotWindow*>(parentWidget())) window->ShowPoint(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void TPlotView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

QString TPlotView::Svg() const {
    const QSize size = this->size();
    MeasureLegend(size);
    const QRectF area = PlotArea(size);
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                 "height=\"%2\">\n<rect width=\"100%\" height=\"100%\" "
                                 "fill=\"white\"/>\n<rect x=\"%3\" y=\"%4\" width=\"%5\" "
                                 "height=\"%6\" fill=\"none\" stroke=\"black\"/>\n")
                      .arg(size.width())
                      .arg(size.height())
                      .arg(area.left())
                      .arg(area.top())
                      .arg(area.width())
                      .arg(area.height());
    const auto& series = data_.Series();
    const double scale = area.height() / (y1_ - y0_);
    for (std::size_t i = 0; i < series.size(); ++i) {
        Decimate(series[i], digits_, x0_, x1_, static_cast<int>(area.width()), columns_);
        QString points;
        for (const TPlotColumn& c : columns_) {
            const double x = area.left() + c.x;
            points += QStringLiteral("%1,%2 ").arg(x).arg(area.bottom() - (c.low - y0_) * scale);
            if (c.high != c.low)
                points +=
                    QStringLiteral("%1,%2 ").arg(x).arg(area.bottom() - (c.high - y0_) * scale);
        }
        svg +=
            QStringLiteral("<polyline fill=\"none\" stroke=\"%1\" points=\"%2\"><title>%3</title>"
                           "</polyline>\n")
                .arg(SeriesColour(i).name(), points.trimmed(), XmlText(series[i].Label()));
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" fill=\"%3\" font-size=\"12\">%4</text>\n")
                   .arg(area.right() + LegendGap)
                   .arg(area.top() + 16 + 14 * static_cast<double>(i))
                   .arg(SeriesColour(i).name(), XmlText(series[i].Label()));
    }
    return svg + QStringLiteral("</svg>\n");
}

std::string TPlotView::Csv() const {
    const auto& series = data_.Series();
    std::string csv = "step";
    for (const TPlotSeries& s : series) {
        csv += ',';
        csv += CsvField(s.Label());
    }
    csv += "\r\n";
    // Steps in order across all series; a series without a point there leaves its field empty.
    std::vector<std::size_t> at(series.size(), 0);
    std::vector<std::size_t> end(series.size());
    for (std::size_t i = 0; i < series.size(); ++i)
        end[i] = series[i].Settled(digits_);
    while (true) {
        long long step = -1;
        for (std::size_t i = 0; i < series.size(); ++i)
            if (at[i] < end[i] && (step < 0 || series[i].Steps()[at[i]] < step))
                step = series[i].Steps()[at[i]];
        if (step < 0) break;
        csv += std::to_string(step);
        for (std::size_t i = 0; i < series.size(); ++i) {
            csv += ',';
            if (at[i] < end[i] && series[i].Steps()[at[i]] == step) {
                csv += digits_
                           ? std::to_string(static_cast<long long>(series[i].Drawn(true)[at[i]]))
                           : series[i].Exact().Text(at[i]);
                ++at[i];
            }
        }
        csv += "\r\n";
    }
    return csv;
}

TPlotWindow::TPlotWindow(QWidget* parent, TPrompter& prompter)
    : QWidget(parent, Qt::Tool), prompter_(prompter) {
    setObjectName(QStringLiteral("FormPlot"));
    setWindowTitle(QStringLiteral("Plot"));
    resize(640, 400);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout();
    digits_ = new QCheckBox(QStringLiteral("digits"), this);
    digits_->setObjectName(QStringLiteral("CheckDigits"));
    auto* fit = new QPushButton(QStringLiteral("Fit"), this);
    fit->setObjectName(QStringLiteral("ButtonFit"));
    auto* exportButton = new QPushButton(QStringLiteral("Export..."), this);
    exportButton->setObjectName(QStringLiteral("ButtonExport"));
    point_ = new QLabel(this);
    point_->setObjectName(QStringLiteral("LabelPoint"));
    point_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar->addWidget(digits_);
    bar->addWidget(fit);
    bar->addWidget(exportButton);
    bar->addWidget(point_, 1);
    view_ = new TPlotView(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    connect(digits_, &QCheckBox::toggled, this, [this](bool on) { view_->SetDigitsMode(on); });
    connect(fit, &QPushButton::clicked, this, [this] { view_->Fit(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportClick(); });
    // Series forget elements as they are released; the recorded points stay.
    connect(&notices_, &TNetSignals::elementLeaving, this,
            [this](const TProtoNeuronio* e, bool released) {
                if (released) view_->Data().Forget(e);
            });
    connect(&notices_, &TNetSignals::netReleased, this, [this] { document_ = nullptr; });
}

TPlotWindow::~TPlotWindow() {
    notices_.StopObservingAll();
}

void TPlotWindow::Record(TDados* document, long long step,
                         const std::vector<TProtoNeuronio*>* watched, bool unchanged) {
    if (!isVisible()) return;
    if (document == nullptr) {
        // No net is open: nothing to show, not the last net's series.
        if (document_ != nullptr || !view_->Data().Empty()) {
            view_->Data().Clear();
            document_ = nullptr;
            notices_.StopObservingAll();
            Redraw(true);
        }
        return;
    }
    if (document != document_) {
        view_->Data().Clear();
        document_ = document;
        notices_.StopObservingAll();
    }
    // Again each time (once is kept once): the window may have been given another net.
    notices_.Observe(document->Elements());
    if (watched != nullptr)
        view_->Data().Record(step, *watched, unchanged);
    else
        view_->Data().Record(step, document->Elements());
}

void TPlotWindow::RunStarted() {
    sinceRedraw_.start(); // the picture is up to date: the first redraw waits as any other
}

double TPlotWindow::RunSpacingMs(double lastPaintMs, double lastColumns, double columnsNow) {
    // A frame at most, and at most one paint per RunPaintShare times a paint's time: a
    // picture of many long series can take tens of milliseconds, and a run should not spend
    // more than a small share of its time drawing. A paint costs about as much per column as
    // the last (the picture of a run's first steps is soon much larger than when it began).
    // But a picture left for seconds looks stuck; the event loop's passes (at most
    // LongestSliceMs apart) add a little to the longest wait.
    const double expectedMs = lastPaintMs * std::max(1.0, columnsNow / std::max(1.0, lastColumns));
    return std::clamp(RunPaintShare * expectedMs, RunFrameMs, RunLongestSpacingMs);
}

void TPlotWindow::Redraw(bool now) {
    if (!isVisible()) return;
    // Outside a run every step is in its series at once, whatever is drawn when.
    if (now) view_->Settle();
    const double wait =
        RunSpacingMs(view_->LastPaintMs(), view_->LastPaintColumns(), view_->ColumnsNow());
    if (!now && sinceRedraw_.isValid() && static_cast<double>(sinceRedraw_.elapsed()) < wait)
        return;
    sinceRedraw_.start();
    if (view_->Fitted())
        view_->Fit();
    else
        view_->update();
}

QString TPlotWindow::PointText() const {
    return point_->text();
}

void TPlotWindow::ShowPoint(const QString& text) {
    point_->setText(text);
}

bool TPlotWindow::ExportTo(const QString& path) {
    view_->Settle(); // every point recorded, as a paint would show it
    const QString lower = path.toLower();
    if (lower.endsWith(QStringLiteral(".png"))) {
        QImage image(view_->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view_->Paint(painter, image.size());
        painter.end();
        return image.save(path, "PNG");
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = lower.endsWith(QStringLiteral(".svg"))
                                 ? view_->Svg().toUtf8()
                                 : QByteArray::fromStdString(view_->Csv());
    return file.write(bytes) == bytes.size() && file.flush();
}

void TPlotWindow::ExportClick() {
    TFileRequest request;
    request.title = QStringLiteral("Export Plot");
    request.filter = QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;CSV values (*.csv)");
    request.defaultSuffix = QStringLiteral("png");
    const QString path = prompter_.SaveFileName(this, request);
    if (path.isEmpty()) return;
    if (!ExportTo(path)) prompter_.Message(this, QStringLiteral("Cannot write ") + path);
}

} // namespace veltra
