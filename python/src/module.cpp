// The Python module's native part, veltra._veltra: nets, elements and synapses over the core,
// bound topic by topic (bind_*.cpp). The package around it (veltra/*.py) gives the interface
// Python users see.
#include "document.h"

PYBIND11_MODULE(_veltra, m) {
    using namespace veltra::python;
    m.doc() = "VELTRA's core: nets of exact decimals (use the veltra package, not this module)";
    m.attr("__version__") = VELTRA_VERSION;
    py::register_exception<NetFileError>(m, "NetFileError");
    BindElements(m);
    BindNet(m);
}
