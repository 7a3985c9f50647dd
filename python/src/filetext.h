// Labels (and sequences, histories) cross into Python as str although a net file may hold any
// bytes in them: bytes that are not UTF-8 become lone surrogates (the surrogateescape handler,
// as os.fsdecode does), and a str coming back is encoded the same way, so every label
// survives a round trip through Python byte for byte.
#pragma once

#include <pybind11/pybind11.h>
#include <string>

namespace veltra::python {

struct FileText {
    std::string bytes;
};

} // namespace veltra::python

namespace pybind11::detail {

template <> struct type_caster<veltra::python::FileText> {
    PYBIND11_TYPE_CASTER(veltra::python::FileText, const_name("str"));

    bool load(handle source, bool) {
        if (!PyUnicode_Check(source.ptr())) return false;
        // A surrogate that stands for no byte ('\ud800') raises UnicodeEncodeError here.
        object encoded = reinterpret_steal<object>(
            PyUnicode_AsEncodedString(source.ptr(), "utf-8", "surrogateescape"));
        if (!encoded) throw error_already_set();
        value.bytes.assign(PyBytes_AS_STRING(encoded.ptr()),
                           static_cast<std::size_t>(PyBytes_GET_SIZE(encoded.ptr())));
        return true;
    }

    static handle cast(const veltra::python::FileText& label, return_value_policy, handle) {
        PyObject* text = PyUnicode_DecodeUTF8(
            label.bytes.data(), static_cast<Py_ssize_t>(label.bytes.size()), "surrogateescape");
        if (text == nullptr) throw error_already_set();
        return text;
    }
};

} // namespace pybind11::detail
