#include "net.h"

#include "execution/cycle.h"
#include "execution/runstate.h"
#include "execution/stopcondition.h"
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "model/activacao.h"
#include "model/glyphs.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "model/protolista.h"
#include "model/sinapse.h"
#include "storage/atomicsave.h"
#include "storage/netfile.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <streambuf>

namespace veltra::python {

namespace {
// A message that quotes bytes of a file, made valid UTF-8 (others as \xHH) for Python.
std::string Utf8Text(const std::string& text) {
    const py::object decoded = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
        text.data(), static_cast<Py_ssize_t>(text.size()), "backslashreplace"));
    if (!decoded) throw py::error_already_set();
    return decoded.cast<std::string>();
}

// While one lives, the interpreter lock is released, so that other Python threads run while a
// net steps; Go() takes it back only to check for Ctrl-C, at most every 20 ms. Other threads
// must leave the stepping net alone meanwhile.
class TUnlocked {
public:
    // False once Ctrl-C was pressed; the Python error stays set for the caller to raise, with
    // the lock held again, after this is gone.
    bool Go() {
        if (std::chrono::steady_clock::now() - last_ < std::chrono::milliseconds(20)) return true;
        const py::gil_scoped_acquire held;
        interrupted_ = PyErr_CheckSignals() != 0;
        last_ = std::chrono::steady_clock::now();
        return !interrupted_;
    }
    bool Interrupted() const { return interrupted_; }

private:
    py::gil_scoped_release free_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    bool interrupted_ = false;
};

// A net file's bytes read in place.
class TextBuffer : public std::streambuf {
public:
    explicit TextBuffer(std::string_view text) {
        char* begin = const_cast<char*>(text.data()); // only ever read
        setg(begin, begin, begin + text.size());
    }
};

// What resolving a net's synapses said (one message per loose synapse), after the reader's
// own text.
std::string WithMessages(std::string text, std::vector<std::string>& messages) {
    for (const std::string& message : messages)
        text += "\n" + message;
    messages.clear();
    return text;
}

// Where an element without coordinates goes: the grid cell of its place in the list, ten to a
// row, every other cell half a row lower, so that a line between two cells of a row passes
// the glyphs between them.
constexpr int GridColumns = 10;
constexpr int GridLeft = 40;
constexpr int GridTop = 40;
constexpr int GridWidth = 80;
constexpr int GridHeight = 100;
constexpr int GridStagger = 40;

// The reader's text and why it refused the line, where it says (the line goes apart), made
// valid UTF-8 (other bytes as \xHH) for Python.
std::string RefusalText(const std::string& errorText, const TReadFailure& failure) {
    return Utf8Text(failure.cause.empty() ? errorText : errorText + " (" + failure.cause + ")");
}

// The line the reader stopped in; none when it read the whole file.
std::optional<long long> FailureLine(const TReadFailure& failure) {
    if (failure.line <= 0) return std::nullopt;
    return failure.line;
}

} // namespace

Net::Net() : d_(std::make_shared<Document>()) {}

Net Net::Loads(std::string_view text) {
    TextBuffer buffer(text);
    std::istream in(&buffer);
    Net net;
    TReadFailure failure;
    const std::string errorText = net.d_->dados.Load(in, &failure);
    if (errorText == UnresolvedSynapseText)
        throw NetFileError(WithMessages(errorText, net.d_->ui.messages), std::nullopt);
    if (!errorText.empty())
        throw NetFileError(RefusalText(errorText, failure), FailureLine(failure));
    net.d_->ui.messages.clear();
    return net;
}

Net Net::FromMachine(const std::string& description, const std::string& word) {
    TMachine machine;
    std::string error;
    std::vector<int> symbols;
    if (!machine.Read(description, error) || !machine.WordSymbols(word, symbols, error))
        throw py::value_error(error);
    Net net;
    BuildMachineNet(machine, symbols, net.d_->dados);
    return net;
}

py::bytes Net::Dumps() {
    std::ostringstream out;
    if (!d_->dados.Save(out)) throw std::runtime_error("the net could not be written");
    return py::bytes(std::move(out).str());
}

std::pair<int, std::string> Net::Save(const std::string& path) {
    std::string error;
    int number = 0;
    if (AtomicSave(
            path, [&](std::ostream& out) { return d_->dados.Save(out); }, error, nullptr, &number))
        return {0, {}};
    return {number, error};
}

Element Net::Add(TElementKind kind, const Label& label, const Spot& spot) {
    return Place(KindInfo(kind).make(), label, spot);
}

Element Net::AddNeuron(const Label& label, const Spot& spot, const std::string& activation,
                       const std::optional<std::string>& threshold, const std::string& value) {
    if (!MakeActivationByDisplayName(activation))
        throw py::value_error("unknown activation '" + activation +
                              "' (Saturated_Linear, HeavisideStepFunction or BinarySigmoid)");
    if (threshold && activation != "HeavisideStepFunction")
        throw py::value_error("only HeavisideStepFunction has a threshold");
    auto neuron = std::make_unique<TNeuronio>();
    neuron->SelectActivation(activation, threshold ? *threshold : "0");
    if (threshold) static_cast<TStepFunction&>(neuron->Activation()).Teta() = Number(*threshold);
    neuron->SetValue(Number(value));
    return Place(std::move(neuron), label, spot);
}

