// Elements and synapses: their kinds' properties, and the exact texts of their values.
#include "document.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "model/sinapse.h"

#include <optional>
#include <pybind11/stl.h>
#include <string>
#include <vector>

namespace veltra::python {

void BindElements(py::module_& m) {
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
}

} // namespace veltra::python
