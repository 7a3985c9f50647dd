// How the windows cope with values and sequences of millions of characters. Three measures,
// each against a peer measured in the same run:
//   stall   a step whose values come out with ten million digits, with the Execution Browser
//           watching them, the Info dialog showing the neuron and the drawing showing values:
//           the longest time the event loop did not turn (a 1 ms timer's longest gap) from the
//           press of Step until a second after, against the step's own time;
//   run     Run in the Execution Browser with a watched input of 2,000,000 symbols against the
//           same net with a watched input of 100 symbols (steps per second);
//   info    the Info dialog opened on an input of a 100 MB sequence, on an output whose
//           history holds 100 MB, and with a 100 MB history file loaded into its list (one
//           line, and one symbol per line), until painted, against a copy of the 100 MB.
//   stop    a click on the browser's Stop, delivered through its window as the window system
//           delivers it, 300 ms into such a step: the time until the step was abandoned and
//           the browser idle again, against the whole step's time.
// Usage: veltra_longtext_bench [digits=5000000] [runSteps=20000] [repetitions=5] [parts=srci]
// (digits: of the bias and its weight, so that their product has twice as many; parts: any of
// s, r, c, i for stall, run, stop, info)
#include "median.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/outputs.h"
#include "ui/application.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/drawingtexts.h"
#include "ui/ecra.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace veltra;
using Clock = std::chrono::steady_clock;
using veltra::bench::Median;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Answers every question without a window: file dialogs with `file`, the rest with no.
class TBenchPrompter final : public TPrompter {
public:
    void Message(QWidget*, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text.left(200)));
    }
    bool Confirm(QWidget*, const QString&, QPoint) override { return false; }
    QString OpenFileName(QWidget*, const TFileRequest&) override { return file; }
    QString SaveFileName(QWidget*, const TFileRequest&) override { return {}; }
    TSaveChoice AskSave(QWidget*, const QString&) override { return TSaveChoice::Discard; }
    int Pick(QWidget*, const QString&, const QStringList&) override { return -1; }
    QString file;
};

std::string Element(const char* kind, int id, const char* label, int x, bool watched,
                    const std::string& synapses, const std::string& body) {
    std::ostringstream e;
    e << "<TPROTONEURONIO=" << kind << ">\nId:" << id << "\nEtiqueta:" << label << "\nPosicao:" << x
      << ";40\nVisible_in_runform:" << (watched ? "true" : "false") << "\nPos_Sinapses:\n"
      << synapses << body << "</TPROTONEURONIO>\n";
    return e.str();
}

std::string Synapses(const std::vector<std::pair<std::string, int>>& to) {
    std::ostringstream s;
    s << "<TListaSinapses=" << to.size() << ">\n";
    for (const auto& [weight, id] : to)
        s << "<TSINAPSE>\nValor:" << weight << "\nDestino:" << id
          << "\nvisible:true\n</TSINAPSE>\n";
    s << "</TListaSinapses>\n";
    return s.str();
}

std::string Net(const std::vector<std::string>& elements) {
    std::string net =
        "<TREDE=version 0.4>\n<TProtoLista=" + std::to_string(elements.size()) + ">\n";
    for (const std::string& e : elements)
        net += e;
    return net + "</TProtoLista>\n</TREDE>\n";
}

const char* Neuron = "Actividade:0\nFuncaoActivacao:TSacturated_Linear\nloop:false\n";

// A bias of `digits` sevens after the point feeding a neuron through a weight as long: one
// step gives the neuron a value of twice as many digits.
std::string LongValueNet(std::size_t digits) {
    const std::string sevens = "0." + std::string(digits, '7');
    return Net({Element("TPENDOR", 0, "B", 40, true, Synapses({{sevens, 1}}),
                        "Actividade:" + sevens + "\n"),
                Element("TNEURONIO", 1, "N", 160, true, Synapses({}), Neuron)});
}

// A watched input of `symbols` symbols feeding a watched neuron and output; an unwatched bias
// keeps a neuron of its own going, so that the net never finishes.
std::string WatchedInputNet(std::size_t symbols) {
    std::string sequence(symbols, '0');
    for (std::size_t i = 0; i < symbols; i += 3)
        sequence[i] = '1';
    return Net(
        {Element("TINPUT", 0, "I", 40, true, Synapses({{"1", 1}}), "Binario:" + sequence + "\n"),
         Element("TNEURONIO", 1, "N", 160, true, Synapses({{"1", 2}}), Neuron),
         Element("TPENDOR", 2, "B", 40, false, Synapses({{"1", 3}}), "Actividade:1\n"),
         Element("TNEURONIO", 3, "K", 160, false, Synapses({{"1", 3}}), Neuron),
         Element("TOUTPUT", 4, "O", 280, true, Synapses({}), "Binario:\n")});
}

TProtoNeuronio* Labelled(TMDIChild& child, const char* label) {
    for (const auto& e : child.Document().Elements())
        if (e->Label() == label) return e.get();
    return nullptr;
}

