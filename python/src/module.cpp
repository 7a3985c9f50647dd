// The Python module's native part, veltra._veltra: nets, elements and synapses over the core.
// Every number crosses this border as its exact canonical text; the package around it
// (veltra/__init__.py) turns texts into Decimal and Fraction and back, so no value ever
// passes through a float.
#include "model/module.h"

#include "execution/cycle.h"
#include "execution/runstate.h"
#include "execution/stopcondition.h"
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "model/activacao.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "storage/atomicsave.h"
#include "storage/sequencefile.h"

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace veltra::python {

namespace {

// A net file the reader refuses; the message is the reader's text, unchanged.
class NetFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void RaiseOsError(const std::string& text) {
    PyErr_SetString(PyExc_OSError, text.c_str());
    throw py::error_already_set();
}

// Lets Ctrl-C end a long run between two steps.
void CheckSignals() {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
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

// The document and what is needed to drive it without a user. Elements and synapses handed
// to Python hold it, so it lives as long as any of them.
struct Document {
    TSilentInteraction ui;
    TDados dados{&ui};
    long long steps = 0;
};
using DocumentPtr = std::shared_ptr<Document>;

struct Element {
    DocumentPtr owner;
    TProtoNeuronio* element;
};

struct Synapse {
    DocumentPtr owner;
    TSinapse* synapse;
};

std::string KindOf(const TProtoNeuronio& e) {
    return KindName(e.Kind());
}

// "a neuron", "an input".
std::string WithArticle(const TProtoNeuronio& e) {
    const std::string kind = KindOf(e);
    return (kind.find_first_of("aeiou") == 0 ? "an " : "a ") + kind;
}

template <class T> T& As(const Element& e, TElementKind kind, const char* what) {
    if (e.element->Kind() != kind)
        throw py::attribute_error(WithArticle(*e.element) + " has no " + what);
    return static_cast<T&>(*e.element);
}

std::vector<Element> Wrap(const DocumentPtr& owner, const TProtoLista& list) {
    std::vector<Element> out;
    for (const auto& e : list)
        out.push_back({owner, e.get()});
    return out;
}

// The list that holds `e` directly, searched through modules at any depth; null if none.
TProtoLista* ListHolding(TProtoLista& list, const TProtoNeuronio* e, TModule** holder) {
    for (const auto& item : list) {
        if (item.get() == e) return &list;
        if (item->Kind() == TElementKind::Module) {
            auto& module = static_cast<TModule&>(*item);
            if (TProtoLista* found = ListHolding(module.InnerNet(), e, holder)) {
                if (found == &module.InnerNet() && holder != nullptr) *holder = &module;
                return found;
            }
        }
    }
    return nullptr;
}

void CheckSequence(const std::string& sequence) {
    if (const auto bad = sequence.find_first_not_of("01"); bad != std::string::npos)
        throw py::value_error("the sequence holds '" + sequence.substr(bad, 1) + "' at position " +
                              std::to_string(bad + 1) + "; only 0 and 1 are symbols");
}

TInfinito Number(const std::string& text) {
    try {
        return ReadTypedNumber(text);
    } catch (const std::exception& error) {
        throw py::value_error(error.what());
    }
}

class Net {
public:
    Net() : d_(std::make_shared<Document>()) {}

    static Net Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) RaiseOsError(CannotOpenFileText(path));
        Net net;
        const std::string errorText = net.d_->dados.Load(in);
        if (in.bad()) RaiseOsError(CannotOpenFileText(path));
        if (!errorText.empty()) throw NetFileError(errorText);
        return net;
    }

    // The net a stack machine's construction makes for one word (as veltra-cli construct).
    static Net FromMachine(const std::string& description, const std::string& word) {
        TMachine machine;
        std::string error;
        std::vector<int> symbols;
        if (!machine.Read(description, error) || !machine.WordSymbols(word, symbols, error))
            throw py::value_error(error);
        Net net;
        BuildMachineNet(machine, symbols, net.d_->dados);
        return net;
    }

    // Placed as the drawing window places an element, with (x, y) the top left of its glyph
    // as the file stores it, and the element counter moving on as it does there.
    Element Add(TElementKind kind, const std::string& label, int x, int y) {
        return Place(KindInfo(kind).make(), label, x, y);
    }

    Element AddNeuron(const std::string& label, int x, int y, const std::string& activation,
                      const std::optional<std::string>& threshold, const std::string& value) {
        if (!MakeActivationByDisplayName(activation))
            throw py::value_error("unknown activation '" + activation +
                                  "' (Saturated_Linear, HeavisideStepFunction or BinarySigmoid)");
        if (threshold && activation != "HeavisideStepFunction")
            throw py::value_error("only HeavisideStepFunction has a threshold");
        auto neuron = std::make_unique<TNeuronio>();
        neuron->SelectActivation(activation, threshold ? *threshold : "0");
        if (threshold)
            static_cast<TStepFunction&>(neuron->Activation()).Teta() = Number(*threshold);
        neuron->SetValue(Number(value));
        return Place(std::move(neuron), label, x, y);
    }

    Element AddInput(const std::string& label, int x, int y, const std::string& sequence) {
        CheckSequence(sequence);
        auto input = std::make_unique<TInputs>();
        input->SetSequence(sequence);
        return Place(std::move(input), label, x, y);
    }

    Element AddModule(const std::string& label, int x, int y, const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) RaiseOsError(CannotOpenFileText(path));
        // Read before it joins the net: a file the reader refuses leaves the net unchanged.
        auto module = std::make_unique<TModule>();
        const std::string errorText = d_->dados.LoadModuleFile(*module, in);
        if (!errorText.empty()) throw NetFileError(errorText);
        return Place(std::move(module), label, x, y);
    }

    // A synapse as the drawing window draws it: the source decides whether it may connect,
    // one into an output weighs 1, one from a neuron to itself sets its loop flag. Across a
    // module's border (an element inside a module of the other's list) it is the hidden
    // synapse the Select IO pick makes plus the visible one to or from the module.
    Synapse Connect(const Element& source, const Element& destination, const std::string& weight) {
        Own(source);
        Own(destination);
        TProtoNeuronio* from = source.element;
        TProtoNeuronio* to = destination.element;
        TModule* fromModule = nullptr;
        TModule* toModule = nullptr;
        TProtoLista* fromList = ListHolding(d_->dados.Elements(), from, &fromModule);
        TProtoLista* toList = ListHolding(d_->dados.Elements(), to, &toModule);
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

    std::vector<Element> Elements() const { return Wrap(d_, d_->dados.Elements()); }

    std::vector<Element> Labelled(const std::string& label) const {
        std::vector<Element> out;
        for (const auto& e : d_->dados.Elements())
            if (e->Label() == label) out.push_back({d_, e.get()});
        return out;
    }

    void Save(const std::string& path) {
        std::string error;
        if (!AtomicSave(
                path, [&](std::ostream& out) { return d_->dados.Save(out); }, error))
            RaiseOsError(error);
    }

    void Step(long long n) {
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

    // As the Execution Browser's Run: no step for a finished net, else steps until every
    // element is finished, or max_steps steps have been taken. Returns the steps taken.
    long long Run(std::optional<long long> maxSteps) {
        if (maxSteps && *maxSteps < 0) throw py::value_error("a negative max_steps");
        cycle_.reset();
        long long taken = 0;
        if (d_->dados.AllFinished()) return 0;
        CheckSignals();
        bool interrupted = false;
        {
            TUnlocked unlocked;
            while ((!maxSteps || taken < *maxSteps) && unlocked.Go()) {
                d_->dados.Step();
                ++d_->steps;
                ++taken;
                if (d_->dados.AllFinished()) break;
            }
            interrupted = unlocked.Interrupted();
        }
        if (interrupted) throw py::error_already_set();
        return taken;
    }

    // As Run, ending when a state repeats one seen earlier in this run (a proof that the net
    // cycles forever). Then the net is left at the state after step S + P of the run, S the
    // first step whose state recurs and P the smallest period, as `veltra-cli run
    // --until-cycle` leaves it; returns (steps taken, S, P), S and P -1 when no cycle was found.
    long long RunUntilCycle(std::optional<long long> maxSteps) {
        if (maxSteps && *maxSteps < 0) throw py::value_error("a negative max_steps");
        cycle_.reset();
        TProtoLista& list = d_->dados.Elements();
        TStopConditions conditions;
        conditions.Items().push_back(TStopCondition::OnStateRepeat());
        conditions.Arm(list);
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
                ++taken;
                if (d_->dados.AllFinished()) break; // a net that finishes is no cycle
                if (conditions.Check(list) < 0 || !conditions.Cycle().Found()) continue;
                period = conditions.Cycle().Period();
                start = FindCycleStart(list, conditions.StartState(), conditions.StartInputs(),
                                       period, [this] { d_->dados.Step(); });
                // Back to the run's start (histories too) and forward to the step shown.
                RestoreState(list, conditions.StartState(), conditions.StartInputs());
                taken = start + period;
                for (long long i = 0; i < taken; ++i)
                    d_->dados.Step();
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
    // (S, P) of the last run until a cycle, None when that run found none or another run
    // came after it.
    std::optional<std::pair<long long, long long>> Cycle() const { return cycle_; }

    void Reset() {
        d_->dados.ResetAll();
        d_->steps = 0;
    }
    bool Finished() const { return d_->dados.AllFinished(); }
    long long Steps() const { return d_->steps; }

private:
    Element Place(std::unique_ptr<TProtoNeuronio> e, const std::string& label, int x, int y) {
        const int glyph = GlyphIndex(e->Kind());
        e->Setup(x, y, glyph, glyph + 1, d_->dados.Net().ElementCounter());
        e->SetLabel(label);
        return {d_, d_->dados.AddElement(std::move(e))};
    }

    void Own(const Element& e) const {
        if (e.owner != d_) throw py::value_error("the element belongs to another net");
    }

    [[noreturn]] static void Refuse(const Element& source, const Element& destination) {
        throw py::value_error(WithArticle(*source.element) + " cannot connect to " +
                              WithArticle(*destination.element) + " ('" + source.element->Label() +
                              "' to '" + destination.element->Label() + "')");
    }

    DocumentPtr d_;
    std::optional<std::pair<long long, long long>> cycle_;
};

} // namespace

} // namespace veltra::python

PYBIND11_MODULE(_veltra, m) {
    using namespace veltra;
    using namespace veltra::python;
    m.doc() = "VELTRA's core: nets of exact decimals (use the veltra package, not this module)";
    py::register_exception<NetFileError>(m, "NetFileError");

    py::class_<Synapse>(m, "Synapse")
        .def_property_readonly("source",
                               [](const Synapse& s) {
                                   return Element{s.owner, s.synapse->Source()};
                               })
        .def_property_readonly("destination",
                               [](const Synapse& s) {
                                   return Element{s.owner, s.synapse->Destination()};
                               })
        .def_property_readonly("visible", [](const Synapse& s) { return s.synapse->Visible(); })
        .def_property_readonly("_weight_text",
                               [](const Synapse& s) { return s.synapse->Weight().ToText(); })
        .def("_set_weight_text",
             [](const Synapse& s, const std::string& text) { s.synapse->SetWeight(Number(text)); });

    py::class_<Element>(m, "Element")
        .def_property_readonly("kind", [](const Element& e) { return KindOf(*e.element); })
        .def_property(
            "label", [](const Element& e) { return e.element->Label(); },
            [](const Element& e, std::string label) { e.element->SetLabel(std::move(label)); })
        .def_property_readonly("x", [](const Element& e) { return e.element->GetPosition().x; })
        .def_property_readonly("y", [](const Element& e) { return e.element->GetPosition().y; })
        .def_property_readonly("text", [](const Element& e) { return e.element->ValueText(); })
        .def_property_readonly("_value_text",
                               [](const Element& e) -> std::optional<std::string> {
                                   const TElementKind k = e.element->Kind();
                                   if (k == TElementKind::Output || k == TElementKind::Module)
                                       return std::nullopt; // no value of their own
                                   return e.element->GetValue().ToText();
                               })
        .def("_set_value_text",
             [](const Element& e, const std::string& text) {
                 switch (e.element->Kind()) {
                 case TElementKind::Neuron:
                     e.element->SetValue(Number(text));
                     break;
                 case TElementKind::Bias:
                     static_cast<TPendor&>(*e.element).BiasValue() = Number(text);
                     break;
                 default:
                     throw py::attribute_error(WithArticle(*e.element) + " has no value to set");
                 }
             })
        .def_property(
            "sequence",
            [](const Element& e) {
                return As<TInputs>(e, TElementKind::Input, "sequence").Sequence();
            },
            [](const Element& e, const std::string& sequence) {
                auto& input = As<TInputs>(e, TElementKind::Input, "sequence");
                CheckSequence(sequence);
                input.SetSequence(sequence);
            })
        .def_property_readonly(
            "history",
            [](const Element& e) {
                return As<TOutputs>(e, TElementKind::Output, "history").History();
            })
        .def_property_readonly("_log",
                               [](const Element& e) {
                                   return As<TOutputs>(e, TElementKind::Output, "log").ValueLog();
                               })
        .def_property_readonly("activation",
                               [](const Element& e) {
                                   return As<TNeuronio>(e, TElementKind::Neuron, "activation")
                                       .Activation()
                                       .DisplayName();
                               })
        .def_property_readonly(
            "_threshold_text",
            [](const Element& e) -> std::optional<std::string> {
                const std::string t =
                    As<TNeuronio>(e, TElementKind::Neuron, "threshold").TetaText();
                if (t.empty()) return std::nullopt;
                return t;
            })
        .def_property_readonly(
            "elements",
            [](const Element& e) {
                return Wrap(e.owner, As<TModule>(e, TElementKind::Module, "elements").InnerNet());
            })
        .def_property_readonly("synapses",
                               [](const Element& e) {
                                   std::vector<Synapse> out;
                                   for (TSinapse* s : e.element->OutgoingSynapses())
                                       out.push_back({e.owner, s});
                                   return out;
                               })
        .def("__eq__", [](const Element& a, const Element& b) { return a.element == b.element; })
        .def("__hash__", [](const Element& e) { return std::hash<const void*>()(e.element); })
        .def("__repr__", [](const Element& e) {
            return "<veltra.Element " + KindOf(*e.element) + " '" + e.element->Label() + "'>";
        });

    py::class_<Net>(m, "Net")
        .def(py::init<>())
        .def_static("_load", &Net::Load)
        .def_static("_from_machine", &Net::FromMachine)
        .def("_add_neuron", &Net::AddNeuron)
        .def("add_bias", [](Net& n, const std::string& label, int x,
                            int y) { return n.Add(TElementKind::Bias, label, x, y); })
        .def("_add_input", &Net::AddInput)
        .def("add_output", [](Net& n, const std::string& label, int x,
                              int y) { return n.Add(TElementKind::Output, label, x, y); })
        .def("_add_module", &Net::AddModule)
        .def("_connect", &Net::Connect)
        .def_property_readonly("elements", &Net::Elements)
        .def("_labelled", &Net::Labelled)
        .def("_save", &Net::Save)
        .def("step", &Net::Step, py::arg("n") = 1)
        .def("_run", &Net::Run)
        .def("_run_until_cycle", &Net::RunUntilCycle)
        .def_property_readonly("cycle", &Net::Cycle)
        .def("reset", &Net::Reset)
        .def_property_readonly("finished", &Net::Finished)
        .def_property_readonly("steps", &Net::Steps);
}
