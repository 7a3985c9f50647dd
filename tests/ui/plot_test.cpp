// The Plot window: decimation against a brute-force grouping of every point, and the window
// driven through the Execution Browser (series per watched element, exact values under the
// mouse, digits mode, step back, export read back).
#include "runbrowser_fixture.h"
#include "ui/dialogs/plotwindow.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runsteering.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <map>
#include <random>

namespace veltra::runview_test {
namespace {

TEST(PlotDecimation, EveryColumnHoldsTheLowestAndHighestOfItsPoints) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        TPlotSeries s;
        const int n = 1 + static_cast<int>(random() % 3000);
        long long step = static_cast<long long>(random() % 5);
        const bool consecutive = random() % 2; // as a run records them, or with gaps
        for (int i = 0; i < n; ++i) {
            step += 1 + (consecutive ? 0 : static_cast<long long>(random() % 3));
            s.steps.push_back(step);
            s.values.push_back(static_cast<double>(static_cast<int>(random() % 2001) - 1000));
            s.digits.push_back(static_cast<double>(random() % 50));
        }
        s.Summarise();
        const bool digits = random() % 2;
        const double x0 = static_cast<double>(random() % static_cast<unsigned>(step + 1)) - 3;
        const double x1 = x0 + 1 + static_cast<double>(random() % static_cast<unsigned>(step + 5));
        const int width = 1 + static_cast<int>(random() % 700);
        std::vector<TPlotColumn> columns;
        Decimate(s, digits, x0, x1, width, columns);
        // The oracle: every point's column, the extremes gathered per column.
        std::map<int, std::pair<double, double>> expected;
        for (std::size_t i = 0; i < s.steps.size(); ++i) {
            const int x = static_cast<int>(
                std::floor((static_cast<double>(s.steps[i]) - x0) * (width / (x1 - x0))));
            if (x < 0 || x >= width) continue;
            const double y = digits ? s.digits[i] : s.values[i];
            auto [it, fresh] = expected.try_emplace(x, y, y);
            if (!fresh)
                it->second = {std::min(it->second.first, y), std::max(it->second.second, y)};
        }
        std::map<int, std::pair<double, double>> got;
        for (const TPlotColumn& c : columns) {
            if (c.x < 0 || c.x >= width) continue;
            ASSERT_TRUE(got.emplace(c.x, std::make_pair(c.low, c.high)).second) << "column twice";
        }
        ASSERT_EQ(got, expected) << "trial " << trial;
        ASSERT_LE(columns.size(), static_cast<std::size_t>(width) + 2);
    }
}

TEST(PlotValues, BlocksKeepEveryNumberThroughGrowingAndShrinking) {
    TValueBlocks values;
    auto text = [](std::size_t i) { return std::to_string(i) + ".5"; };
    for (std::size_t i = 0; i < 2500; ++i)
        values.push_back(TInfinito(text(i)));
    const TInfinito* first = &values[0];
    ASSERT_EQ(values.size(), 2500u);
    EXPECT_EQ(&values[0], first) << "growing never moves a number";
    for (const std::size_t keep :
         {std::size_t{2100}, std::size_t{2048}, std::size_t{1024}, std::size_t{1000}}) {
        values.shrink(keep);
        ASSERT_EQ(values.size(), keep);
        EXPECT_EQ(values.back().ToText(), text(keep - 1));
        values.push_back(TInfinito("-1"));
        EXPECT_EQ(values[keep].ToText(), "-1");
        EXPECT_EQ(values[keep - 1].ToText(), text(keep - 1));
        values.shrink(keep);
    }
    values.shrink(0);
    EXPECT_TRUE(values.empty());
    values.push_back(TInfinito("7"));
    EXPECT_EQ(values.back().ToText(), "7");
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
        const QRectF area(64, 10, view.width() - 76, view.height() - 36);
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
    const auto& series = Plot().View().Data().Series();
    ASSERT_EQ(series.size(), 2u); // N and Out are watched; the bias is never listed
    EXPECT_EQ(series[0].label, "N");
    EXPECT_EQ(series[0].Size(), 31u); // step 0 when the plot opened, then 30 steps
    EXPECT_EQ(series[0].exact[3].ToText(), "0.46875");
    EXPECT_EQ(series[0].digits[30], 32); // 0.5 - 0.25 / 2^30 has 32 digits after the point

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
    const std::string at26 = series[0].exact[26].ToText();
    for (int i = 0; i < 5; ++i)
        Press("ButtonStepBack");
    EXPECT_EQ(series[0].steps.back(), 25);
    Press("step");
    EXPECT_EQ(series[0].steps.back(), 26);
    EXPECT_EQ(series[0].exact.back().ToText(), at26);
    // The extremes kept as points come and go are those of the points left.
    double bx0, bx1, by0, by1;
    ASSERT_TRUE(Plot().View().Data().Bounds(false, bx0, bx1, by0, by1));
    EXPECT_EQ(std::make_pair(bx0, bx1), std::make_pair(0.0, 26.0));
    EXPECT_EQ(std::make_pair(by0, by1), std::make_pair(0.25, series[0].values.back()));

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

} // namespace
} // namespace veltra::runview_test
