// The Plot window: decimation against a brute-force grouping of every point, and the window
// driven through the Execution Browser (series per watched element, exact values under the
// mouse, digits mode, step back, export read back).
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

// Steps kept as runs against a plain list of them: appended one by one and in runs, with
// gaps, cut back, looked up by index (near the last lookup and far from it) and by step.
TEST(PlotValues, StepRunsGiveBackEveryStep) {
    std::mt19937 random(5);
    TStepList steps;
    std::vector<long long> plain;
    for (int round = 0; round < 3000; ++round) {
        const unsigned what = random() % 10;
        const long long next = plain.empty() ? 0 : plain.back() + 1 + (random() % 4 == 0 ? 3 : 0);
        if (what < 5) {
            steps.push_back(next);
            plain.push_back(next);
        } else if (what < 8) {
            const std::size_t count = random() % 40;
            steps.AppendRun(next, count);
            for (std::size_t k = 0; k < count; ++k)
                plain.push_back(next + static_cast<long long>(k));
        } else if (!plain.empty()) {
            const std::size_t keep = random() % (plain.size() + 1);
            steps.shrink(keep);
            plain.resize(keep);
        }
        ASSERT_EQ(steps.size(), plain.size());
        if (plain.empty()) continue;
        ASSERT_EQ(steps.front(), plain.front());
        ASSERT_EQ(steps.back(), plain.back());
        for (int probe = 0; probe < 4; ++probe) {
            const std::size_t i = random() % plain.size();
            ASSERT_EQ(steps[i], plain[i]) << i;
            const long long step = plain[i] - 2 + static_cast<long long>(random() % 4);
            ASSERT_EQ(steps.LowerBound(step),
                      static_cast<std::size_t>(std::lower_bound(plain.begin(), plain.end(), step) -
                                               plain.begin()))
                << step;
        }
    }
}

// The compact store against the numbers themselves: text, number, double and digit count of
// every value, short and long, signed, zero, near the point and far from it, and the layouts
// sums and products leave behind; through shrinking too.
TEST(PlotValues, WordsGiveBackEveryValueExactly) {
    std::mt19937_64 random(11);
    auto digit = [&](bool nonZero) {
        return static_cast<char>('0' + (nonZero ? 1 + random() % 9 : random() % 10));
    };
    // `count` significant digits (some of them trailing zeros) times 10^power.
    auto number = [&](int count, int power) {
        std::string digits(1, digit(true));
        for (int i = 1; i < count; ++i)
            digits += digit(false);
        std::string text = random() % 2 ? "-" : "";
        const int size = static_cast<int>(digits.size());
        if (power >= 0) return text + digits + std::string(static_cast<std::size_t>(power), '0');
        if (size > -power)
            return text + digits.substr(0, static_cast<std::size_t>(size + power)) + "." +
                   digits.substr(static_cast<std::size_t>(size + power));
        return text + "0." + std::string(static_cast<std::size_t>(-power - size), '0') + digits;
    };
    std::vector<TInfinito> recorded;
    TExactValues store;
    auto record = [&](const TInfinito& value, bool compact) {
        const std::size_t whole = store.Whole();
        recorded.push_back(value);
        store.push_back(value);
        if (compact) {
            EXPECT_EQ(store.Whole(), whole) << value.ToText() << " fits a word";
        }
    };
    auto check = [&] {
        ASSERT_EQ(store.size(), recorded.size());
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            const TInfinito& value = recorded[i];
            const TInfinito::TDigits d = value.Digits();
            ASSERT_EQ(store.Text(i), value.ToText()) << i;
            ASSERT_EQ(store[i].ToText(), value.ToText()) << i;
            ASSERT_EQ(TInfinito::Compare(store[i], value), 0) << i;
            ASSERT_EQ(store.Double(i), ToDouble(value)) << value.ToText();
            ASSERT_TRUE(std::isfinite(store.Double(i))) << "far beyond double's range too";
            ASSERT_EQ(store.DigitCount(i), static_cast<double>(d.whole + d.fraction))
                << value.ToText();
        }
    };
    record(TInfinito(), false);
    record(TInfinito("0"), true);
    record(TInfinito("-0"), false);
    for (int i = 0; i < 6000; ++i) {
        const int kind = static_cast<int>(random() % 6);
        if (kind == 0 && recorded.size() > 2) {
            // Sums that cancel, and products: zero groups at either end.
            const TInfinito& a = recorded[random() % recorded.size()];
            const TInfinito& b = recorded[random() % recorded.size()];
            record(random() % 2 ? TInfinito::Multiply(a, b)
                                : TInfinito::Add(a, TInfinito::Add(a, b).Negated()),
                   false);
            continue;
        }
        const int count = 1 + static_cast<int>(random() % (kind == 1 ? 60 : 16));
        const int reach = kind == 2 ? 700 : 60;
        const int power = static_cast<int>(random() % (2 * reach + 1)) - reach;
        record(TInfinito(number(count, power)), kind != 1 && kind != 2);
    }
    check();
    EXPECT_GT(store.Whole(), 100u);
    EXPECT_LT(store.Whole(), store.size() / 2);
    for (const std::size_t keep : {std::size_t{5000}, std::size_t{4321}, std::size_t{7}}) {
        store.shrink(keep);
        recorded.resize(keep);
        for (int i = 0; i < 300; ++i)
            record(TInfinito(number(1 + static_cast<int>(random() % 40),
                                    static_cast<int>(random() % 81) - 40)),
                   false);
        check();
    }
}

