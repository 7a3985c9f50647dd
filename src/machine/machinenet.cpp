#include "machine/machinenet.h"

#include "machine/gridlayout.h"
#include "machine/wiring.h"
#include "model/dados.h"
#include "model/glyphs.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

#include <memory>
#include <utility>

namespace veltra {

namespace {

// The drawing's columns, left to right as the signal flows; after the candidates (one column
// per stack) come the stacks with their readers, `accepting` and the output.
constexpr int kInputColumn = 0;
constexpr int kStateColumn = 1;
constexpr int kCopyColumn = 2;
constexpr int kTransitionColumn = 3;
constexpr int kCandidateColumn = 4;

TInfinito Integer(long long value) {
    return TInfinito(std::to_string(value));
}

struct TStackNeurons {
    TNeuronio* value = nullptr; // stackJ
    TNeuronio* drop = nullptr;  // dropJ
    TNeuronio* top = nullptr;   // topJ
    TNeuronio* full = nullptr;  // emptyJ: 1 while the stack holds something
};

// When a transition applies, as 0/1 literals that are all 1 exactly then: the sum of
// `weight * source` over the literals plus `constant` is `count` when the transition applies
// and at most `count - 1` otherwise.
struct TCondition {
    std::vector<std::pair<TProtoNeuronio*, long long>> literals;
    long long constant = 0;
    long long count = 0;
};

// Builds the net in the order its elements and synapses are saved: the inputs, the states,
// the stacks, then each transition with its candidates, then the output. Elements are put in
// the cells of a grid (a row per state and per transition), laid out once they are wired.
class TMachineNetBuilder {
public:
    TMachineNetBuilder(const TMachine& machine, const std::vector<int>& word, TDados& document)
        : machine_(machine), word_(word), document_(document),
          stackColumn_(kCandidateColumn + machine.stacks), acceptColumn_(stackColumn_ + 2) {}

    void Build() {
        PlaceInputs();
        PlaceStates();
        PlaceStacks();
        accepting_ = Place<TNeuronio>(acceptColumn_, 0, "accepting");
        for (std::size_t i = 0; i < machine_.transitions.size(); ++i)
            WireTransition(i);
        output_ = Place<TOutputs>(acceptColumn_ + 1, 0, "Accept");
        Connect();
        layout_.Apply();
    }

private:
    template <class T> T* Place(int column, int row, const std::string& label) {
        return PlaceInCell<T>(document_, layout_, column, row, label);
    }

    std::string SymbolName(int symbol) const {
        return symbol < machine_.EndSymbol() ? machine_.alphabet[static_cast<std::size_t>(symbol)]
                                             : "end";
    }

    // One input per symbol and one for the end marker, with the constant below them.
    void PlaceInputs() {
        const int symbolCount = machine_.EndSymbol() + 1;
        for (int s = 0; s < symbolCount; ++s) {
            TInputs* input = Place<TInputs>(kInputColumn, s, SymbolName(s));
            input->SetSequence(MachineInputSequence(machine_, word_, s));
            inputs_.push_back(input);
        }
        one_ = Place<TPendor>(kInputColumn, symbolCount + 1, "one");
    }

    // Each state and its copy on one row; the start state begins at 1.
    void PlaceStates() {
        for (std::size_t q = 0; q < machine_.states.size(); ++q) {
            const std::string& name = machine_.states[q];
            const int row = static_cast<int>(q);
            TNeuronio* state = Place<TNeuronio>(kStateColumn, row, name);
            TNeuronio* copy = Place<TNeuronio>(kCopyColumn, row, name + "'");
            if (static_cast<int>(q) == machine_.start) state->SetValue(TInfinito("1"));
            wiring_.Add(state, copy, "1");
            states_.push_back(state);
            copies_.push_back(copy);
        }
    }

    // The stacks and their readers, right of the transitions' columns.
    void PlaceStacks() {
        for (int j = 0; j < machine_.stacks; ++j) {
            const std::string n = std::to_string(j + 1);
            const int row = j * 4;
            TStackNeurons s;
            s.value = Place<TNeuronio>(stackColumn_, row, "stack" + n);
            s.drop = Place<TNeuronio>(stackColumn_ + 1, row, "drop" + n);
            s.top = Place<TNeuronio>(stackColumn_, row + 2, "top" + n);
            s.full = Place<TNeuronio>(stackColumn_ + 1, row + 2, "empty" + n);
            wiring_.Add(s.value, s.top, "10");
            wiring_.Add(one_, s.top, "-2");
            wiring_.Add(s.value, s.full, "10");
            // The old value is dropped only in the step a transition decides (a state copy is 1).
            wiring_.Add(s.value, s.drop, "1");
            for (TNeuronio* copy : copies_)
                wiring_.Add(copy, s.drop, "1");
            wiring_.Add(one_, s.drop, "-1");
            wiring_.Add(s.value, s.value, "1");
            wiring_.Add(s.drop, s.value, "-1");
            stacks_.push_back(s);
        }
    }

