// What a machine step costs a Turing machine's net, against the length of its tape, next to
// two peers measured in the same run: the net of the same machine as a two-stack machine fed
// one tick per step (the construction for stack machines, three net steps per tick, its stack
// preloaded with the same tape) and a direct simulation of the machine on an array.
//
// The machine bounces between two cells, A: write what it reads, right, B; B: write what it
// reads, left, A; the tape holds N ones to the right of the head, so that every step pushes
// onto and pops from a stack of about N cells. Each figure is the median over REPEATS runs of
// STEPS machine steps, in microseconds per machine step (nanoseconds for the simulation).
//
//   turing_bench [REPEATS [STEPS]]
//   turing_bench --bb5      a direct simulation of the five-state champion, timed: the peer
//                           of bench/bb5_run.sh
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "median.h"
#include "model/dados.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace veltra;

namespace {

constexpr const char* kBounce = "0RB1RB_0LA1LA";

// The bouncing machine as a two-stack tick machine: stack 1 the cells left of the head, stack
// 2 those right of it, the scanned cell in the state (A0 is A reading 0).
constexpr const char* kBounceStacks = R"({"alphabet": ["t"],
 "states": ["A0", "A1", "B0", "B1", "acc"], "start": "A1", "accept": ["acc"], "stacks": 2,
 "transitions": [
   {"state": "A0", "read": "t", "top": ["any", "1"], "next": "B1", "do": ["push 0", "pop"]},
   {"state": "A0", "read": "t", "top": ["any", "0"], "next": "B0", "do": ["push 0", "pop"]},
   {"state": "A0", "read": "t", "top": ["any", "empty"], "next": "B0", "do": ["push 0", "keep"]},
   {"state": "A1", "read": "t", "top": ["any", "1"], "next": "B1", "do": ["push 1", "pop"]},
   {"state": "A1", "read": "t", "top": ["any", "0"], "next": "B0", "do": ["push 1", "pop"]},
   {"state": "A1", "read": "t", "top": ["any", "empty"], "next": "B0", "do": ["push 1", "keep"]},
   {"state": "B0", "read": "t", "top": ["1", "any"], "next": "A1", "do": ["pop", "push 0"]},
   {"state": "B0", "read": "t", "top": ["0", "any"], "next": "A0", "do": ["pop", "push 0"]},
   {"state": "B0", "read": "t", "top": ["empty", "any"], "next": "A0", "do": ["keep", "push 0"]},
   {"state": "B1", "read": "t", "top": ["1", "any"], "next": "A1", "do": ["pop", "push 1"]},
   {"state": "B1", "read": "t", "top": ["0", "any"], "next": "A0", "do": ["pop", "push 1"]},
   {"state": "B1", "read": "t", "top": ["empty", "any"], "next": "A0", "do": ["keep", "push 1"]},
   {"state": "A0", "read": "end", "top": ["any", "any"], "next": "acc", "do": ["keep", "keep"]},
   {"state": "A1", "read": "end", "top": ["any", "any"], "next": "acc", "do": ["keep", "keep"]},
   {"state": "B0", "read": "end", "top": ["any", "any"], "next": "acc", "do": ["keep", "keep"]},
   {"state": "B1", "read": "end", "top": ["any", "any"], "next": "acc", "do": ["keep", "keep"]}
 ]})";

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Microseconds per machine step of the Turing machine's own net.
double TuringNet(long cells, long steps) {
    TTuringMachine machine;
    std::string error;
    machine.Read(kBounce, error);
    TDados document;
    BuildTuringNet(machine, std::vector<int>(std::size_t(cells) + 1, 1), document);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < kNetStepsPerMachineStep * steps; ++i)
        document.Step();
    return Seconds(start) * 1e6 / double(steps);
}

// Microseconds per tick of the two-stack machine's net, stack 2 preloaded with the tape.
double StackNet(long cells, long steps) {
    TMachine machine;
    std::string error;
    machine.Read(kBounceStacks, error);
    TDados document;
    BuildMachineNet(machine, std::vector<int>(std::size_t(steps), 0), document);
    const std::string stack = cells == 0 ? "0" : "0." + std::string(std::size_t(cells), '3');
    for (const auto& element : document.Elements())
        if (element->Label() == "stack2") element->SetValue(TInfinito(stack));
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < kStepsPerSymbol * steps; ++i)
        document.Step();
    return Seconds(start) * 1e6 / double(steps);
}

// Nanoseconds per step of a direct simulation (the tape grows as the head needs it).
double Direct(long cells, long steps) {
    std::vector<unsigned char> tape(std::size_t(cells) + 1, 1);
    std::size_t head = 0;
    char state = 'A';
    volatile unsigned sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < steps; ++i) {
        if (head == tape.size()) tape.push_back(0);
        sink = sink + tape[head];
        if (state == 'A') {
            ++head;
            state = 'B';
        } else {
            --head;
            state = 'A';
        }
    }
    return Seconds(start) * 1e9 / double(steps);
}

// The five-state champion simulated directly on an array: seconds, steps, ones.
int DirectChampion() {
    // Per state and scanned bit: written bit, move, next state (5 halts).
    struct Rule {
        int write, move, next;
    };
    const Rule rules[5][2] = {{{1, 1, 1}, {1, -1, 2}},
                              {{1, 1, 2}, {1, 1, 1}},
                              {{1, 1, 3}, {0, -1, 4}},
                              {{1, -1, 0}, {1, -1, 3}},
                              {{1, 1, 5}, {0, -1, 0}}};
    std::vector<unsigned char> tape(1 << 16, 0);
    std::size_t head = tape.size() / 2;
    int state = 0;
    long long steps = 0;
    const auto start = std::chrono::steady_clock::now();
    while (state != 5) {
        const Rule& r = rules[state][tape[head]];
        tape[head] = static_cast<unsigned char>(r.write);
        head += static_cast<std::size_t>(static_cast<long>(r.move));
        state = r.next;
        ++steps;
    }
    const double seconds = Seconds(start);
    long ones = 0;
    for (unsigned char cell : tape)
        ones += cell;
    std::printf("direct simulation: seconds=%.4f steps=%lld ones=%ld\n", seconds, steps, ones);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--bb5") return DirectChampion();
    const int repeats = argc > 1 ? std::stoi(argv[1]) : 5;
    const long steps = argc > 2 ? std::stol(argv[2]) : 2000;
    std::printf("cells\tthis net us/step\ttick net us/step\ttick/this\tdirect ns/step\n");
    for (long cells : {0L, 1000L, 10000L, 100000L}) {
        std::vector<double> turing, stack, direct;
        for (int r = 0; r < repeats; ++r) {
            turing.push_back(TuringNet(cells, steps));
            stack.push_back(StackNet(cells, steps));
            direct.push_back(Direct(cells, steps * 1000));
        }
        const double t = bench::Median(turing), s = bench::Median(stack);
        std::printf("%ld\t%.2f\t%.2f\t%.1f\t%.2f\n", cells, t, s, s / t, bench::Median(direct));
        std::fflush(stdout);
    }
    return 0;
}
