// What the Plot window's recording costs per point, apart from the net and the windows: 200
// neurons whose values go 1, 0.5, 1, ... (as in runview_bench) recorded after each of 5,000
// steps as a run records them, then settled for a picture of values and fitted, as the end
// of a run does. Setting the values alone is timed too and taken off.
// Usage: veltra_plot_record_bench [neurons=200] [steps=5000] [repetitions=9]
#include "median.h"
#include "model/neuronio.h"
#include "plotdata/plotdata.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace veltra;
using Clock = std::chrono::steady_clock;

using veltra::bench::Median;

namespace {

double Ns(Clock::time_point from) {
    return std::chrono::duration<double, std::nano>(Clock::now() - from).count();
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    const long long steps = argc > 2 ? std::atoll(argv[2]) : 5000;
    const int repetitions = argc > 3 ? std::atoi(argv[3]) : 9;
    std::vector<std::unique_ptr<TNeuronio>> neurons;
    std::vector<TProtoNeuronio*> watched;
    for (int i = 0; i < count; ++i) {
        neurons.push_back(std::make_unique<TNeuronio>());
        neurons.back()->SetLabel("N" + std::to_string(i));
        watched.push_back(neurons.back().get());
    }
    const TInfinito values[2] = {TInfinito("1"), TInfinito("0.5")};
    auto set = [&](long long step) {
        for (auto& n : neurons)
            n->SetValue(values[step % 2]);
    };
    const double points = static_cast<double>(count) * static_cast<double>(steps);
    std::vector<double> setting, recording, settling;
    TPlotData data;
    for (int r = 0; r < repetitions; ++r) {
        auto t0 = Clock::now();
        for (long long step = 0; step < steps; ++step)
            set(step);
        setting.push_back(Ns(t0) / points);
        data.Record(0, watched); // the step the run starts from, as the window has it
        data.Settle(false);
        t0 = Clock::now();
        for (long long step = 1; step <= steps; ++step) {
            set(step);
            data.Record(step, watched, true);
        }
        recording.push_back(Ns(t0) / points);
        t0 = Clock::now();
        double x0, x1, y0, y1;
        if (!data.Bounds(false, x0, x1, y0, y1) || y1 != 1) return 1;
        settling.push_back(Ns(t0) / points);
        if (data.Series().back().Size() != static_cast<std::size_t>(steps) + 1) return 1;
    }
    const double set_ = Median(setting), rec = Median(recording) - set_, end = Median(settling);
    std::printf("%d neurons x %lld steps, median of %d, ns per point\n", count, steps, repetitions);
    std::printf("recording during the run     %6.2f\n", rec);
    std::printf("settling and fitting at end  %6.2f\n", end);
    std::printf("together                     %6.2f\n", rec + end);
    return 0;
}
