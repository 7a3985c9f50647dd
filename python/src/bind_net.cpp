// The net: building, reading, running and saving. The public methods with numbers or paths
// are the package's (veltra/_net.py), over the private ones here.
#include "net.h"

#include <pybind11/stl.h>

namespace veltra::python {

void BindNet(py::module_& m) {
    py::class_<Net>(m, "Net")
        .def(py::init<>())
        .def_static("_loads",
                    [](const py::bytes& data) { return Net::Loads(std::string_view(data)); })
        .def_static("_from_machine", &Net::FromMachine)
        .def("_dumps", &Net::Dumps)
        .def("_save", &Net::Save)
        .def("_add_neuron", &Net::AddNeuron)
        .def("_add_bias", [](Net& n, const Label& label,
                             const Spot& spot) { return n.Add(TElementKind::Bias, label, spot); })
        .def("_add_input", &Net::AddInput)
        .def("_add_output",
             [](Net& n, const Label& label, const Spot& spot) {
                 return n.Add(TElementKind::Output, label, spot);
             })
        .def("_add_module",
             [](Net& n, const Label& label, const Spot& spot, const py::bytes& data) {
                 return n.AddModule(label, spot, std::string_view(data));
             })
        .def("_connect", &Net::Connect)
        .def("_remove", &Net::Remove)
        .def("_disconnect", &Net::Disconnect)
        .def_property_readonly("elements", &Net::Elements,
                               "The top-level elements, in list order (outputs last).")
        .def("_labelled", &Net::Labelled)
        .def("_counts", &Net::Counts)
        .def("step", &Net::Step, py::arg("n") = 1,
             "Takes n steps (default 1), finished or not. Ctrl-C ends it between two steps.")
        .def("_run", &Net::Run)
        .def_property_readonly("cycle", &Net::Cycle,
                               "(S, P) after a run with until_cycle that found a cycle: S the "
                               "first step whose state recurs, P the smallest period; None "
                               "otherwise.")
        .def("reset", &Net::Reset,
             "Resets every element as the Execution Browser's Reset does; steps goes back to 0.")
        .def_property_readonly("finished", &Net::Finished,
                               "Whether every element is finished (every neuron at 0, every "
                               "input's sequence consumed, every module's inner net finished).")
        .def_property_readonly("steps", &Net::Steps,
                               "The steps taken since the net was made, read or reset.")
        .def("_set_steps", &Net::SetSteps);
}

} // namespace veltra::python
