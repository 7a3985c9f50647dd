// What the Python module's native part is made of: a document that Python objects keep alive,
// and the element and synapse handles that point into it. Every number crosses the border to
// Python as its exact canonical text; the package around it (veltra/*.py) turns texts into
// Decimal and Fraction and back, so no value ever passes through a float.
#pragma once

#include "filetext.h"
#include "model/dados.h"
#include "model/elementkind.h"
#include "model/interaction.h"
#include "model/netedit.h"
#include "model/protoneuronio.h"
#include "numeric/infinito.h"

#include <memory>
#include <optional>
#include <pybind11/pybind11.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace veltra {
class TProtoLista;
class TModule;
class TSinapse;
} // namespace veltra

namespace veltra::python {

namespace py = pybind11;

// A net file the reader refuses; the message is the reader's text, unchanged, and the line
// (from 1) it stopped in, none when it read the whole file. The package raises its
// NetFileError from it.
class NetFileError : public std::runtime_error {
public:
    NetFileError(const std::string& text, std::optional<long long> line)
        : std::runtime_error(text), line_(line) {}
    std::optional<long long> Line() const { return line_; }

private:
    std::optional<long long> line_;
};

// A new element's label (none: the element counter's text, as the drawing window gives)
// and its glyph's top left (none: a grid cell).
using Label = std::optional<FileText>;
using Spot = std::optional<std::pair<int, int>>;

[[noreturn]] void RaiseOsError(const std::string& text);

// Lets Ctrl-C end a long run between two steps.
void CheckSignals();

// The document and what is needed to drive it without a user. Elements and synapses handed
// to Python hold it, so it lives as long as any of them.
// What Python took out of the net (remove, disconnect) is held here, never released while
// the document lives: an object Python still holds then reads what it held.
struct Document {
    TSilentInteraction ui;
    TDados dados{&ui};
    long long steps = 0;
    std::vector<std::unique_ptr<TElementPlace>> removed;
    std::vector<TDetachedSynapses> cut;
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

std::string KindOf(const TProtoNeuronio& e);
// "a neuron", "an input".
std::string WithArticle(const TProtoNeuronio& e);

// The element as its kind's class; AttributeError naming `what` for another kind.
template <class T> T& As(const Element& e, TElementKind kind, const char* what) {
    if (e.element->Kind() != kind)
        throw py::attribute_error(WithArticle(*e.element) + " has no " + what);
    return static_cast<T&>(*e.element);
}

std::vector<Element> Wrap(const DocumentPtr& owner, const TProtoLista& list);

// The list that holds `e` directly, searched through modules at any depth; null if none.
TProtoLista* ListHolding(TProtoLista& list, const TProtoNeuronio* e, TModule** holder);

void CheckSequence(const std::string& sequence);

// The number a text stands for; ValueError when it is not one.
TInfinito Number(const std::string& text);

// The bindings, one function per topic (bind_*.cpp).
void BindElements(py::module_& m);
void BindNet(py::module_& m);

} // namespace veltra::python
