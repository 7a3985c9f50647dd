#include "machine/machinenet.h"

#include "model/dados.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

#include <map>
#include <memory>
#include <utility>

namespace veltra {

namespace {

// Drawing layout, in pixels: columns left to right as the signal flows.
constexpr int kRow = 40;
constexpr int kTop = 40;
constexpr int kInputColumn = 40;
constexpr int kStateColumn = 140;
constexpr int kCopyColumn = 200;
constexpr int kTransitionColumn = 300;
constexpr int kCandidateColumn = 360; // one column per stack after it
constexpr int kColumn = 60;

// Weights of one neuron's incoming synapses, summed per source, so the net has one synapse
// per pair of elements and a term that cancels out draws no line.
class TWiring {
public:
    void Add(TProtoNeuronio* from, TNeuronio* to, const TInfinito& weight) {
        auto& sum = weights_[{from, to}];
        sum = TInfinito::Add(sum, weight);
        order_.push_back({from, to});
    }
    void Add(TProtoNeuronio* from, TNeuronio* to, std::string_view weight) {
        Add(from, to, TInfinito(weight));
    }

    // Makes the synapses, in the order their pairs were first named.
    void Connect() {
        for (const auto& pair : order_) {
            auto it = weights_.find(pair);
            if (it == weights_.end()) continue;
            TInfinito weight = std::move(it->second);
            weights_.erase(it);
            weight.Normalize();
            if (weight.IsZero()) continue;
            auto synapse = std::make_unique<TSinapse>();
            synapse->SetWeight(std::move(weight));
            synapse->SetUp(pair.first, pair.second);
            TSinapse* raw = pair.first->AddOutgoing(std::move(synapse));
            pair.second->AddIncoming(raw);
            if (pair.first == pair.second) pair.second->SetLoop(true);
        }
    }

private:
    std::map<std::pair<TProtoNeuronio*, TNeuronio*>, TInfinito> weights_;
    std::vector<std::pair<TProtoNeuronio*, TNeuronio*>> order_;
};

template <class T> T* Place(TDados& document, int x, int y, const std::string& label) {
    auto element = std::make_unique<T>();
    const int glyph = GlyphIndex(element->Kind());
    element->Setup(x, y, glyph, glyph + 1, document.Net().ElementCounter());
    element->SetLabel(label);
    return static_cast<T*>(document.AddElement(std::move(element)));
}

TInfinito Integer(long long value) {
    return TInfinito(std::to_string(value));
}

struct TStackNeurons {
    TNeuronio* value = nullptr; // stackJ
    TNeuronio* drop = nullptr;  // dropJ
    TNeuronio* top = nullptr;   // topJ
    TNeuronio* full = nullptr;  // emptyJ: 1 while the stack holds something
};

} // namespace

std::string MachineInputSequence(const TMachine& machine, const std::vector<int>& word,
                                 int symbol) {
    std::string sequence;
    for (std::size_t at = 0; at <= word.size(); ++at) {
        const int read = at < word.size() ? word[at] : machine.EndSymbol();
        sequence.append(kStepsPerSymbol, read == symbol ? '1' : '0');
    }
    return sequence;
}

void BuildMachineNet(const TMachine& machine, const std::vector<int>& word, TDados& document) {
    const int stateCount = static_cast<int>(machine.states.size());
    const int symbolCount = machine.EndSymbol() + 1;
    const int transitionCount = static_cast<int>(machine.transitions.size());
    TWiring wiring;

    // Inputs on the left, one per symbol and one for the end marker, with the constant below.
    std::vector<TInputs*> inputs;
    for (int s = 0; s < symbolCount; ++s) {
        const std::string label =
            s < machine.EndSymbol() ? machine.alphabet[static_cast<std::size_t>(s)] : "end";
        TInputs* input = Place<TInputs>(document, kInputColumn, kTop + s * kRow, label);
        input->SetSequence(MachineInputSequence(machine, word, s));
        inputs.push_back(input);
    }
    TPendor* one = Place<TPendor>(document, kInputColumn, kTop + (symbolCount + 1) * kRow, "one");

    // States and their copies, one row each.
    std::vector<TNeuronio*> states;
    std::vector<TNeuronio*> copies;
    for (int q = 0; q < stateCount; ++q) {
        const std::string& name = machine.states[static_cast<std::size_t>(q)];
        TNeuronio* state = Place<TNeuronio>(document, kStateColumn, kTop + q * kRow, name);
        TNeuronio* copy = Place<TNeuronio>(document, kCopyColumn, kTop + q * kRow, name + "'");
        if (q == machine.start) state->SetValue(TInfinito("1"));
        wiring.Add(state, copy, "1");
        states.push_back(state);
        copies.push_back(copy);
    }

    // The stacks and their readers, right of the transitions' columns.
    const int stackColumn = kCandidateColumn + machine.stacks * kColumn + kColumn;
    std::vector<TStackNeurons> stacks;
    for (int j = 0; j < machine.stacks; ++j) {
        const std::string n = std::to_string(j + 1);
        const int y = kTop + j * 4 * kRow;
        TStackNeurons s;
        s.value = Place<TNeuronio>(document, stackColumn, y, "stack" + n);
        s.drop = Place<TNeuronio>(document, stackColumn + kColumn, y, "drop" + n);
        s.top = Place<TNeuronio>(document, stackColumn, y + 2 * kRow, "top" + n);
        s.full = Place<TNeuronio>(document, stackColumn + kColumn, y + 2 * kRow, "empty" + n);
        wiring.Add(s.value, s.top, "10");
        wiring.Add(one, s.top, "-2");
        wiring.Add(s.value, s.full, "10");
        // The old value is dropped only in the step a transition decides (a state copy is 1).
        wiring.Add(s.value, s.drop, "1");
        for (TNeuronio* copy : copies)
            wiring.Add(copy, s.drop, "1");
        wiring.Add(one, s.drop, "-1");
        wiring.Add(s.value, s.value, "1");
        wiring.Add(s.drop, s.value, "-1");
        stacks.push_back(s);
    }

    const int acceptColumn = stackColumn + 3 * kColumn;
    TNeuronio* accepting = Place<TNeuronio>(document, acceptColumn, kTop, "accepting");

    for (int i = 0; i < transitionCount; ++i) {
        const TMachineTransition& t = machine.transitions[static_cast<std::size_t>(i)];
        const std::string name = "t" + std::to_string(i + 1);
        const int y = kTop + i * kRow;
        const std::string readName = t.read < machine.EndSymbol()
                                         ? machine.alphabet[static_cast<std::size_t>(t.read)]
                                         : "end";
        TNeuronio* fires = Place<TNeuronio>(
            document, kTransitionColumn, y,
            name + " " + machine.states[static_cast<std::size_t>(t.state)] + " " + readName);

        // The literals: each is 0 or 1, all are 1 exactly when the transition applies.
        std::vector<std::pair<TProtoNeuronio*, long long>> literal;
        literal.push_back({copies[static_cast<std::size_t>(t.state)], 1});
        literal.push_back({inputs[static_cast<std::size_t>(t.read)], 1});
        long long constant = 0;
        long long count = 2;
        for (int j = 0; j < machine.stacks; ++j) {
            const TStackNeurons& s = stacks[static_cast<std::size_t>(j)];
            switch (t.top[static_cast<std::size_t>(j)]) {
            case TStackTop::Empty: // 1 - full
                literal.push_back({s.full, -1});
                ++constant;
                ++count;
                break;
            case TStackTop::Zero: // full - top
                literal.push_back({s.full, 1});
                literal.push_back({s.top, -1});
                ++count;
                break;
            case TStackTop::One:
                literal.push_back({s.top, 1});
                ++count;
                break;
            case TStackTop::Any:
                break;
            }
        }
        for (const auto& [source, weight] : literal)
            wiring.Add(source, fires, Integer(weight));
        wiring.Add(one, fires, Integer(constant - (count - 1)));
        wiring.Add(fires, states[static_cast<std::size_t>(t.next)], "1");
        if (t.read == machine.EndSymbol() && machine.accepting[static_cast<std::size_t>(t.next)])
            wiring.Add(fires, accepting, "1");

        // One neuron per stack: the stack's new value if this transition applies, else 0.
        for (int j = 0; j < machine.stacks; ++j) {
            const TStackNeurons& s = stacks[static_cast<std::size_t>(j)];
            TNeuronio* candidate = Place<TNeuronio>(document, kCandidateColumn + j * kColumn, y,
                                                    name + " stack" + std::to_string(j + 1));
            for (const auto& [source, weight] : literal)
                wiring.Add(source, candidate, Integer(4 * weight));
            TInfinito bias = Integer(4 * (constant - count));
            switch (t.action[static_cast<std::size_t>(j)]) {
            case TStackAction::Keep:
                wiring.Add(s.value, candidate, "1");
                break;
            case TStackAction::Push0:
                wiring.Add(s.value, candidate, "0.1");
                bias = TInfinito::Add(bias, TInfinito("0.1"));
                break;
            case TStackAction::Push1:
                wiring.Add(s.value, candidate, "0.1");
                bias = TInfinito::Add(bias, TInfinito("0.3"));
                break;
            case TStackAction::Pop: // 10x - 1 - 2 top; an empty stack gives -1, so stays empty
                wiring.Add(s.value, candidate, "10");
                wiring.Add(s.top, candidate, "-2");
                bias = TInfinito::Add(bias, TInfinito("-1"));
                break;
            }
            wiring.Add(one, candidate, bias);
            wiring.Add(candidate, s.value, "1");
        }
    }

    TOutputs* output = Place<TOutputs>(document, acceptColumn + kColumn, kTop, "Accept");
    wiring.Connect();
    auto synapse = std::make_unique<TSinapse>();
    synapse->SetWeightText("1");
    synapse->SetUp(accepting, output);
    output->AddIncoming(accepting->AddOutgoing(std::move(synapse)));
}

bool NetAccepted(TDados& document) {
    for (const auto& element : document.Elements())
        if (element->Kind() == TElementKind::Output && element->Label() == "Accept")
            return element->ValueText().find('1') != std::string::npos;
    return false;
}

} // namespace veltra
