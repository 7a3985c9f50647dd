// The Plot window (its recording is tested without Qt in tests/plotdata): axes, legend and
// redraws, and the window driven through the Execution Browser (series per watched element,
// exact values under the mouse, digits mode, step back, export read back).
#include "execution/stopcondition.h"
#include "model/elementkind.h"
#include "model/neuronio.h"
#include "runbrowser_fixture.h"
#include "ui/dialogs/plotwindow.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runsteering.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace veltra::runview_test {
namespace {

// Step ticks against every spacing of the 1-2-5 ladder tried in turn: the finest that keeps to
// the number asked, its whole multiples within the range.
TEST(PlotAxis, StepTicksAreWholeStepsOfTheFinestSpacingThatFits) {
    std::mt19937 random(10);
    std::vector<long long> ladder;
    for (long long decade = 1; decade <= 1000000000; decade *= 10)
        for (const long long f : {1, 2, 5})
            ladder.push_back(f * decade);
    for (int trial = 0; trial < 2000; ++trial) {
        const double x0 = static_cast<double>(static_cast<int>(random() % 20001) - 10000) / 7;
        const double width = std::pow(10.0, static_cast<double>(random() % 70) / 10) * 0.3;
        const double x1 = x0 + width;
        const int most = 2 + static_cast<int>(random() % 12);
        long long spacing = 0;
        for (const long long candidate : ladder)
            if ((x1 - x0) / static_cast<double>(candidate) <= most - 1) {
                spacing = candidate;
                break;
            }
        ASSERT_GT(spacing, 0);
        std::vector<long long> expected;
        for (long long t =
                 static_cast<long long>(std::ceil(x0 / static_cast<double>(spacing))) * spacing;
             static_cast<double>(t) <= x1; t += spacing)
            expected.push_back(t);
        const std::vector<long long> ticks = StepTicks(x0, x1, most);
        EXPECT_EQ(ticks, expected) << x0 << ".." << x1 << " most " << most;
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(most));
    }
}

// In digits mode the value axis starts at 0, however long the shortest value is.
TEST(PlotAxis, TheDigitsAxisStartsAtZero) {
    TestApp();
    TPlotView view(nullptr);
    int key = 0;
    for (long long step = 0; step < 10; ++step)
        view.Data().Add(&key, "N", step, TInfinito(std::to_string(step * 10 + 100)));
    view.SetDigitsMode(true);
    double x0, x1, y0, y1;
    view.Range(x0, x1, y0, y1);
    EXPECT_EQ(y0, 0);
    EXPECT_GE(y1, 3);
    view.SetDigitsMode(false);
    view.Range(x0, x1, y0, y1);
    EXPECT_GT(y0, 90); // values keep the range they have
    EXPECT_LT(y0, 100);
}

