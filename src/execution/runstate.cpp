#include "execution/runstate.h"

#include "model/inputs.h"
#include "model/netwalk.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/protolista.h"

namespace veltra {

namespace {

constexpr std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
    h ^= word + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xc4ceb9fe1a85ec53ULL;
}

} // namespace

std::size_t TNetState::Bytes() const {
    std::size_t bytes = sizeof(*this) + activities.size() * sizeof(TInfinito) +
                        (remaining.size() + histories.size() + logs.size()) * sizeof(std::size_t);
    for (const TInfinito& value : activities)
        bytes += value.HeapBytes();
    return bytes;
}

TStateShape ShapeOf(const TProtoLista& list) {
    TStateShape shape;
    VisitDeep(list, [&shape](const TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Neuron)
            shape.neurons.push_back(static_cast<const TNeuronio*>(&e));
        else if (e.Kind() == TElementKind::Input)
            shape.inputs.push_back(static_cast<const TInputs*>(&e));
    });
    return shape;
}

// The same mixing as StateHash over the list, which visits neurons and inputs interleaved:
// the order differs, so the two are never compared with each other.
std::uint64_t StateHash(const TStateShape& shape) {
    std::uint64_t h = 0x13198a2e03707344ULL;
    for (const TNeuronio* n : shape.neurons)
        h = Mix(h, n->GetValue().ValueHash());
    for (const TInputs* in : shape.inputs)
        h = Mix(h, in->Remaining().size());
    return h;
}

bool SameState(const TStateShape& shape, const TNetState& state) {
    if (shape.neurons.size() != state.activities.size() ||
        shape.inputs.size() != state.remaining.size())
        return false;
    for (std::size_t i = 0; i < shape.inputs.size(); ++i)
        if (shape.inputs[i]->Remaining().size() != state.remaining[i]) return false;
    for (std::size_t i = 0; i < shape.neurons.size(); ++i)
        if (TInfinito::Compare(shape.neurons[i]->GetValue(), state.activities[i]) != 0)
            return false;
    return true;
}

void CaptureInto(const TStateShape& shape, TNetState& state) {
    state.activities.resize(shape.neurons.size());
    for (std::size_t i = 0; i < shape.neurons.size(); ++i)
        state.activities[i] = shape.neurons[i]->GetValue();
    state.remaining.resize(shape.inputs.size());
    for (std::size_t i = 0; i < shape.inputs.size(); ++i)
        state.remaining[i] = shape.inputs[i]->Remaining().size();
    state.histories.clear();
    state.logs.clear();
}

std::uint64_t StateHash(const TProtoLista& list) {
    std::uint64_t h = 0x243f6a8885a308d3ULL;
    VisitDeep(list, [&h](const TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Neuron)
            h = Mix(h, e.GetValue().ValueHash());
        else if (e.Kind() == TElementKind::Input)
            h = Mix(h, static_cast<const TInputs&>(e).Remaining().size());
    });
    return h;
}

TNetState CaptureState(const TProtoLista& list) {
    TNetState state;
    VisitDeep(list, [&state](const TProtoNeuronio& e) {
        switch (e.Kind()) {
        case TElementKind::Neuron:
            state.activities.push_back(e.GetValue());
            break;
        case TElementKind::Input:
            state.remaining.push_back(static_cast<const TInputs&>(e).Remaining().size());
            break;
        case TElementKind::Output: {
            const auto& output = static_cast<const TOutputs&>(e);
            state.histories.push_back(output.History().size());
            state.logs.push_back(output.Log().Size());
            break;
        }
        default:
            break;
        }
    });
    state.hash = StateHash(list);
    return state;
}

TInputTexts CaptureInputTexts(const TProtoLista& list) {
    TInputTexts inputs;
    VisitDeep(list, [&inputs](const TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Input)
            inputs.texts.push_back(static_cast<const TInputs&>(e).Sequence());
    });
    return inputs;
}

bool SameState(const TNetState& a, const TNetState& b) {
    if (a.hash != b.hash || a.remaining != b.remaining ||
        a.activities.size() != b.activities.size())
        return false;
    for (std::size_t i = 0; i < a.activities.size(); ++i)
        if (TInfinito::Compare(a.activities[i], b.activities[i]) != 0) return false;
    return true;
}

bool SameState(const TProtoLista& list, const TNetState& state) {
    std::size_t neuron = 0, input = 0;
    bool same = true;
    VisitDeep(list, [&](const TProtoNeuronio& e) {
        if (!same) return;
        if (e.Kind() == TElementKind::Neuron) {
            same = neuron < state.activities.size() &&
                   TInfinito::Compare(e.GetValue(), state.activities[neuron++]) == 0;
        } else if (e.Kind() == TElementKind::Input) {
            same = input < state.remaining.size() &&
                   static_cast<const TInputs&>(e).Remaining().size() == state.remaining[input++];
        }
    });
    return same && neuron == state.activities.size() && input == state.remaining.size();
}

bool RestoreState(TProtoLista& list, const TNetState& state, const TInputTexts& inputs,
                  bool outputs) {
    // Checked first, so that a net of another shape is left untouched.
    std::size_t neurons = 0, ins = 0, outs = 0;
    bool fits = true;
    VisitDeep(list, [&](TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Neuron) {
            ++neurons;
        } else if (e.Kind() == TElementKind::Input) {
            fits = fits && ins < state.remaining.size() && ins < inputs.texts.size() &&
                   state.remaining[ins] <= inputs.texts[ins].size();
            ++ins;
        } else if (e.Kind() == TElementKind::Output) {
            const auto& output = static_cast<const TOutputs&>(e);
            fits = fits && outs < state.histories.size() &&
                   (!outputs || state.histories[outs] <= output.History().size());
            ++outs;
        }
    });
    if (!fits || neurons != state.activities.size() || ins != state.remaining.size() ||
        outs != state.histories.size())
        return false;
    std::size_t neuron = 0, input = 0, output = 0;
    VisitDeep(list, [&](TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Neuron) {
            e.SetValue(state.activities[neuron++]);
        } else if (e.Kind() == TElementKind::Input) {
            const std::string& text = inputs.texts[input];
            static_cast<TInputs&>(e).SetSequence(text.substr(text.size() - state.remaining[input]));
            ++input;
        } else if (e.Kind() == TElementKind::Output && outputs) {
            auto& out = static_cast<TOutputs&>(e);
            out.SetHistory(out.History().substr(0, state.histories[output]));
            out.TruncateLog(state.logs[output]);
            ++output;
        }
    });
    return true;
}

} // namespace veltra