Element Net::AddInput(const Label& label, const Spot& spot, const std::string& sequence) {
    CheckSequence(sequence);
    auto input = std::make_unique<TInputs>();
    input->SetSequence(sequence);
    return Place(std::move(input), label, spot);
}

Element Net::AddModule(const Label& label, const Spot& spot, std::string_view text) {
    TextBuffer buffer(text);
    std::istream in(&buffer);
    // Read before it joins the net: a file the reader refuses leaves the net unchanged.
    auto module = std::make_unique<TModule>();
    TReadFailure failure;
    const std::string errorText = d_->dados.LoadModuleFile(*module, in, nullptr, &failure);
    if (!errorText.empty())
        throw NetFileError(RefusalText(errorText, failure), FailureLine(failure));
    d_->ui.messages.clear();
    return Place(std::move(module), label, spot);
}

Synapse Net::Connect(const Element& source, const Element& destination, const std::string& weight) {
    TProtoNeuronio* from = source.element;
    TProtoNeuronio* to = destination.element;
    TModule* fromModule = nullptr;
    TModule* toModule = nullptr;
    TProtoLista* fromList = &ListOf(source, &fromModule);
    TProtoLista* toList = &ListOf(destination, &toModule);
    TInfinito w = Number(weight);
    TSilentInteraction& ui = d_->ui;
    ui.weightText = w.ToText();
    ui.pick = -1;
    TProtoNeuronio* visibleFrom = from;
    TProtoNeuronio* visibleTo = to;
    TSinapse* hidden = nullptr;
    auto pickAmong = [&](const std::vector<TProtoNeuronio*>& candidates, TProtoNeuronio* e) {
        for (std::size_t i = 0; i < candidates.size(); ++i)
            if (candidates[i] == e) ui.pick = static_cast<int>(i);
    };
    if (fromList == toList) {
        if (!from->ConnectTo(to, ui)) Refuse(source, destination);
        if (to->Kind() == TElementKind::Module)
            throw py::value_error("connect to an element inside the module, not to the module");
    } else if (toModule != nullptr && ListHolding(*fromList, toModule, nullptr) == fromList) {
        visibleTo = toModule;
        std::vector<TProtoNeuronio*> candidates;
        for (const auto& e : toModule->InnerNet())
            if (e->Kind() == TElementKind::Neuron) candidates.push_back(e.get());
        pickAmong(candidates, to);
        if (ui.pick < 0 || !from->ConnectTo(toModule, ui)) Refuse(source, destination);
        hidden = from->OutgoingSynapses().Item(from->OutgoingSynapses().Count() - 1);
    } else if (fromModule != nullptr && ListHolding(*toList, fromModule, nullptr) == toList) {
        visibleFrom = fromModule;
        pickAmong(fromModule->ListInner(false), from);
        if (ui.pick < 0 || !fromModule->ConnectTo(to, ui)) Refuse(source, destination);
        hidden = from->OutgoingSynapses().Item(from->OutgoingSynapses().Count() - 1);
    } else {
        throw py::value_error("the two elements are neither in one list nor either side of "
                              "one module's border");
    }
    ui.messages.clear();
    auto synapse = std::make_unique<TSinapse>();
    synapse->SetWeight(std::move(w));
    synapse->SetUp(visibleFrom, visibleTo);
    if (visibleTo->Kind() == TElementKind::Output) synapse->SetWeightText("1");
    TSinapse* raw = visibleFrom->AddOutgoing(std::move(synapse));
    if (visibleTo == visibleFrom && visibleFrom->Kind() == TElementKind::Neuron)
        static_cast<TNeuronio*>(visibleFrom)->SetLoop(true);
    visibleTo->AddIncoming(raw);
    return {d_, hidden != nullptr ? hidden : raw};
}

void Net::Remove(const Element& element) {
    TProtoLista& list = ListOf(element);
    auto place = std::make_unique<TElementPlace>(list.shared_from_this(), element.element);
    place->Detach();
    d_->removed.push_back(std::move(place));
}

void Net::Disconnect(const Synapse& synapse) {
    if (synapse.owner != d_) throw py::value_error("the synapse belongs to another net");
    TSinapse* s = synapse.synapse;
    const bool inNet = s->Source() != nullptr &&
                       ListHolding(d_->dados.Elements(), s->Source(), nullptr) != nullptr &&
                       s->Source()->OutgoingSynapses().Contains(s);
    if (!inNet) throw py::value_error("the synapse is no part of the net (removed)");
    TDetachedSynapses cut;
    cut.Detach({s});
    d_->cut.push_back(std::move(cut));
}

std::vector<Element> Net::Elements() const {
    return Wrap(d_, d_->dados.Elements());
}

std::vector<Element> Net::Labelled(const FileText& label) const {
    std::vector<Element> out;
    for (const auto& e : d_->dados.Elements())
        if (e->Label() == label.bytes) out.push_back({d_, e.get()});
    return out;
}