// The legend stands beside the plot, not on it: with every curve out of view, nothing at all
// is drawn inside the plot's frame.
TEST(PlotAxis, TheLegendLeavesThePlotClear) {
    TestApp();
    TPlotView view(nullptr);
    view.resize(640, 400);
    int keys[3];
    for (int k = 0; k < 3; ++k)
        for (long long step = 0; step <= 100; ++step)
            view.Data().Add(&keys[k], "series " + std::to_string(k), step,
                            TInfinito(std::to_string(step * (k + 1))));
    view.Fit();
    view.SetRange(1000, 2000, 1000, 2000); // no point lies here
    QImage image(view.size(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        view.Paint(painter, image.size());
    }
    // The frame, found from the middle of the picture outwards.
    const QPoint middle(image.width() / 2, image.height() / 2);
    const auto black = [&image](int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
    int left = middle.x(), right = middle.x(), top = middle.y(), bottom = middle.y();
    while (left > 0 && !black(left, middle.y()))
        --left;
    while (right < image.width() - 1 && !black(right, middle.y()))
        ++right;
    while (top > 0 && !black(middle.x(), top))
        --top;
    while (bottom < image.height() - 1 && !black(middle.x(), bottom))
        ++bottom;
    ASSERT_GT(right - left, 200);
    int drawn = 0;
    for (int y = top + 1; y < bottom; ++y)
        for (int x = left + 1; x < right; ++x)
            drawn += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(drawn, 0);
    // The legend is there, right of the frame.
    int legend = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = right + 1; x < image.width(); ++x)
            legend += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(legend, 50);
}

// During a run the picture is redrawn at most once per RunPaintShare times what a paint of
// the columns there are now should take at the last paint's cost per column, but never less
// often than RunLongestSpacingMs apart, however long the paint.
TEST(PlotWindowRedraw, SpacingFollowsThePaintsCostUpToACap) {
    struct Case {
        double paintMs, lastColumns, columnsNow, spacingMs;
    };
    for (const Case c :
         {Case{0, 0, 0, 20}, Case{0.5, 100, 100, 20}, Case{1, 100, 100, 30}, Case{10, 100, 50, 300},
          Case{29, 100, 100, 870}, Case{30, 100, 100, 900}, Case{100, 100, 100, 900},
          Case{5000, 1, 1, 900},
          // The first steps' picture was cheap; the run's is larger.
          Case{0.5, 200, 200 * 10, 150}, Case{0.5, 200, 200 * 560, 900}, Case{2, 0, 50, 900}})
        EXPECT_EQ(TPlotWindow::RunSpacingMs(c.paintMs, c.lastColumns, c.columnsNow), c.spacingMs)
            << c.paintMs << " ms, " << c.lastColumns << " then, " << c.columnsNow << " now";
}

class PlotTest : public RunViewTest {
protected:
    TFormRunBrowser& Browser() { return *Find<TFormRunBrowser>("FormRunBrowser"); }
    TPlotWindow& Plot() { return Browser().Steering().Plot(); }
    void Press(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
    // The widget point of a series' point, as the view maps it.
    QPointF PixelOf(long long step, double value) {
        TPlotView& view = Plot().View();
        double x0, x1, y0, y1;
        view.Range(x0, x1, y0, y1);
        const QRectF area = view.PlotArea(view.size());
        return {area.left() + (static_cast<double>(step) - x0) / (x1 - x0) * area.width(),
                area.bottom() - (value - y0) / (y1 - y0) * area.height()};
    }
};

TEST_F(PlotTest, SeriesFollowTheRunAndShowExactValuesDigitsAndExports) {
    Open(DataPath("run/halving.net")); // N: 0.25, 0.375, 0.4375, ... and Out's record
    Find<QAction>("Execution1")->trigger();
    Find<QAction>("Plot1")->trigger(); // the View menu's Plot
    ASSERT_TRUE(Plot().isVisible());
    Find<QSpinBox>("SpinRunSteps")->setValue(30);
    Press("ButtonRunSteps");
    Plot().View().Data().Settle(); // the digit counts too, which the picture of values skips
    const auto& series = Plot().View().Data().Series();
    ASSERT_EQ(series.size(), 2u); // N and Out are watched; the bias is never listed
    EXPECT_EQ(series[0].Label(), "N");
    EXPECT_EQ(series[0].Size(), 31u); // step 0 when the plot opened, then 30 steps
    EXPECT_EQ(series[0].Exact()[3].ToText(), "0.46875");
    EXPECT_EQ(series[0].Drawn(true)[30], 32); // 0.5 - 0.25 / 2^30 has 32 digits after the point

    // The point under the mouse shows its exact value.
    Plot().View().Fit();
    EXPECT_EQ(Plot().View().PointText(PixelOf(3, 0.46875)), "N, step 3: 0.46875");
    EXPECT_EQ(Plot().View().PointText(PixelOf(15, 0.1)), "");
    Find<QCheckBox>("CheckDigits")->setChecked(true);
    EXPECT_EQ(Plot().View().PointText(PixelOf(3, 5)), "N, step 3: 0.46875 (5 digits)");
    Find<QCheckBox>("CheckDigits")->setChecked(false);

    // Zoom in around step 10 and back out: the range shrinks and Fit restores it.
    double x0, x1, y0, y1;
    Plot().View().Range(x0, x1, y0, y1);
    Plot().View().Zoom(PixelOf(10, 0.4), 0.5, false);
    double z0, z1, w0, w1;
    Plot().View().Range(z0, z1, w0, w1);
    EXPECT_NEAR(z1 - z0, (x1 - x0) / 2, 1e-9);
    EXPECT_TRUE(z0 <= 10 && 10 <= z1);
    Press("ButtonFit");
    Plot().View().Range(z0, z1, w0, w1);
    EXPECT_EQ(std::make_pair(z0, z1), std::make_pair(x0, x1));

    // Stepping back takes the later points away as they are stepped again.
    const std::string at26 = series[0].Exact()[26].ToText();
    for (int i = 0; i < 5; ++i)
        Press("ButtonStepBack");
    EXPECT_EQ(series[0].Steps().back(), 25);
    Press("step");
    EXPECT_EQ(series[0].Steps().back(), 26);
    EXPECT_EQ(series[0].Exact().back().ToText(), at26);
    // The extremes kept as points come and go are those of the points left.
    double bx0, bx1, by0, by1;
    ASSERT_TRUE(Plot().View().Data().Bounds(false, bx0, bx1, by0, by1));
    EXPECT_EQ(std::make_pair(bx0, bx1), std::make_pair(0.0, 26.0));
    EXPECT_EQ(std::make_pair(by0, by1), std::make_pair(0.25, series[0].Drawn(false).back()));

    QTemporaryDir dir;
    const QString csv = dir.filePath("plot.csv"), png = dir.filePath("plot.png"),
                  svg = dir.filePath("plot.svg");
    ASSERT_TRUE(Plot().ExportTo(csv));
    ASSERT_TRUE(Plot().ExportTo(png));
    ASSERT_TRUE(Plot().ExportTo(svg));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 27);
    EXPECT_EQ(lines[0], "step,N,Out");
    EXPECT_EQ(lines[4], "3,0.46875,0.46875"); // Out records N as N has just committed it
    EXPECT_EQ(QImage(png).size(), Plot().View().size());
    QFile drawing(svg);
    ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(drawing.readAll()).count("<polyline"), 2);

    // Through the Export button: the file name comes from the save dialog.
    Press("ButtonExport");
    EXPECT_TRUE(prompter->messages.isEmpty()); // cancelled (empty name): nothing written
}

