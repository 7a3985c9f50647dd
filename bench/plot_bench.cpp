// How long the Plot window takes to redraw many long series: 100 series of 100,000 steps each
// (random walks), drawn into a 1000 x 600 image. Ours decimates per pixel column; the peer is
// the plain way, every point of every series handed to QPainter::drawPolyline, measured in the
// same run on the same data. Both pictures are drawn once before timing.
// Usage: veltra_plot_bench [series=100] [steps=100000] [repetitions=9]
#include "median.h"
#include "plotdata/plotdata.h"
#include "ui/dialogs/plotwindow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace veltra;
using Clock = std::chrono::steady_clock;

using veltra::bench::Median;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seriesCount = argc > 1 ? std::atoi(argv[1]) : 100;
    const long steps = argc > 2 ? std::atol(argv[2]) : 100000;
    const int repetitions = argc > 3 ? std::atoi(argv[3]) : 9;

    TPlotView view(nullptr);
    view.resize(1000, 600);
    std::mt19937_64 random(11);
    std::normal_distribution<double> walk(0.0, 1.0);
    // Random walks in thousandths, recorded a step at a time across the series as a run
    // records them (a word each: the exact values of ten million points take 80 MB).
    std::vector<int> keys(static_cast<std::size_t>(seriesCount));
    std::vector<double> ys(keys.size());
    std::vector<std::string> labels(keys.size());
    for (int s = 0; s < seriesCount; ++s) {
        ys[static_cast<std::size_t>(s)] = s;
        labels[static_cast<std::size_t>(s)] = "N" + std::to_string(s);
    }
    char text[32];
    for (long i = 0; i < steps; ++i)
        for (int s = 0; s < seriesCount; ++s) {
            double& y = ys[static_cast<std::size_t>(s)];
            y += walk(random);
            std::snprintf(text, sizeof text, "%.3f", y);
            view.Data().Add(&keys[static_cast<std::size_t>(s)], labels[static_cast<std::size_t>(s)],
                            i, TInfinito(text));
        }
    view.Fit();

    QImage image(view.size(), QImage::Format_RGB32);
    auto ours = [&] {
        QPainter painter(&image);
        view.Paint(painter, image.size());
    };
    double x0, x1, y0, y1;
    view.Range(x0, x1, y0, y1);
    auto peer = [&] {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        const double sx = image.width() / (x1 - x0), sy = image.height() / (y1 - y0);
        QPolygonF line;
        for (const TPlotSeries& s : view.Data().Series()) {
            line.clear();
            line.reserve(static_cast<qsizetype>(s.Size()));
            for (std::size_t i = 0; i < s.Size(); ++i)
                line << QPointF((static_cast<double>(s.Steps()[i]) - x0) * sx,
                                image.height() - (s.Drawn(false)[i] - y0) * sy);
            painter.drawPolyline(line);
        }
    };
    // The decimation alone, to tell its share from the drawing's.
    auto decimate = [&] {
        std::vector<TPlotColumn> columns;
        std::size_t total = 0;
        for (const TPlotSeries& s : view.Data().Series()) {
            Decimate(s, false, x0, x1, 924, columns);
            total += columns.size();
        }
        return total;
    };
    ours();
    peer();
    std::vector<double> a, b, c;
    for (int r = 0; r < repetitions; ++r) {
        auto t0 = Clock::now();
        ours();
        a.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        t0 = Clock::now();
        peer();
        b.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        t0 = Clock::now();
        if (decimate() == 0) return 1;
        c.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    const double ma = Median(a), mb = Median(b);
    std::printf("%d series x %ld steps, 1000 x 600, median of %d\n", seriesCount, steps,
                repetitions);
    std::printf("decimated per pixel column   %8.1f ms (target under 50 ms: %s)\n", ma,
                ma < 50 ? "met" : "NOT met");
    std::printf("every point to drawPolyline  %8.1f ms   ours / peer %.3f\n", mb, ma / mb);
    std::printf("of ours, the decimation      %8.1f ms\n", Median(c));
    return 0;
}
