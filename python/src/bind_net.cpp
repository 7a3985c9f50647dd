// The net: building, reading, running and saving.
#include "net.h"

#include <pybind11/stl.h>

namespace veltra::python {

void BindNet(py::module_& m) {
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

} // namespace veltra::python