TMDIChild* Open(TMainForm& main, const QString& path, const std::string& text) {
    std::ofstream(path.toStdString()) << text;
    if (!main.OpenNetFile(path)) return nullptr;
    return main.ActiveChild();
}

void Activate(TMDIChild& child) {
    auto* sub = qobject_cast<QMdiSubWindow*>(child.parentWidget());
    sub->mdiArea()->setActiveSubWindow(sub);
    QApplication::processEvents();
}

// The longest gap between two turns of the event loop while it lives (a 1 ms timer).
class TStallMeter {
public:
    TStallMeter() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start();
    }
    double LongestMs() const { return static_cast<double>(longest_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void ShowProperties(TMainForm& main, TMDIChild& child, TProtoNeuronio* e) {
    main.ShowNetBrowser(e, child.Document());
    auto& info = *qobject_cast<TMultPageDlg*>(main.Windows().MultPageDlg);
    info.findChild<QTabBar*>(QStringLiteral("TabSet"))->setCurrentIndex(1);
    info.repaint();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t digits = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 5000000;
    const int runSteps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
    const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string parts = argc > 4 ? argv[4] : "srci";

    QTemporaryDir dir;
    auto owned = std::make_unique<TBenchPrompter>();
    TBenchPrompter& prompter = *owned;
    auto main = CreateApplicationWindows(std::move(owned));
    main->show();
    auto& browser = *qobject_cast<TFormRunBrowser*>(main->Windows().FormRunBrowser);
    auto& info = *qobject_cast<TMultPageDlg*>(main->Windows().MultPageDlg);
    browser.show();
    std::printf("platform %s, median of %d\n", qPrintable(QGuiApplication::platformName()),
                repetitions);

    if (parts.find('s') != std::string::npos) {
        TMDIChild* child = Open(*main, dir.filePath("long.net"), LongValueNet(digits));
        if (child == nullptr) return 1;
        DrawingTexts().values = true;
        child->Ecra().update();
        ShowProperties(*main, *child, Labelled(*child, "N"));
        Wait(200);
        std::vector<double> step, stall;
        for (int rep = 0; rep < repetitions; ++rep) {
            browser.ButtonResetClick();
            Wait(200);
            TStallMeter meter;
            const auto t0 = Clock::now();
            browser.stepClick();
            step.push_back(Ms(t0, Clock::now()));
            Wait(1000);
            stall.push_back(meter.LongestMs());
        }
        const std::string value = Labelled(*child, "N")->ValueText();
        if (value.size() != 2 * digits + 2 || browser.Control().StepCount() != repetitions) {
            std::fprintf(stderr, "the step gave a value of %zu characters\n", value.size());
            return 1;
        }
        DrawingTexts().values = false;
        const double s = Median(step), g = Median(stall);
        if (parts.find('c') != std::string::npos) {
            // Stop clicked while the same step computes.
            auto* stop = browser.findChild<QPushButton*>(QStringLiteral("ButtonStop"));
            std::vector<double> latency;
            for (int rep = 0; rep < repetitions; ++rep) {
                browser.ButtonResetClick();
                Wait(100);
                const long long count = browser.Control().StepCount();
                Clock::time_point clicked;
                QTimer::singleShot(300, &browser, [&] {
                    clicked = Clock::now();
                    QTest::mouseClick(browser.windowHandle(), Qt::LeftButton, {},
                                      stop->mapTo(&browser, stop->rect().center()));
                });
                browser.stepClick();
                latency.push_back(Ms(clicked, Clock::now()));
                if (browser.Control().StepCount() != count) {
                    std::fprintf(stderr, "Stop did not abandon the step\n");
                    return 1;
                }
            }
            const double l = Median(latency);
            std::printf("stop: Stop clicked 300 ms into the step\n");
            std::printf("  %-34s %10.1f ms  (%.3f of the step; target at most 100 ms: %s)\n",
                        "click to the step abandoned", l, l / s, l <= 100 ? "met" : "NOT met");
        }
        std::printf("stall: a step to %zu-digit values, browser, Info dialog and drawing showing "
                    "them\n",
                    2 * digits);
        std::printf("  %-34s %10.1f ms\n", "the step (press to return)", s);
        std::printf("  %-34s %10.1f ms  (%.3f of the step; target at most 100 ms: %s)\n",
                    "longest event-loop stall", g, g / s, g <= 100 ? "met" : "NOT met");
        std::printf("  stalls of each repetition:");
        for (double x : stall)
            std::printf(" %.0f", x);
        std::printf(" ms\n");
        info.close();
        child->SetModified(false);
        child->parentWidget()->close();
        QApplication::processEvents();
    }

    if (parts.find('r') != std::string::npos) {
        const std::size_t longSymbols = 2000000;
        TMDIChild* shortNet = Open(*main, dir.filePath("short.net"), WatchedInputNet(100));
        TMDIChild* longNet = Open(*main, dir.filePath("longinput.net"),
                                  WatchedInputNet(longSymbols + runSteps * (repetitions + 1)));
        if (shortNet == nullptr || longNet == nullptr) return 1;
        std::vector<double> fast, slow, ratio;
        for (int rep = 0; rep < repetitions; ++rep) {
            double rate[2];
            for (int which = 0; which < 2; ++which) {
                TMDIChild& child = which == 0 ? *shortNet : *longNet;
                Activate(child);
                const long long before = browser.Control().StepCount();
                const auto t0 = Clock::now();
                browser.RunLimited(runSteps);
                rate[which] = runSteps / Ms(t0, Clock::now()) * 1000;
                if (browser.Control().StepCount() - before != runSteps) {
                    std::fprintf(stderr, "the run stopped early\n");
                    return 1;
                }
            }
            fast.push_back(rate[0]);
            slow.push_back(rate[1]);
            ratio.push_back(rate[1] / rate[0]);
        }
        const auto* input = static_cast<const TInputs*>(Labelled(*longNet, "I"));
        if (input->Remaining().size() < longSymbols) return 1;
        const double r = Median(ratio);
        std::printf(
            "run: Run %d steps in the Execution Browser, watched input, output and neuron\n",
            runSteps);
        std::printf("  %-34s %10.0f steps/s\n", "input of 100 symbols", Median(fast));
        std::printf("  %-34s %10.0f steps/s  ratio %.2f (target at least 0.50: %s)\n",
                    "input of 2,000,000 symbols", Median(slow), r, r >= 0.5 ? "met" : "NOT met");
        for (TMDIChild* child : {shortNet, longNet}) {
            child->SetModified(false);
            child->parentWidget()->close();
        }
        QApplication::processEvents();
    }

    if (parts.find('i') != std::string::npos) {
        constexpr std::size_t Size = 100u << 20;
        TMDIChild* child = Open(*main, dir.filePath("info.net"), WatchedInputNet(100));
        if (child == nullptr) return 1;
        auto* input = static_cast<TInputs*>(Labelled(*child, "I"));
        auto* output = static_cast<TOutputs*>(Labelled(*child, "O"));
        auto* neuron = Labelled(*child, "N");
        std::string sequence(Size, '0');
        for (std::size_t i = 0; i < Size; i += 7)
            sequence[i] = '1';
        // Ten values of ten million digits each.
        std::vector<std::string> log;
        for (int k = 0; k < 10; ++k)
            log.push_back("0." + std::string(Size / 10 - 2, static_cast<char>('1' + k)));
        // The same 100 MB as history files: one line, and one symbol a line.
        const QString oneLine = dir.filePath("oneline.txt");
        const QString perLine = dir.filePath("perline.txt");
        {
            std::ofstream(oneLine.toStdString(), std::ios::binary) << sequence;
            std::string lines;
            lines.reserve(Size);
            while (lines.size() + 3 <= Size)
                lines += lines.size() % 2 == 0 ? "0\r\n" : "1\r\n";
            std::ofstream(perLine.toStdString(), std::ios::binary) << lines;
        }
        auto* load = info.findChild<QPushButton*>(QStringLiteral("button_load"));
        std::vector<double> copy, seq, hist, file1, fileN;
        for (int rep = 0; rep < repetitions; ++rep) {
            info.close();
            QApplication::processEvents();
            auto t0 = Clock::now();
            std::string copied = sequence;
            copy.push_back(Ms(t0, Clock::now()));
            if (copied.size() != Size) return 1;
            copied = {};

            input->SetSequence(sequence);
            t0 = Clock::now();
            ShowProperties(*main, *child, input);
            seq.push_back(Ms(t0, Clock::now()));

            output->RestoreLog(log);
            info.close();
            QApplication::processEvents();
            t0 = Clock::now();
            ShowProperties(*main, *child, output);
            hist.push_back(Ms(t0, Clock::now()));

            for (const QString& file : {oneLine, perLine}) {
                prompter.file = file;
                t0 = Clock::now();
                load->click();
                info.repaint();
                QApplication::processEvents();
                (file == oneLine ? file1 : fileN).push_back(Ms(t0, Clock::now()));
            }
            ShowProperties(*main, *child, neuron); // lets go of the history shown
            input->SetSequence({});
            output->RestoreLog({});
        }
        const double c = Median(copy);
        std::printf("info: the Info dialog's property page, opened and painted (100 MB = %zu bytes)"
                    "\n",
                    Size);
        std::printf("  %-34s %10.1f ms\n", "copy of 100 MB (the peer)", c);
        auto line = [c](const char* what, const std::vector<double>& v) {
            const double m = Median(v);
            std::printf("  %-34s %10.1f ms  (%.1f copies; target under 1000 ms: %s)\n", what, m,
                        m / c, m < 1000 ? "met" : "NOT met");
        };
        line("input of a 100 MB sequence", seq);
        line("output of a 100 MB history", hist);
        line("history file, one 100 MB line", file1);
        line("history file, a symbol a line", fileN);
        child->SetModified(false);
    }
    for (int i = 0; i < main->ChildCount(); ++i)
        main->ChildAt(i)->SetModified(false);
    return 0;
}
