// How fast the Execution Browser runs a net compared with the same net stepped headless.
// The net: one bias feeding 200 watched saturated-linear neurons with weight 1.5, each with
// a self-synapse of weight -1, so every neuron goes 1, 0.5, 1, 0.5 ... (every row changes at
// every step) and the net never finishes. Three ways over the same steps from the same start:
//   headless  TDados::Step and the finished test, nothing else;
//   control   the core run control (rows rebuilt as text after every step, no widgets);
//   browser   Run N (N = the steps) in the real Execution Browser, shown with its list of
//             200 rows: the event loop between steps, the visible rows repainted, painting
//             included;
//   plot      the same with the Plot window open as well, recording every watched value each
//             step and redrawing at most once per frame.
// All four must end with the same values; the figures are medians over the repetitions, and
// the ratios are against the headless rate measured in the same repetition.
// Usage: veltra_runview_bench [steps=2000] [repetitions=5] [noplot]
// (noplot leaves the fourth way out, to profile the browser alone)
#include "execution/runcontrol.h"
#include "model/dados.h"
#include "model/interaction.h"
#include "ui/application.h"
#include "ui/dialogs/plotwindow.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/dialogs/runsteering.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"

#include "median.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace veltra;
using Clock = std::chrono::steady_clock;

using veltra::bench::Median;

namespace {

constexpr int Neurons = 200;

// The input only keeps the net from being finished after a reset: an unwatched sequence of
// "0" symbols, long enough for every run of the benchmark.
std::string FlipNet(std::size_t inputSymbols) {
    std::ostringstream net;
    net << "<TREDE=version 0.4>\n<TProtoLista=" << Neurons + 2 << ">\n";
    net << "<TPROTONEURONIO=TPENDOR>\nId:0\nEtiqueta:B\nPosicao:20;20\nVisible_in_runform:true\n"
           "Pos_Sinapses:\n<TListaSinapses="
        << Neurons << ">\n";
    for (int i = 1; i <= Neurons; ++i)
        net << "<TSINAPSE>\nValor:1.5\nDestino:" << i << "\nvisible:true\n</TSINAPSE>\n";
    net << "</TListaSinapses>\nActividade:1\n</TPROTONEURONIO>\n";
    for (int i = 1; i <= Neurons; ++i) {
        net << "<TPROTONEURONIO=TNEURONIO>\nId:" << i << "\nEtiqueta:N" << i
            << "\nPosicao:" << 60 + 40 * (i % 20) << ";" << 60 + 40 * (i / 20)
            << "\nVisible_in_runform:true\nPos_Sinapses:\n<TListaSinapses=1>\n<TSINAPSE>\n"
               "Valor:-1\nDestino:"
            << i
            << "\nvisible:true\n</TSINAPSE>\n</TListaSinapses>\nActividade:0\n"
               "FuncaoActivacao:TSacturated_Linear\nloop:true\n</TPROTONEURONIO>\n";
    }
    net << "<TPROTONEURONIO=TINPUT>\nId:" << Neurons + 1
        << "\nEtiqueta:I\nPosicao:20;60\nVisible_in_runform:false\nPos_Sinapses:\n"
           "<TListaSinapses=0>\n</TListaSinapses>\nBinario:"
        << std::string(inputSymbols, '0') << "\n</TPROTONEURONIO>\n";
    net << "</TProtoLista>\n</TREDE>\n";
    return net.str();
}

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

std::vector<std::string> Values(TDados& document) {
    std::vector<std::string> values;
    for (const auto& element : document.Elements())
        if (element->Kind() == TElementKind::Neuron) values.push_back(element->ValueText());
    return values;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const bool withPlot = !(argc > 3 && std::string(argv[3]) == "noplot");

    QTemporaryDir dir;
    const std::string path = dir.filePath("flip.net").toStdString();
    std::ofstream(path) << FlipNet(static_cast<std::size_t>(steps) * repetitions * 2 + 16);

    TDados headless;
    {
        std::ifstream in(path);
        const std::string error = headless.Load(in);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot load the bench net: %s\n", error.c_str());
            return 1;
        }
    }
    TSilentInteraction silent;
    TRunControl control(silent, [&headless] { return &headless; });
    int passes = 0;
    control.SetPassHook([&] {
        if (++passes == steps) control.Stop(); // this pass still steps
    });

