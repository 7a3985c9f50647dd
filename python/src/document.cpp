#include "document.h"

#include "model/module.h"
#include "model/protolista.h"

namespace veltra::python {

void RaiseOsError(const std::string& text) {
    PyErr_SetString(PyExc_OSError, text.c_str());
    throw py::error_already_set();
}

void CheckSignals() {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

std::string KindOf(const TProtoNeuronio& e) {
    return KindName(e.Kind());
}

std::string WithArticle(const TProtoNeuronio& e) {
    const std::string kind = KindOf(e);
    return (kind.find_first_of("aeiou") == 0 ? "an " : "a ") + kind;
}

std::vector<Element> Wrap(const DocumentPtr& owner, const TProtoLista& list) {
    std::vector<Element> out;
    for (const auto& e : list)
        out.push_back({owner, e.get()});
    return out;
}

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

} // namespace veltra::python
