// The Python module's native part, veltra._veltra: nets, elements and synapses over the core,
// bound topic by topic (bind_*.cpp). The package around it (veltra/*.py) gives the interface
// Python users see.
#include "document.h"

PYBIND11_MODULE(_veltra, m) {
    using namespace veltra::python;
    m.doc() = "VELTRA's core: nets of exact decimals (use the veltra package, not this module)";
    m.attr("__version__") = VELTRA_VERSION;
    // The reader's refusal as (text, line); the package raises its NetFileError from it with
    // the file's name. Texts are UTF-8 where they can be; other bytes come as surrogates.
    static py::exception<NetFileError> readError(m, "_ReadError", PyExc_ValueError);
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const NetFileError& error) {
            const std::string text = error.what();
            auto message = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
                text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape"));
            py::object line = error.Line() ? py::object(py::int_(*error.Line())) : py::none();
            PyErr_SetObject(readError.ptr(), py::make_tuple(message, line).ptr());
        }
    });
    BindElements(m);
    BindNet(m);
}