    auto mainForm = CreateApplicationWindows();
    mainForm->show();
    if (!mainForm->OpenNetFile(QString::fromStdString(path))) return 1;
    TMDIChild* child = mainForm->ActiveChild();
    auto& browser = *qobject_cast<TFormRunBrowser*>(mainForm->Windows().FormRunBrowser);
    browser.show();
    QApplication::processEvents();

    std::vector<double> bare, core, gui, plotted, guiRatio, plotRatio, paints, paintMs;
    for (int rep = 0; rep < repetitions; ++rep) {
        headless.ResetAll();
        auto t0 = Clock::now();
        for (int i = 0; i < steps; ++i) {
            headless.Step();
            if (headless.AllFinished()) break;
        }
        bare.push_back(steps / Seconds(t0, Clock::now()));
        const std::vector<std::string> expected = Values(headless);

        headless.ResetAll();
        passes = 0;
        t0 = Clock::now();
        control.Run();
        core.push_back(steps / Seconds(t0, Clock::now()));
        if (Values(headless) != expected) {
            std::fprintf(stderr,
                         "the run control computed other values (%lld steps, N1 %s, not %s)\n",
                         control.StepCount(), Values(headless)[0].c_str(), expected[0].c_str());
            return 1;
        }

        browser.ButtonResetClick(); // step 0 again, as Reset does
        QApplication::processEvents();
        const long long before = browser.Control().StepCount();
        t0 = Clock::now();
        browser.RunLimited(steps);
        gui.push_back(steps / Seconds(t0, Clock::now()));
        guiRatio.push_back(gui.back() / bare.back());
        if (Values(child->Document()) != expected || browser.Control().Rows().size() != Neurons ||
            browser.Control().StepCount() - before != steps) {
            std::fprintf(stderr, "the browser's run computed other values\n");
            return 1;
        }

        if (!withPlot) continue;
        browser.ButtonResetClick();
        browser.Steering().ButtonPlotClick();
        QApplication::processEvents();
        auto& plot = browser.Steering().Plot();
        const long long paintsBefore = plot.View().Paints();
        t0 = Clock::now();
        browser.RunLimited(steps);
        plotted.push_back(steps / Seconds(t0, Clock::now()));
        plotRatio.push_back(plotted.back() / bare.back());
        paints.push_back(static_cast<double>(plot.View().Paints() - paintsBefore));
        paintMs.push_back(plot.View().LastPaintMs());
        if (Values(child->Document()) != expected ||
            plot.View().Data().Series().size() != Neurons ||
            plot.View().Data().Series()[0].Size() != static_cast<std::size_t>(steps) + 1) {
            std::fprintf(stderr, "the run with the plot open computed other values\n");
            return 1;
        }
        plot.hide();
    }
    if (!withPlot) plotted = plotRatio = paints = paintMs = {0};
    const double b = Median(bare), c = Median(core), g = Median(gui), p = Median(plotted);
    std::printf(
        "net: %d watched neurons changing every step, %d steps, median of %d (platform %s)\n",
        Neurons, steps, repetitions, qPrintable(QGuiApplication::platformName()));
    std::printf("%-28s %12.0f steps/s\n", "headless (Step + finished)", b);
    std::printf("%-28s %12.0f steps/s  ratio %.2f\n", "run control (rows as text)", c, c / b);
    std::printf("%-28s %12.0f steps/s  ratio %.2f\n", "Execution Browser Run", g, g / b);
    std::printf("%-28s %12.0f steps/s  ratio %.2f (%.2f of Run without it)\n",
                "Run with the Plot window", p, p / b, p / g);
    std::printf("%-28s %12.0f paints during a run, the last taking %.1f ms\n", "Plot window",
                Median(paints), Median(paintMs));
    // The ratios of each repetition (against the headless rate of that repetition), whose
    // median is steadier on a shared machine than the ratio of the medians.
    const double gr = Median(guiRatio), pr = Median(plotRatio);
    std::printf("median ratio browser/headless %.2f (target at least 0.90): %s\n", gr,
                gr >= 0.9 ? "met" : "NOT met");
    std::printf("median ratio plot/headless    %.2f (target at least 0.90): %s\n", pr,
                pr >= 0.9 ? "met" : "NOT met");
    for (int i = 0; i < mainForm->ChildCount(); ++i)
        mainForm->ChildAt(i)->SetModified(false);
    return 0;
}