// Recording against a plain record of every point: steps taken back, series that join, leave
// and change places, and the series read at random moments in between.
TEST(PlotValues, RecordingKeepsEveryPointWhateverIsReadWhen) {
    std::mt19937 random(23);
    std::vector<std::unique_ptr<TNeuronio>> neurons;
    for (int i = 0; i < 12; ++i) {
        neurons.push_back(std::make_unique<TNeuronio>());
        neurons.back()->SetLabel("N" + std::to_string(i));
    }
    TPlotData data;
    std::map<const void*, std::vector<std::pair<long long, std::string>>> expected;
    long long step = 0;
    std::vector<TProtoNeuronio*> watched = {neurons[0].get(), neurons[1].get()};
    for (int round = 0; round < 3000; ++round) {
        const unsigned what = random() % 100;
        if (what < 3) { // another element watched, or one less, or the order changed
            TProtoNeuronio* n = neurons[random() % neurons.size()].get();
            const auto at = std::find(watched.begin(), watched.end(), n);
            if (at == watched.end())
                watched.insert(watched.begin() + random() % (watched.size() + 1), n);
            else if (watched.size() > 1)
                watched.erase(at);
        } else if (what < 6) {
            step = std::max(0LL, step - static_cast<long long>(random() % 20)); // step back
        } else if (what < 9) {
            data.Settle();
        }
        for (TProtoNeuronio* n : watched) {
            const std::string text = (random() % 2 ? "-" : "") + std::to_string(random() % 1000) +
                                     "." + std::string(random() % 3 == 0 ? 30 : 0, '7') +
                                     std::to_string(random() % 100);
            n->SetValue(TInfinito(text));
            auto& points = expected[n];
            while (!points.empty() && points.back().first >= step)
                points.pop_back();
            points.emplace_back(step, n->GetValue().ToText());
        }
        data.Record(step, watched);
        ++step;
    }
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), expected.size());
    for (const TPlotSeries& s : series) {
        const auto& points = expected.at(s.key);
        ASSERT_EQ(s.Size(), points.size()) << s.label;
        ASSERT_EQ(s.values.size(), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_EQ(s.steps[i], points[i].first) << s.label << " " << i;
            ASSERT_EQ(s.exact.Text(i), points[i].second) << s.label << " " << i;
            ASSERT_EQ(s.values[i], ToDouble(TInfinito(points[i].second)));
        }
    }
}

