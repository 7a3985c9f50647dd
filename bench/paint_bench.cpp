// Paint benchmark: composing a net of 1,000 elements and 5,000 synapses in a drawing
// window, and one mouse move while dragging an element with 100 synapses (the move and
// the repaint it causes); then a net of 50,000 elements and 200,000 synapses: opening its
// file, repainting the visible part at 100% and zoomed to fit, and one scroll step.
// Prints the median and the spread of each in milliseconds.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_BENCH=ON
//   cmake --build build/bench --target veltra_paint_bench
//   QT_QPA_PLATFORM=offscreen build/bench/src/ui/veltra_paint_bench
#include "model/canvas.h"
#include "model/neuronio.h"
#include "ui/application.h"
#include "ui/ecra.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/netrender.h"
#include "ui/netscroller.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <vector>

using namespace veltra;

namespace {

constexpr int Columns = 40;
constexpr int Rows = 25;
constexpr int Spacing = 30;

QPoint CentreOf(int index) {
    return {20 + (index % Columns) * Spacing, 20 + (index / Columns) * Spacing};
}

void Connect(TDados& doc, int from, int to) {
    TNullCanvas none;
    const QPoint a = CentreOf(from);
    const QPoint b = CentreOf(to);
    doc.BeginSynapse(doc.ElementAt(a.x(), a.y()), {a.x(), a.y()}, none);
    doc.EndSynapse(none, b.x(), b.y());
}

struct Stats {
    double median;
    double p90;
    double max;
};

Stats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall time and this thread's CPU time of one call; on a shared, busy machine the CPU
// time is the figure that says what the code costs.
std::vector<double> wallMs, cpuMs;
template <typename F> void Time(F&& f) {
    const double c0 = ThreadCpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    wallMs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    cpuMs.push_back(ThreadCpuMs() - c0);
}

void Report(const char* what) {
    const Stats w = Summarise(wallMs);
    const Stats c = Summarise(cpuMs);
    std::printf("%-26s wall median %6.2f ms (p90 %6.2f)   cpu median %6.2f ms (p90 %6.2f)\n", what,
                w.median, w.p90, c.median, c.p90);
}

// A big net as a file: neurons on a grid, each with four synapses to neurons at most three
// places away (nets that compute are mostly wired locally).
constexpr int BigColumns = 250;
constexpr int BigRows = 200;
constexpr int BigOut = 4;

void WriteBigNet(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    const int count = BigColumns * BigRows;
    out << "<TREDE=version 0.4>\n<TProtoLista=" << count << ">\n";
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> near(-3, 3);
    for (int i = 0; i < count; ++i) {
        const int col = i % BigColumns;
        const int row = i / BigColumns;
        out << "<TPROTONEURONIO=TNEURONIO>\nId:" << i << "\nEtiqueta:n" << i
            << "\nPosicao:" << 20 + col * Spacing << ";" << 20 + row * Spacing
            << "\nVisible_in_runform:true\nPos_Sinapses:\n<TListaSinapses=" << BigOut << ">\n";
        for (int k = 0; k < BigOut; ++k) {
            int c2 = col;
            int r2 = row;
            while (c2 == col && r2 == row) {
                c2 = std::clamp(col + near(rng), 0, BigColumns - 1);
                r2 = std::clamp(row + near(rng), 0, BigRows - 1);
            }
            out << "<TSINAPSE>\nValor:0.5\nDestino:" << r2 * BigColumns + c2
                << "\nvisible:true\n</TSINAPSE>\n";
        }
        out << "</TListaSinapses>\nActividade:0\nFuncaoActivacao:TStepFunction\nTeta:0.5\n"
               "loop:false\n</TPROTONEURONIO>\n";
    }
    out << "</TProtoLista>\n</TREDE>\n";
}

void ResetTimes() {
    wallMs.clear();
    cpuMs.clear();
}

// Opening, repainting at 100% and fitted, scrolling: true when every CPU median is under
// its budget (1 s to open, 16 ms for the others).
bool BigNet(TMainForm& main) {
    QTemporaryDir dir;
    const QString path = dir.filePath("big.net");
    WriteBigNet(path.toStdString());
    TMDIChild* child = nullptr;
    for (int i = 0; i < 5; ++i) {
        if (child != nullptr) {
            child->SetModified(false);
            child->parentWidget()->close();
            QApplication::processEvents();
        }
        Time([&] {
            main.OpenNetFile(path);
            child = main.ActiveChild();
            child->Ecra().Compose();
        });
    }
    Report("open 50,000 elements:");
    const double openCpu = Summarise(cpuMs).median;
    ResetTimes();
    child->parentWidget()->resize(1300, 900);
    QApplication::processEvents();
    TEcra& ecra = child->Ecra();
    int synapses = 0;
    for (const auto& e : child->Document().Elements())
        synapses += e->OutgoingSynapses().Count();
    std::printf("big net: %d elements, %d synapses; paint box %dx%d\n",
                child->Document().Elements().Count(), synapses, ecra.width(), ecra.height());

    for (int i = 0; i < 30; ++i) {
        ecra.InvalidateAll();
        Time([&] { ecra.Compose(); });
    }
    Report("repaint visible, 100%:");
    const double visibleCpu = Summarise(cpuMs).median;
    ResetTimes();

    QScrollBar& bar = ecra.Scroller().VerticalBar();
    ecra.Scroller().UpdateRange();
    for (int i = 0; i < 30; ++i)
        Time([&] {
            bar.setValue(bar.value() + 60); // one wheel notch
            ecra.Compose();
        });
    Report("scroll step, 100%:");
    const double scrollCpu = Summarise(cpuMs).median;
    ResetTimes();

    ecra.Scroller().FitToWindow();
    std::printf("fitted at %.1f%%\n", ecra.View().Zoom() * 100);
    for (int i = 0; i < 30; ++i) {
        ecra.InvalidateAll();
        Time([&] { ecra.Compose(); });
    }
    Report("repaint fitted:");
    const double fitCpu = Summarise(cpuMs).median;
    ResetTimes();
    // What of that is the walk over the net alone (every synapse and glyph handed to a
    // canvas that draws nothing).
    for (int i = 0; i < 30; ++i) {
        TNullCanvas none;
        Time([&] {
            DrawNetArea(child->Document().Elements(), none, ecra.View().ToNet(ecra.rect()));
        });
    }
    Report("  of which the walk:");
    ResetTimes();
    child->SetModified(false);
    return openCpu < 1000.0 && visibleCpu < 16.0 && scrollCpu < 16.0 && fitCpu < 16.0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto main = CreateApplicationWindows();
    main->resize(1400, 1000);
    main->show();
    TMDIChild& child = *main->ActiveChild();
    child.parentWidget()->resize(1300, 900);
    QApplication::processEvents();
    TDados& doc = child.Document();

    for (int i = 0; i < Columns * Rows; ++i) {
        auto n = std::make_unique<TNeuronio>();
        const QPoint c = CentreOf(i);
        n->Setup(c.x() - 9, c.y() - 10, 0, 1, doc.Net().ElementCounter());
        doc.AddElement(std::move(n));
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, Columns * Rows - 1);
    // The dragged element: 50 synapses out and 50 in.
    const int hub = Columns * (Rows / 2) + Columns / 2;
    int made = 0;
    for (int i = 0; i < 50; ++i, made += 2) {
        int other = pick(rng);
        while (other == hub)
            other = pick(rng);
        Connect(doc, hub, other);
        Connect(doc, other == hub ? 0 : other, hub);
    }
    for (; made < 5000; ++made) {
        const int a = pick(rng);
        int b = pick(rng);
        while (b == a)
            b = pick(rng);
        Connect(doc, a, b);
    }
    int synapses = 0;
    for (const auto& e : doc.Elements())
        synapses += e->OutgoingSynapses().Count();
    TEcra& ecra = child.Ecra();
    std::printf("net: %d elements, %d synapses; paint box %dx%d\n", doc.Elements().Count(),
                synapses, ecra.width(), ecra.height());

    for (int i = 0; i < 60; ++i) {
        ecra.InvalidateAll();
        Time([&] { ecra.Compose(); });
    }
    Report("repaint whole net:");
    const double repaintCpu = Summarise(cpuMs).median;
    wallMs.clear();
    cpuMs.clear();

    const QPoint start = CentreOf(hub);
    child.Document().dragState = TDragState::None;
    main->Toolbar().ChooseTool(TTool::Move);
    child.EcraMouseDown(Qt::LeftButton, start.x(), start.y());
    ecra.Compose();
    for (int i = 1; i <= 60; ++i) {
        const int x = start.x() + (i % 20) * 3;
        const int y = start.y() + (i % 7) * 2;
        Time([&] {
            child.EcraMouseMove(x, y);
            ecra.Compose();
        });
    }
    child.EcraMouseUp(start.x(), start.y());
    Report("drag move (100 synapses):");
    const double dragCpu = Summarise(cpuMs).median;
    for (int i = 0; i < main->ChildCount(); ++i)
        main->ChildAt(i)->SetModified(false);
    wallMs.clear();
    cpuMs.clear();
    const bool big = BigNet(*main);
    return repaintCpu < 16.0 && dragCpu < 16.0 && big ? 0 : 1;
}
