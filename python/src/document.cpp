#include "document.h"

#include "model/module.h"
#include "model/netwalk.h"
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
    std::vector<TModule*> around; // around[d]: the module whose inner net is at depth d + 1
    TProtoLista* found = nullptr;
    VisitDeep(list, [&](TProtoNeuronio& item, int depth) {
        around.resize(static_cast<std::size_t>(depth));
        if (&item == e) {
            found = depth == 0 ? &list : &around.back()->InnerNet();
            if (depth > 0 && holder != nullptr) *holder = around.back();
            return TVisit::Stop;
        }
        around.push_back(AsModule(&item));
        return TVisit::Enter;
    });
    return found;
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
