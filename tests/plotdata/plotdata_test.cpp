// The plot's recording without a window: decimation against a brute-force grouping of every
// point, the compact stores against the numbers themselves, a series' invariants through
// random edits, and recording against a plain record of every point.
#include "execution/stopcondition.h"
#include "model/elementkind.h"
#include "model/neuronio.h"
#include "plotdata/plotdata.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>

namespace veltra {
namespace {

TEST(PlotDecimation, EveryColumnHoldsTheLowestAndHighestOfItsPoints) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        TPlotSeries s(nullptr, "s");
        const int n = 1 + static_cast<int>(random() % 3000);
        long long step = static_cast<long long>(random() % 5);
        const bool consecutive = random() % 2; // as a run records them, or with gaps
        // Values of up to 40 digits, so that digit counts vary as much as values.
        std::vector<double> values, digitCounts;
        for (int i = 0; i < n; ++i) {
            step += 1 + (consecutive ? 0 : static_cast<long long>(random() % 3));
            const int value = static_cast<int>(random() % 2001) - 1000;
            const std::string zeros(random() % 37, '0');
            const TInfinito number(std::to_string(value) + (value != 0 ? zeros : ""));
            s.Append(step, number);
            values.push_back(ToDouble(number));
            const TInfinito::TDigits d = number.Digits();
            digitCounts.push_back(static_cast<double>(d.whole + d.fraction));
        }
        s.Settle();
        const bool digits = random() % 2;
        const double x0 = static_cast<double>(random() % static_cast<unsigned>(step + 1)) - 3;
        const double x1 = x0 + 1 + static_cast<double>(random() % static_cast<unsigned>(step + 5));
        const int width = 1 + static_cast<int>(random() % 700);
        std::vector<TPlotColumn> columns;
        Decimate(s, digits, x0, x1, width, columns);
        // The oracle: every point's column, the extremes gathered per column.
        std::map<int, std::pair<double, double>> expected;
        for (std::size_t i = 0; i < s.Size(); ++i) {
            const int x = static_cast<int>(
                std::floor((static_cast<double>(s.Steps()[i]) - x0) * (width / (x1 - x0))));
            if (x < 0 || x >= width) continue;
            const double y = digits ? digitCounts[i] : values[i];
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

// A series through random appends, steps taken back and settling of either mode: after
// every call it holds what a plain list of its points gives, worked out afresh (doubles,
// digit counts, extremes and block summaries of exactly the settled points).
TEST(PlotSeries, KeepsItsInvariantsThroughAppendsTruncationsAndSettling) {
    std::mt19937 random(7);
    TPlotSeries s(nullptr, "s");
    std::vector<std::pair<long long, TInfinito>> plain;
    long long step = 0;
    std::size_t settled[2] = {0, 0};
    for (int round = 0; round < 1500; ++round) {
        const unsigned what = random() % 20;
        if (what == 0 && step > 0) {
            step = std::max(0LL, step - 1 - static_cast<long long>(random() % 70));
            s.Truncate(step);
            while (!plain.empty() && plain.back().first >= step)
                plain.pop_back();
            for (std::size_t& n : settled)
                n = std::min(n, plain.size());
        } else if (what == 1) {
            const bool digits = random() % 2;
            s.Settle(digits);
            settled[digits] = plain.size();
        } else {
            const TInfinito value((random() % 2 ? "-" : "") + std::to_string(random() % 10000) +
                                  std::string(random() % 3, '0') + "." +
                                  std::to_string(random() % 100));
            s.Append(step, value);
            plain.emplace_back(step, value);
            step += 1 + static_cast<long long>(random() % 2);
        }
        ASSERT_EQ(s.Size(), plain.size());
        ASSERT_EQ(s.Steps().size(), plain.size());
        ASSERT_EQ(s.Exact().size(), plain.size());
        for (const bool digits : {false, true}) {
            ASSERT_EQ(s.Settled(digits), settled[digits]) << round;
            std::vector<double> ys;
            for (std::size_t i = 0; i < settled[digits]; ++i) {
                const TInfinito::TDigits d = plain[i].second.Digits();
                ys.push_back(digits ? static_cast<double>(d.whole + d.fraction)
                                    : ToDouble(plain[i].second));
            }
            ASSERT_EQ(s.Drawn(digits), ys) << round;
            if (ys.empty()) continue;
            EXPECT_EQ(s.Low(digits), *std::min_element(ys.begin(), ys.end()));
            EXPECT_EQ(s.High(digits), *std::max_element(ys.begin(), ys.end()));
            const std::size_t blocks = (ys.size() + TPlotSeries::Block - 1) / TPlotSeries::Block;
            ASSERT_EQ(s.BlockLows(digits).size(), blocks);
            ASSERT_EQ(s.BlockHighs(digits).size(), blocks);
            for (std::size_t b = 0; b < blocks; ++b) {
                const auto first = ys.begin() + static_cast<std::ptrdiff_t>(b * TPlotSeries::Block);
                const auto last =
                    ys.begin() +
                    static_cast<std::ptrdiff_t>(std::min(ys.size(), (b + 1) * TPlotSeries::Block));
                ASSERT_EQ(s.BlockLows(digits)[b], *std::min_element(first, last)) << b;
                ASSERT_EQ(s.BlockHighs(digits)[b], *std::max_element(first, last)) << b;
            }
        }
        if (!plain.empty()) {
            const std::size_t i = random() % plain.size();
            ASSERT_EQ(s.Steps()[i], plain[i].first);
            ASSERT_EQ(s.Exact().Text(i), plain[i].second.ToText());
            ASSERT_EQ(s.Find(plain[i].first), static_cast<long long>(i));
        }
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
    data.Settle();
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), expected.size());
    for (const TPlotSeries& s : series) {
        const auto& points = expected.at(s.Key());
        ASSERT_EQ(s.Size(), points.size()) << s.Label();
        ASSERT_EQ(s.Settled(false), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_EQ(s.Steps()[i], points[i].first) << s.Label() << " " << i;
            ASSERT_EQ(s.Exact().Text(i), points[i].second) << s.Label() << " " << i;
            ASSERT_EQ(s.Drawn(false)[i], ToDouble(TInfinito(points[i].second)));
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
    data.Settle();
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), expected.size());
    for (const TPlotSeries& s : series) {
        const auto& points = expected.at(s.Key());
        EXPECT_EQ(s.Label(), labels.at(s.Key()));
        ASSERT_EQ(s.Size(), points.size()) << s.Label();
        ASSERT_EQ(s.Settled(false), points.size());
        ASSERT_EQ(s.Settled(true), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TInfinito& value = points[i].second;
            const TInfinito::TDigits d = value.Digits();
            ASSERT_EQ(s.Steps()[i], points[i].first) << s.Label() << " " << i;
            ASSERT_EQ(s.Exact().Text(i), value.ToText()) << s.Label() << " " << i;
            ASSERT_EQ(s.Drawn(false)[i], ToDouble(value)) << value.ToText();
            ASSERT_EQ(s.Drawn(true)[i], static_cast<double>(d.whole + d.fraction))
                << value.ToText();
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
    data.Settle();
    const auto& series = data.Series();
    ASSERT_EQ(series.size(), model.size());
    for (std::size_t k = 0; k < series.size(); ++k) {
        const TPlotSeries& s = series[k];
        ASSERT_EQ(s.Key(), model[k].key) << k;
        const auto& points = model[k].points;
        ASSERT_EQ(s.Size(), points.size()) << k;
        ASSERT_EQ(s.Exact().size(), points.size()) << k;
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_EQ(s.Steps()[i], points[i].first) << k << " " << i;
            ASSERT_EQ(s.Exact().Text(i), points[i].second) << k << " " << i;
            ASSERT_EQ(s.Drawn(false)[i], ToDouble(TInfinito(points[i].second)));
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

} // namespace
} // namespace veltra