// A run's recording, which reads only the values while the caller vouches that the elements
// and labels are those of the last step, against a plain record of every point: over enough
// steps that points move into their series during the run, with steps taken back, elements
// listed twice, labels changed between runs, a caller's claim that does not hold, and one
// mode's doubles worked out long before the other's.
TEST(PlotValues, RecordingAStepsValuesAloneKeepsEveryPoint) {
    std::mt19937 random(31);
    std::vector<std::unique_ptr<TNeuronio>> neurons;
    for (int i = 0; i < 40; ++i) {
        neurons.push_back(std::make_unique<TNeuronio>());
        neurons.back()->SetLabel("N" + std::to_string(i));
    }
    TPlotData data;
    std::map<const void*, std::vector<std::pair<long long, TInfinito>>> expected;
    std::map<const void*, std::string> labels; // as last recorded
    std::vector<TProtoNeuronio*> watched;
    for (auto& n : neurons)
        watched.push_back(n.get());
    long long step = 0;
    bool changed = true;
    for (int round = 0; round < 4000; ++round) {
        const unsigned what = random() % 1000;
        if (what < 4) { // between runs: another order, an element twice, a label changed
            watched.clear();
            for (auto& n : neurons)
                watched.push_back(n.get());
            std::shuffle(watched.begin(), watched.end(), random);
            watched.resize(20 + random() % 20);
            if (random() % 2) watched.push_back(watched[random() % watched.size()]);
            watched[random() % watched.size()]->SetLabel("M" + std::to_string(round));
            changed = true;
        } else if (what < 8) {
            step = std::max(0LL, step - static_cast<long long>(random() % 50));
        } else if (what < 10) {
            data.Settle(random() % 2 == 0);
        }
        for (TProtoNeuronio* n : watched) {
            const unsigned kind = random() % 8;
            const std::string text = kind == 0   ? "-0"
                                     : kind == 1 ? "0." + std::string(40, '3') + "1"
                                                 : (random() % 2 ? "-" : "") +
                                                       std::to_string(random() % 100000) + "." +
                                                       std::to_string(random() % 1000);
            n->SetValue(kind == 2 ? TInfinito::Add(TInfinito(text), TInfinito("0.5"))
                                  : TInfinito(text));
        }
        // A repeated element records its last value: its series gets one point per step.
        for (std::size_t i = 0; i < watched.size(); ++i) {
            if (std::find(watched.begin() + static_cast<std::ptrdiff_t>(i) + 1, watched.end(),
                          watched[i]) != watched.end())
                continue;
            labels[watched[i]] = watched[i]->Label();
            auto& points = expected[watched[i]];
            while (!points.empty() && points.back().first >= step)
                points.pop_back();
            points.emplace_back(step, watched[i]->GetValue());
        }
        // Now and then the claim is made when it does not hold: the elements are compared.
        data.Record(step, watched, !changed || what % 2 == 0);
        changed = false;
        ++step;
    }
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), expected.size());
    for (const TPlotSeries& s : series) {
        const auto& points = expected.at(s.key);
        EXPECT_EQ(s.label, labels.at(s.key));
        ASSERT_EQ(s.Size(), points.size()) << s.label;
        ASSERT_EQ(s.values.size(), points.size());
        ASSERT_EQ(s.digits.size(), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TInfinito& value = points[i].second;
            const TInfinito::TDigits d = value.Digits();
            ASSERT_EQ(s.steps[i], points[i].first) << s.label << " " << i;
            ASSERT_EQ(s.exact.Text(i), value.ToText()) << s.label << " " << i;
            ASSERT_EQ(s.values[i], ToDouble(value)) << value.ToText();
            ASSERT_EQ(s.digits[i], static_cast<double>(d.whole + d.fraction)) << value.ToText();
        }
    }
}