std::vector<long long> Net::Counts() const {
    std::vector<long long> counts(KindTable.size() + 1, 0);
    for (const auto& e : d_->dados.Elements()) {
        ++counts[static_cast<std::size_t>(e->Kind())];
        counts.back() += e->OutgoingSynapses().Count();
    }
    return counts;
}

void Net::Step(long long n) {
    if (n < 0) throw py::value_error("a negative number of steps");
    CheckSignals();
    bool interrupted = false;
    {
        TUnlocked unlocked;
        for (long long i = 0; i < n && unlocked.Go(); ++i) {
            d_->dados.Step();
            ++d_->steps;
        }
        interrupted = unlocked.Interrupted();
    }
    if (interrupted) throw py::error_already_set();
}

long long Net::Run(std::optional<long long> maxSteps, bool untilCycle,
                   const std::optional<std::string>& until) {
    if (maxSteps && *maxSteps < 0) throw py::value_error("a negative max_steps");
    TProtoLista& list = d_->dados.Elements();
    TStopConditions conditions;
    if (until) {
        std::string label;
        std::string error;
        TCompareOp op = TCompareOp::Equal;
        TInfinito value;
        if (!ParseValueCondition(*until, label, op, value, error))
            throw py::value_error("until '" + *until + "': " + error);
        const auto named = std::find_if(list.begin(), list.end(),
                                        [&](const auto& e) { return e->Label() == label; });
        if (named == list.end())
            throw py::value_error("until: no element labelled '" + label + "'");
        conditions.Items().push_back(TStopCondition::OnValue(named->get(), op, std::move(value)));
    }
    if (untilCycle) conditions.Items().push_back(TStopCondition::OnStateRepeat());
    cycle_.reset();
    if (!conditions.Empty()) conditions.Arm(list);
    const long long before = d_->steps;
    long long taken = 0;
    long long start = -1;
    long long period = -1;
    CheckSignals();
    bool interrupted = false;
    {
        TUnlocked unlocked;
        while (!d_->dados.AllFinished() && (!maxSteps || taken < *maxSteps) && unlocked.Go()) {
            d_->dados.Step();
            d_->steps = before + ++taken;
            if (conditions.Empty() || d_->dados.AllFinished())
                continue; // a net that finishes is no cycle
            if (conditions.Check(list) < 0) continue;
            if (conditions.Cycle().Found()) {
                period = conditions.Cycle().Period();
                start = FindCycleStart(list, conditions.StartState(), conditions.StartInputs(),
                                       period, [this] { d_->dados.Step(); });
                // Back to the run's start (histories too) and forward to the step shown.
                RestoreState(list, conditions.StartState(), conditions.StartInputs());
                taken = start + period;
                for (long long i = 0; i < taken; ++i)
                    d_->dados.Step();
            }
            break;
        }
        interrupted = unlocked.Interrupted();
    }
    // Counted also when Ctrl-C ends the run: the net took those steps.
    d_->steps = before + taken;
    if (interrupted) throw py::error_already_set();
    if (period > 0) cycle_ = std::make_pair(start, period);
    return taken;
}

void Net::Reset() {
    d_->dados.ResetAll();
    d_->steps = 0;
}

bool Net::Finished() const {
    return d_->dados.AllFinished();
}

long long Net::Steps() const {
    return d_->steps;
}

void Net::SetSteps(long long steps) {
    d_->steps = steps;
}

Element Net::Place(std::unique_ptr<TProtoNeuronio> e, const Label& label, const Spot& spot) {
    const int glyph = GlyphIndex(e->Kind());
    int x = 0;
    int y = 0;
    if (spot) {
        std::tie(x, y) = *spot;
    } else {
        const int cell = d_->dados.Elements().Count();
        x = GridLeft + GridWidth * (cell % GridColumns);
        y = GridTop + GridHeight * (cell / GridColumns) + GridStagger * (cell % 2);
    }
    e->Setup(x, y, glyph, glyph + 1, d_->dados.Net().ElementCounter());
    if (label) e->SetLabel(label->bytes);
    return {d_, d_->dados.AddElement(std::move(e))};
}

void Net::Own(const Element& e) const {
    if (e.owner != d_) throw py::value_error("the element belongs to another net");
}

TProtoLista& Net::ListOf(const Element& e, TModule** holder) const {
    Own(e);
    TProtoLista* list = ListHolding(d_->dados.Elements(), e.element, holder);
    if (list == nullptr)
        throw py::value_error(WithArticle(*e.element) + " that is no part of the net (removed)");
    return *list;
}

void Net::Refuse(const Element& source, const Element& destination) {
    // Labels shown as Python shows them, so that no byte of theirs breaks the message.
    const py::str text =
        py::str("{} cannot connect to {} ({!r} to {!r})")
            .format(WithArticle(*source.element), WithArticle(*destination.element),
                    FileText{source.element->Label()}, FileText{destination.element->Label()});
    PyErr_SetObject(PyExc_ValueError, text.ptr());
    throw py::error_already_set();
}

} // namespace veltra::python
