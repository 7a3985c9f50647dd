// Elements and synapses: their kinds' properties, and the exact texts of their values. The
// number-valued properties (value, weight, threshold, log) are the package's, over the
// private texts here.
#include "document.h"
#include "filetext.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "model/sinapse.h"

#include <functional>
#include <optional>
#include <pybind11/stl.h>
#include <string>
#include <utility>
#include <vector>

namespace veltra::python {

namespace {

std::vector<Synapse> Synapses(const DocumentPtr& owner, const TListaSinapses& list) {
    std::vector<Synapse> out;
    for (TSinapse* s : list)
        out.push_back({owner, s});
    return out;
}

} // namespace

void BindElements(py::module_& m) {
    py::class_<Synapse>(m, "Synapse")
        .def_property_readonly(
            "source",
            [](const Synapse& s) {
                return Element{s.owner, s.synapse->Source()};
            },
            "The element the synapse leaves.")
        .def_property_readonly(
            "destination",
            [](const Synapse& s) {
                return Element{s.owner, s.synapse->Destination()};
            },
            "The element the synapse enters.")
        .def_property_readonly(
            "visible", [](const Synapse& s) { return s.synapse->Visible(); },
            "False for a hidden synapse, which crosses a module's border to an element inside.")
        .def_property_readonly("_weight_text",
                               [](const Synapse& s) { return s.synapse->Weight().ToText(); })
        .def("_set_weight_text",
             [](const Synapse& s, const std::string& text) { s.synapse->SetWeight(Number(text)); })
        .def(
            "__eq__", [](const Synapse& a, const Synapse& b) { return a.synapse == b.synapse; },
            py::is_operator())
        .def("__hash__", [](const Synapse& s) { return std::hash<const void*>()(s.synapse); });

    py::class_<Element>(m, "Element")
        .def_property_readonly(
            "kind", [](const Element& e) { return KindOf(*e.element); },
            "\"neuron\", \"bias\", \"input\", \"output\" or \"module\".")
        .def_property(
            "label", [](const Element& e) { return FileText{e.element->Label()}; },
            [](const Element& e, FileText label) { e.element->SetLabel(std::move(label.bytes)); },
            "The label: free text, not necessarily unique.")
        .def_property_readonly(
            "x", [](const Element& e) { return e.element->GetPosition().x; },
            "The glyph's left edge, as the file stores it.")
        .def_property_readonly(
            "y", [](const Element& e) { return e.element->GetPosition().y; },
            "The glyph's top edge, as the file stores it.")
        .def_property_readonly("_size",
                               [](const Element& e) {
                                   const TKindInfo& kind = KindInfo(e.element->Kind());
                                   return std::make_pair(kind.glyphWidth, kind.glyphHeight);
                               })
        .def_property_readonly(
            "text", [](const Element& e) { return FileText{e.element->ValueText()}; },
            "What veltra-cli run prints as the value: an input's remaining sequence, an "
            "output's history, a neuron's or bias's number.")
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
                return FileText{As<TInputs>(e, TElementKind::Input, "sequence").Sequence()};
            },
            [](const Element& e, const std::string& sequence) {
                auto& input = As<TInputs>(e, TElementKind::Input, "sequence");
                CheckSequence(sequence);
                input.SetSequence(sequence);
            },
            "An input's remaining sequence of 0s and 1s (settable).")
        .def_property_readonly(
            "history",
            [](const Element& e) {
                return FileText{As<TOutputs>(e, TElementKind::Output, "history").History()};
            },
            "An output's history: one 0, 1 or x per step.")
        .def_property_readonly("_log",
                               [](const Element& e) {
                                   return As<TOutputs>(e, TElementKind::Output, "log").ValueLog();
                               })
        .def_property_readonly(
            "activation",
            [](const Element& e) {
                return As<TNeuronio>(e, TElementKind::Neuron, "activation")
                    .Activation()
                    .DisplayName();
            },
            "A neuron's activation: Saturated_Linear, HeavisideStepFunction or BinarySigmoid.")
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
            },
            "A module's inner elements, in list order.")
        .def_property_readonly(
            "synapses",
            [](const Element& e) { return Synapses(e.owner, e.element->OutgoingSynapses()); },
            "The synapses leaving the element, in the order they were made.")
        .def_property_readonly(
            "incoming",
            [](const Element& e) { return Synapses(e.owner, e.element->IncomingSynapses()); },
            "The synapses entering the element, in the order they were made.")
        .def(
            "__eq__", [](const Element& a, const Element& b) { return a.element == b.element; },
            py::is_operator())
        .def("__hash__", [](const Element& e) { return std::hash<const void*>()(e.element); });
}

} // namespace veltra::python