// After a run whose values outgrow a word, the CSV holds every step's value exactly, worked
// out here afresh: N after step k is 1/2 - 1/4 * (1/2)^k.
TEST_F(PlotTest, CsvAfterARunHoldsEveryExactValue) {
    Open(DataPath("run/halving.net"));
    Find<QAction>("Execution1")->trigger();
    Find<QAction>("Plot1")->trigger();
    Find<QSpinBox>("SpinRunSteps")->setValue(60);
    Press("ButtonRunSteps");
    const TExactValues& exact = Plot().View().Data().Series()[0].Exact();
    ASSERT_EQ(exact.size(), 61u);
    EXPECT_GT(exact.Whole(), 0u);
    EXPECT_LT(exact.Whole(), 61u);
    QTemporaryDir dir;
    const QString csv = dir.filePath("plot.csv");
    ASSERT_TRUE(Plot().ExportTo(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 61);
    const TInfinito half("0.5");
    TInfinito fall("0.25");
    for (int k = 0; k <= 60; ++k) {
        const QStringList cells = lines[k + 1].split(',');
        ASSERT_EQ(cells.size(), 3);
        EXPECT_EQ(cells[0], QString::number(k));
        EXPECT_EQ(cells[1].toStdString(), TInfinito::Add(half, fall.Negated()).ToText()) << k;
        fall = TInfinito::Multiply(fall, half);
    }
}

} // namespace
} // namespace veltra::runview_test