    TCondition ConditionOf(const TMachineTransition& t) const {
        TCondition when;
        when.literals.push_back({copies_[static_cast<std::size_t>(t.state)], 1});
        when.literals.push_back({inputs_[static_cast<std::size_t>(t.read)], 1});
        when.count = 2;
        for (int j = 0; j < machine_.stacks; ++j) {
            const TStackNeurons& s = stacks_[static_cast<std::size_t>(j)];
            switch (t.top[static_cast<std::size_t>(j)]) {
            case TStackTop::Empty: // 1 - full
                when.literals.push_back({s.full, -1});
                ++when.constant;
                ++when.count;
                break;
            case TStackTop::Zero: // full - top
                when.literals.push_back({s.full, 1});
                when.literals.push_back({s.top, -1});
                ++when.count;
                break;
            case TStackTop::One:
                when.literals.push_back({s.top, 1});
                ++when.count;
                break;
            case TStackTop::Any:
                break;
            }
        }
        return when;
    }

    // The transition's neuron, 1 exactly when it applies, feeding the next state (and
    // `accepting` when it reads the end into an accept state), and one candidate per stack.
    void WireTransition(std::size_t i) {
        const TMachineTransition& t = machine_.transitions[i];
        const std::string name = "t" + std::to_string(i + 1);
        const int row = static_cast<int>(i);
        TNeuronio* fires =
            Place<TNeuronio>(kTransitionColumn, row,
                             name + " " + machine_.states[static_cast<std::size_t>(t.state)] + " " +
                                 SymbolName(t.read));
        const TCondition when = ConditionOf(t);
        for (const auto& [source, weight] : when.literals)
            wiring_.Add(source, fires, Integer(weight));
        wiring_.Add(one_, fires, Integer(when.constant - (when.count - 1)));
        wiring_.Add(fires, states_[static_cast<std::size_t>(t.next)], "1");
        if (t.read == machine_.EndSymbol() && machine_.accepting[static_cast<std::size_t>(t.next)])
            wiring_.Add(fires, accepting_, "1");
        for (int j = 0; j < machine_.stacks; ++j)
            WireCandidate(t, when, j, row, name + " stack" + std::to_string(j + 1));
    }

    // A neuron holding stack j's new value when the transition applies and 0 otherwise:
    // sat(f + 4 (sum - count)), since the new value f is below 4.
    void WireCandidate(const TMachineTransition& t, const TCondition& when, int j, int row,
                       const std::string& label) {
        const TStackNeurons& s = stacks_[static_cast<std::size_t>(j)];
        TNeuronio* candidate = Place<TNeuronio>(kCandidateColumn + j, row, label);
        for (const auto& [source, weight] : when.literals)
            wiring_.Add(source, candidate, Integer(4 * weight));
        TInfinito bias = Integer(4 * (when.constant - when.count));
        switch (t.action[static_cast<std::size_t>(j)]) {
        case TStackAction::Keep:
            wiring_.Add(s.value, candidate, "1");
            break;
        case TStackAction::Push0:
            wiring_.Add(s.value, candidate, "0.1");
            bias = TInfinito::Add(bias, TInfinito("0.1"));
            break;
        case TStackAction::Push1:
            wiring_.Add(s.value, candidate, "0.1");
            bias = TInfinito::Add(bias, TInfinito("0.3"));
            break;
        case TStackAction::Pop: // 10x - 1 - 2 top; an empty stack gives -1, so stays empty
            wiring_.Add(s.value, candidate, "10");
            wiring_.Add(s.top, candidate, "-2");
            bias = TInfinito::Add(bias, TInfinito("-1"));
            break;
        }
        wiring_.Add(one_, candidate, bias);
        wiring_.Add(candidate, s.value, "1");
    }

    // The synapses, from where the elements stand; the output's, which records
    // `accepting`, comes after all the others.
    void Connect() {
        wiring_.Connect();
        auto synapse = std::make_unique<TSinapse>();
        synapse->SetWeightText("1");
        synapse->SetUp(accepting_, output_);
        output_->AddIncoming(accepting_->AddOutgoing(std::move(synapse)));
    }

    const TMachine& machine_;
    const std::vector<int>& word_;
    TDados& document_;
    const int stackColumn_;
    const int acceptColumn_;
    TGridLayout layout_;
    TWiring wiring_;
    std::vector<TInputs*> inputs_;
    TPendor* one_ = nullptr;
    std::vector<TNeuronio*> states_;
    std::vector<TNeuronio*> copies_;
    std::vector<TStackNeurons> stacks_;
    TNeuronio* accepting_ = nullptr;
    TOutputs* output_ = nullptr;
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
    TMachineNetBuilder(machine, word, document).Build();
}

bool NetAccepted(TDados& document) {
    for (const auto& element : document.Elements())
        if (element->Kind() == TElementKind::Output && element->Label() == "Accept")
            return element->ValueText().find('1') != std::string::npos;
    return false;
}

} // namespace veltra