// Recording against a plain model of the series: elements watched, dropped, reordered and
// listed twice, released in the middle of a run (their series stay and stop following them),
// the plot cleared, and everything read at random moments between steps.
TEST(PlotValues, RecordingSurvivesReleasesClearsAndReadsMidRun) {
    std::mt19937 random(47);
    std::vector<std::unique_ptr<TProtoNeuronio>> pool;
    auto make = [&] {
        auto e = random() % 4 == 0 ? MakeInput() : MakeNeuron();
        e->SetLabel("E" + std::to_string(random() % 1000));
        return e;
    };
    for (int i = 0; i < 10; ++i)
        pool.push_back(make());
    struct Model {
        const void* key;
        std::vector<std::pair<long long, std::string>> points;
    };
    std::vector<Model> model;
    TPlotData data;
    std::vector<TProtoNeuronio*> watched = {pool[0].get(), pool[1].get()};
    long long step = 0;
    bool changed = true;
    for (int round = 0; round < 12000; ++round) {
        // Phases of long runs (rooms fill up) and of frequent reads.
        const unsigned what = random() % (round / 3000 % 2 ? 200 : 4000);
        if (what < 3) {
            TProtoNeuronio* e = pool[random() % pool.size()].get();
            const auto at = std::find(watched.begin(), watched.end(), e);
            if (at == watched.end() || random() % 3 == 0)
                watched.insert(watched.begin() + random() % (watched.size() + 1), e);
            else
                watched.erase(at);
            changed = true;
        } else if (what < 5) { // released mid-run; another may come to live at its address
            const std::size_t k = random() % pool.size();
            const void* gone = pool[k].get();
            data.Forget(gone);
            for (Model& m : model)
                if (m.key == gone) m.key = nullptr;
            std::erase(watched, pool[k].get());
            pool[k].reset();
            pool[k] = make();
            changed = true;
        } else if (what < 7) {
            step = std::max(0LL, step - static_cast<long long>(random() % 30));
        } else if (what < 8) {
            data.Clear();
            model.clear();
            changed = true;
        } else if (what < 14) {
            double x0, x1, y0, y1;
            switch (random() % 4) {
            case 0:
                data.Settle(random() % 2 == 0);
                break;
            case 1:
                data.Bounds(random() % 2 == 0, x0, x1, y0, y1);
                break;
            case 2:
                (void)data.LongestSeries();
                break;
            default:
                (void)data.Series();
                break;
            }
        }
        for (TProtoNeuronio* e : watched)
            e->SetValue(TInfinito((random() % 2 ? "-" : "") + std::to_string(random() % 1000) +
                                  "." + std::string(random() % 4 == 0 ? 25 : 0, '3') + "7"));
        // The series as Record finds or makes them, in list order; a repeated element's
        // last listing is the one kept.
        for (std::size_t i = 0; i < watched.size(); ++i) {
            auto it = std::find_if(model.begin(), model.end(),
                                   [&](const Model& m) { return m.key == watched[i]; });
            if (it == model.end()) {
                model.push_back({watched[i], {}});
                it = model.end() - 1;
            }
            if (std::find(watched.begin() + static_cast<std::ptrdiff_t>(i) + 1, watched.end(),
                          watched[i]) != watched.end())
                continue;
            while (!it->points.empty() && it->points.back().first >= step)
                it->points.pop_back();
            it->points.emplace_back(step, WatchedValue(*watched[i]).ToText());
        }
        data.Record(step, watched, !changed);
        changed = false;
        ++step;
        ASSERT_EQ(data.Empty(), std::all_of(model.begin(), model.end(),
                                            [](const Model& m) { return m.points.empty(); }))
            << round;
    }
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), model.size());
    for (std::size_t k = 0; k < series.size(); ++k) {
        const TPlotSeries& s = series[k];
        ASSERT_EQ(s.key, model[k].key) << k;
        const auto& points = model[k].points;
        ASSERT_EQ(s.Size(), points.size()) << k;
        ASSERT_EQ(s.exact.size(), points.size()) << k;
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_EQ(s.steps[i], points[i].first) << k << " " << i;
            ASSERT_EQ(s.exact.Text(i), points[i].second) << k << " " << i;
            ASSERT_EQ(s.values[i], ToDouble(TInfinito(points[i].second)));
        }
    }
}

// Steps recorded with nothing watched leave no point: the plot stays empty, settled or not.
TEST(PlotValues, StepsWithNothingWatchedLeaveThePlotEmpty) {
    TPlotData data;
    for (long long step = 0; step < 3; ++step) {
        data.Record(step, std::vector<TProtoNeuronio*>{});
        EXPECT_TRUE(data.Empty()) << step;
    }
    data.Settle();
    EXPECT_TRUE(data.Empty());
}

// During a run the picture is redrawn at most once per RunPaintShare times what a paint of
// the columns there are now should take at the last paint's cost per column, but never less
// often than RunLongestSpacingMs apart, however long the paint.
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

// After a run whose values outgrow a word, the CSV holds every step's value exactly, worked
// out here afresh: N after step k is 1/2 - 1/4 * (1/2)^k.
TEST_F(PlotTest, CsvAfterARunHoldsEveryExactValue) {
    Open(DataPath("run/halving.net"));
    Find<QAction>("Execution1")->trigger();
    Find<QAction>("Plot1")->trigger();
    Find<QSpinBox>("SpinRunSteps")->setValue(60);
    Press("ButtonRunSteps");
    const TExactValues& exact = Plot().View().Data().Series()[0].exact;
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
