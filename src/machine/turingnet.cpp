#include "machine/turingnet.h"

#include "machine/gridlayout.h"
#include "machine/wiring.h"
#include "model/dados.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/protolista.h"

#include <charconv>
#include <memory>
#include <utility>

namespace veltra {

namespace {

// The drawing's grid: the configurations as a table (a row per state, a column per symbol),
// then a column each for the next states, the sides' readers, their stacks and the step count
// with `halted`, and the output last.

// The weight of one machine step in `steps`: the count is exact below 10^24 steps.
constexpr int kStepDigits = 24;

const char* const kSideNames[2] = {"left", "right"};

TInfinito Integer(long long value) {
    return TInfinito(std::to_string(value));
}

// 10^exponent as a decimal: one group for any exponent.
TInfinito PowerOfTen(int exponent) {
    std::string text = exponent >= 0 ? "1" : "0.";
    text.append(static_cast<std::size_t>(exponent >= 0 ? exponent : -exponent - 1), '0');
    if (exponent < 0) text += '1';
    return TInfinito(text);
}

// The digits of one cell: enough for the largest digit, 2k - 1.
int DigitsPerCell(int symbols) {
    int digits = 1;
    for (long long top = 10; top < 2LL * symbols; top *= 10)
        ++digits;
    return digits;
}

// A stack of cells, the first on top, as the decimal the net holds.
std::string StackText(const std::vector<int>& cells, int digits) {
    if (cells.empty()) return "0";
    std::string text = "0.";
    for (int cell : cells) {
        const std::string digit = std::to_string(2 * cell + 1);
        text.append(static_cast<std::size_t>(digits) - digit.size(), '0');
        text += digit;
    }
    return text;
}

std::string ConfigLabel(const std::string& state, const std::string& symbol) {
    return state + " " + symbol;
}

std::string ReaderLabel(int side, const std::string& symbol) {
    return std::string(kSideNames[side]) + " >=" + symbol;
}

} // namespace

void BuildTuringNet(const TTuringMachine& machine, const std::vector<int>& tape, TDados& document) {
    const int states = machine.StateCount();
    const int symbols = machine.SymbolCount();
    const int digits = DigitsPerCell(symbols);
    const TInfinito up = PowerOfTen(digits);    // B
    const TInfinito down = PowerOfTen(-digits); // 1/B
    TWiring wiring;

    TGridLayout layout;
    const int nextColumn = symbols;
    const int sideColumn = nextColumn + 1;
    const int stackColumn = sideColumn + 1;
    const int sideRows = symbols + 2; // push, pop, the readers and a gap
    const int rightColumn = stackColumn + 1;
    auto place = [&](int column, int row, const std::string& label) {
        return PlaceInCell<TNeuronio>(document, layout, column, row, label);
    };

    TNeuronio* steps = place(rightColumn, 0, "steps");
    wiring.Add(steps, steps, "1");

    struct TSide {
        TNeuronio* stack;
        TNeuronio* push;
        TNeuronio* pop;
        std::vector<TNeuronio*> atLeast; // index a - 1
    } side[2];
    for (int s = 0; s < 2; ++s) {
        side[s].stack = place(stackColumn, s * sideRows + 1, kSideNames[s]);
    }
    // The head starts on the tape's first cell: the rest is the right stack.
    if (tape.size() > 1)
        side[1].stack->SetValue(
            TInfinito(StackText(std::vector<int>(tape.begin() + 1, tape.end()), digits)));
    for (int s = 0; s < 2; ++s) {
        const int row = s * sideRows;
        const std::string name = kSideNames[s];
        TSide& d = side[s];
        d.push = place(sideColumn, row, name + " push");
        d.pop = place(sideColumn, row + 1, name + " pop");
        wiring.Add(d.stack, d.push, down);
        wiring.Add(d.stack, d.pop, "1");
        wiring.Add(d.push, d.stack, "1");
        wiring.Add(d.pop, d.stack, up);
        for (int a = 1; a < symbols; ++a) {
            TNeuronio* reader = place(sideColumn, row + a + 1,
                                      ReaderLabel(s, machine.symbols[static_cast<std::size_t>(a)]));
            wiring.Add(d.stack, reader, up);
            wiring.Add(reader, d.stack, "-2");
            d.atLeast.push_back(reader);
        }
    }

    std::vector<TNeuronio*> next;
    for (int q = 0; q < states; ++q)
        next.push_back(place(nextColumn, q, machine.states[static_cast<std::size_t>(q)] + " next"));

    std::vector<TNeuronio*> configs;
    for (int q = 0; q < states; ++q)
        for (int a = 0; a < symbols; ++a) {
            TNeuronio* config = place(a, q,
                                      ConfigLabel(machine.states[static_cast<std::size_t>(q)],
                                                  machine.symbols[static_cast<std::size_t>(a)]));
            configs.push_back(config);
        }
    const std::size_t first = tape.empty() ? 0 : static_cast<std::size_t>(tape.front());
    configs[static_cast<std::size_t>(machine.start) * static_cast<std::size_t>(symbols) + first]
        ->SetValue(TInfinito("1"));

    TNeuronio* halted = place(rightColumn, 2, "halted");
    TOutputs* halt = PlaceInCell<TOutputs>(document, layout, rightColumn + 1, 2, "Halt");

    // What each configuration does in the odd step after it.
    const TInfinito stepUnit = PowerOfTen(-kStepDigits);
    for (int q = 0; q < states; ++q)
        for (int a = 0; a < symbols; ++a) {
            TNeuronio* config = configs[static_cast<std::size_t>(q * symbols + a)];
            const TTuringAction* action = machine.Action(q, a);
            // Pushing onto `left` and popping `right` when moving right; the other way round
            // when moving left; nothing at all when halting.
            const int pushed = action == nullptr ? -1 : action->right ? 0 : 1;
            for (int s = 0; s < 2; ++s) {
                const TSide& d = side[s];
                if (s == pushed) {
                    wiring.Add(config, d.push,
                               TInfinito::Multiply(Integer(2 * action->write + 1), down));
                } else {
                    wiring.Add(config, d.push, "-1");
                }
                const bool popped = action != nullptr && s != pushed;
                wiring.Add(config, d.pop, popped ? down.Negated() : Integer(-1));
                for (int a2 = 1; a2 < symbols; ++a2)
                    wiring.Add(config, d.atLeast[static_cast<std::size_t>(a2 - 1)],
                               Integer(-2 * a2 - (popped ? 0 : 2 * symbols)));
            }
            if (action == nullptr) {
                wiring.Add(config, halted, "1");
                wiring.Add(config, steps, "-1");
            } else {
                wiring.Add(config, next[static_cast<std::size_t>(action->next)], "1");
                wiring.Add(config, steps, stepUnit);
            }
        }

    // The even step: the next state and the symbol the readers found.
    for (int q = 0; q < states; ++q)
        for (int a = 0; a < symbols; ++a) {
            TNeuronio* config = configs[static_cast<std::size_t>(q * symbols + a)];
            if (a == 0) {
                wiring.Add(next[static_cast<std::size_t>(q)], config, "1");
            } else {
                for (int p = 0; p < states; ++p)
                    if (p != q) wiring.Add(next[static_cast<std::size_t>(p)], config, "-1");
            }
            for (int s = 0; s < 2; ++s) {
                const auto& atLeast = side[s].atLeast;
                if (a >= 1) wiring.Add(atLeast[static_cast<std::size_t>(a - 1)], config, "1");
                if (a + 1 < symbols) wiring.Add(atLeast[static_cast<std::size_t>(a)], config, "-1");
            }
        }
    wiring.Connect();
    auto synapse = std::make_unique<TSinapse>();
    synapse->SetWeightText("1");
    synapse->SetUp(halted, halt);
    halt->AddIncoming(halted->AddOutgoing(std::move(synapse)));
    layout.Apply();
}

std::string TTuringView::Line() const {
    return "machine: steps=" + std::to_string(steps) + " halted=" + (halted ? "yes" : "no") +
           " state=" + state + " nonblank=" + std::to_string(nonblank) +
           " head=" + std::to_string(head) + " tape=" + cells;
}

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

bool TTuringNetReader::Attach(const TProtoLista& list, std::string& errorText) {
    *this = TTuringNetReader();
    std::vector<const TProtoNeuronio*> items;
    for (const auto& element : list)
        items.push_back(element.get());
    std::size_t at = 0;
    const auto neuron = [&](std::string_view label) -> const TNeuronio* {
        if (at >= items.size() || items[at]->Label() != label) return nullptr;
        return dynamic_cast<const TNeuronio*>(items[at++]);
    };
    const auto fail = [&](const std::string& what) {
        *this = TTuringNetReader();
        errorText = "not a net that construct --tm built: " + what;
        return false;
    };
    if ((steps_ = neuron("steps")) == nullptr) return fail("its first element is not 'steps'");
    for (int s = 0; s < 2; ++s)
        if ((sides_[s].stack = neuron(kSideNames[s])) == nullptr)
            return fail(std::string("no neuron '") + kSideNames[s] + "' after 'steps'");
    symbols_.assign(1, std::string());
    for (int s = 0; s < 2; ++s) {
        const std::string name = kSideNames[s];
        TSide& d = sides_[s];
        if ((d.push = neuron(name + " push")) == nullptr ||
            (d.pop = neuron(name + " pop")) == nullptr)
            return fail("no neurons '" + name + " push' and '" + name + " pop' in their place");
        const std::string reader = name + " >=";
        while (at < items.size() && StartsWith(items[at]->Label(), reader)) {
            const std::string symbol = items[at]->Label().substr(reader.size());
            if (s == 0) symbols_.push_back(symbol);
            const std::size_t a = d.atLeast.size() + 1;
            if (a >= symbols_.size() || symbols_[a] != symbol ||
                (d.atLeast.push_back(neuron(reader + symbol)), d.atLeast.back() == nullptr))
                return fail("the readers of '" + name + "' differ from those of 'left'");
        }
    }
    if (sides_[1].atLeast.size() != sides_[0].atLeast.size())
        return fail("the readers of 'right' differ from those of 'left'");
    while (at < items.size() && EndsWith(items[at]->Label(), " next")) {
        const std::string& label = items[at]->Label();
        states_.push_back(label.substr(0, label.size() - 5));
        if (neuron(label) == nullptr) return fail("'" + label + "' is not a neuron");
        next_.push_back(static_cast<const TNeuronio*>(items[at - 1]));
    }
    if (states_.empty()) return fail("no neurons 'STATE next'");
    const std::size_t configCount = states_.size() * symbols_.size();
    if (at + configCount + 2 != items.size())
        return fail("not one neuron per state and symbol, then 'halted' and the output 'Halt'");
    const TProtoNeuronio* halt = items[items.size() - 2];
    if (halt->Label() != "halted" || dynamic_cast<const TNeuronio*>(halt) == nullptr ||
        items.back()->Kind() != TElementKind::Output || items.back()->Label() != "Halt")
        return fail("its last elements are not the neuron 'halted' and the output 'Halt'");
    // The blank's name comes from the first configuration: "STATE BLANK".
    const std::string& firstLabel = items[at]->Label();
    if (!StartsWith(firstLabel, states_[0] + " "))
        return fail("'" + firstLabel + "' is out of place");
    symbols_[0] = firstLabel.substr(states_[0].size() + 1);
    for (std::size_t q = 0; q < states_.size(); ++q)
        for (std::size_t a = 0; a < symbols_.size(); ++a) {
            const std::string label = ConfigLabel(states_[q], symbols_[a]);
            const TNeuronio* config = neuron(label);
            if (config == nullptr) return fail("no neuron '" + label + "' in its place");
            const bool halts = config->HasOutgoingTo(halt);
            configs_.push_back({config, static_cast<int>(q), static_cast<int>(a), halts});
            if (halts) halting_.push_back(config);
        }
    digits_ = DigitsPerCell(static_cast<int>(symbols_.size()));
    errorText.clear();
    return true;
}

bool TTuringNetReader::AtHalt() const {
    for (const TNeuronio* config : halting_)
        if (!config->GetValue().IsZero()) return true;
    return false;
}

bool TTuringNetReader::Cells(const TNeuronio& stack, std::vector<int>& cells,
                             std::string& errorText) const {
    return StackCells(stack.GetValue(), stack.Label(), cells, errorText);
}

bool TTuringNetReader::StackCells(const TInfinito& value, const std::string& name,
                                  std::vector<int>& cells, std::string& errorText) const {
    cells.clear();
    const std::string text = value.ToText();
    if (text == "0") return true;
    if (!StartsWith(text, "0.")) {
        errorText = "'" + name + "' holds " + text.substr(0, 40) + ", which is not a tape";
        return false;
    }
    std::string digits = text.substr(2);
    digits.append(
        (static_cast<std::size_t>(digits_) - digits.size() % static_cast<std::size_t>(digits_)) %
            static_cast<std::size_t>(digits_),
        '0');
    cells.reserve(digits.size() / static_cast<std::size_t>(digits_));
    for (std::size_t i = 0; i < digits.size(); i += static_cast<std::size_t>(digits_)) {
        int digit = 0;
        std::from_chars(digits.data() + i, digits.data() + i + digits_, digit);
        if (digit % 2 == 0 || digit >= 2 * static_cast<int>(symbols_.size())) {
            errorText = "'" + name + "' holds the digit " + std::to_string(digit) + " at cell " +
                        std::to_string(cells.size() + 1) + ", which is no symbol's";
            return false;
        }
        cells.push_back(digit / 2);
    }
    return true;
}

bool TTuringNetReader::Decode(TTuringView& view, std::string& errorText) const {
    if (!Attached()) {
        errorText = "no net";
        return false;
    }
    int state = -1, symbol = -1;
    std::vector<int> sideCells[2];
    // An even step: one configuration is on, the stacks hold the tape.
    for (const TConfig& c : configs_) {
        if (c.neuron->GetValue().IsZero()) continue;
        if (state >= 0 || c.neuron->GetValue().ToText() != "1") {
            errorText = "the configuration neurons hold no single 1 ('" + c.neuron->Label() + "')";
            return false;
        }
        state = c.state;
        symbol = c.symbol;
    }
    if (state >= 0) {
        for (int s = 0; s < 2; ++s)
            if (!Cells(*sides_[s].stack, sideCells[s], errorText)) return false;
    } else {
        // An odd step: the stacks and the scanned symbol as the next step will make them.
        for (std::size_t q = 0; q < next_.size(); ++q) {
            if (next_[q]->GetValue().IsZero()) continue;
            if (state >= 0 || next_[q]->GetValue().ToText() != "1") {
                errorText = "the next-state neurons hold no single 1 ('" + next_[q]->Label() + "')";
                return false;
            }
            state = static_cast<int>(q);
        }
        if (state < 0) {
            errorText = "no configuration neuron is on: the net holds no machine";
            return false;
        }
        symbol = 0;
        const TInfinito up = PowerOfTen(digits_);
        for (int s = 0; s < 2; ++s) {
            const TSide& d = sides_[s];
            TInfinito stack =
                TInfinito::Add(d.push->GetValue(), TInfinito::Multiply(up, d.pop->GetValue()));
            for (const TNeuronio* reader : d.atLeast) {
                if (reader->GetValue().IsZero()) continue;
                ++symbol;
                stack = TInfinito::Add(stack, Integer(-2));
            }
            if (!StackCells(stack, kSideNames[s], sideCells[s], errorText)) return false;
        }
    }
    const TConfig& config = configs_[static_cast<std::size_t>(state) * symbols_.size() +
                                     static_cast<std::size_t>(symbol)];
    view.halted = config.halts;
    view.state = states_[static_cast<std::size_t>(state)];

    const TInfinito count = TInfinito::Multiply(steps_->GetValue(), PowerOfTen(kStepDigits));
    const std::string countText = count.ToText();
    const auto [end, ec] =
        std::from_chars(countText.data(), countText.data() + countText.size(), view.steps);
    if (ec != std::errc() || end != countText.data() + countText.size()) {
        errorText = "'steps' holds " + steps_->GetValue().ToText() + ", which is no count";
        return false;
    }

    // The tape from its leftmost cell: the left stack reversed, the head, the right stack.
    std::vector<int> tape(sideCells[0].rbegin(), sideCells[0].rend());
    const long long headAt = static_cast<long long>(tape.size());
    tape.push_back(symbol);
    tape.insert(tape.end(), sideCells[1].begin(), sideCells[1].end());
    long long lo = 0, hi = static_cast<long long>(tape.size());
    while (lo < hi && tape[static_cast<std::size_t>(lo)] == 0)
        ++lo;
    while (hi > lo && tape[static_cast<std::size_t>(hi - 1)] == 0)
        --hi;
    view.cells.clear();
    view.nonblank = 0;
    for (long long i = lo; i < hi; ++i) {
        const int cell = tape[static_cast<std::size_t>(i)];
        view.cells += symbols_[static_cast<std::size_t>(cell)];
        view.nonblank += cell != 0 ? 1 : 0;
    }
    view.head = lo < hi ? headAt - lo : 0;
    errorText.clear();
    return true;
}

void TTuringWatch::Observe() {
    if (!reader_.Attached() || !reader_.AtHalt()) return;
    TTuringView view;
    std::string error;
    if (reader_.Decode(view, error)) halted_ = view;
}

bool TTuringWatch::Current(TTuringView& view, std::string& errorText) const {
    if (reader_.Decode(view, errorText)) return true;
    if (!halted_) return false;
    view = *halted_;
    errorText.clear();
    return true;
}

} // namespace veltra
