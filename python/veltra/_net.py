"""The interface of nets, elements and synapses, given to the native classes."""

import operator
import os
from decimal import Decimal
from fractions import Fraction

from . import _svg
from ._errors import NetFileError
from ._numbers import exact_text
from ._table import Table
from ._veltra import Element, Net, Synapse, _ReadError

_ACTIVATION = "Saturated_Linear"
_TRACE_COLUMNS = ("step", "kind", "label", "value", "text")


def _onto(cls):
    """Puts the functions and properties of the decorated class body onto the native cls."""
    def graft(body):
        for name, member in vars(body).items():
            if name not in ("__dict__", "__weakref__", "__module__", "__qualname__"):
                setattr(cls, name, member)
        return cls
    return graft


def _read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def _as_bytes(text):
    if isinstance(text, str):
        return text.encode("utf-8", "surrogateescape")
    return bytes(text)


def _spot(x, y):
    if (x is None) != (y is None):
        raise TypeError("give both x and y, or neither (a grid cell is chosen)")
    if x is None:
        return None
    try:
        return operator.index(x), operator.index(y)
    except TypeError:
        raise TypeError(f"x and y are whole numbers, not {x!r} and {y!r}") from None


def _need(value, kind, what):
    """value itself when it is a kind (or None where what allows it); TypeError otherwise."""
    if not isinstance(value, kind):
        raise TypeError(f"{what}, not {type(value).__name__}")
    return value


def _label(label):
    return None if label is None else _need(label, str, "a label is text (str)")


def _shortened(text, limit=40):
    return text if len(text) <= limit else f"{text[:limit // 2]}...({len(text)} characters)"


def _restore(data, steps):
    net = Net._loads(data)
    net._set_steps(steps)
    return net


@_onto(Net)
class _Net:
    """A net of neurons, biases, inputs, outputs and modules joined by weighted synapses,
    every value an exact decimal.

    Net() is empty; Net.load(path) and Net.loads(text) read a net file; a net pickles and
    copies through its file text, byte for byte (plus its step count). net[label] is the
    top-level element with that label, net[i] the i-th; iterating gives the top-level
    elements in list order.
    """

    @staticmethod
    def load(path):
        """Reads the net file at path as the application's Open does.

        A file that cannot be read raises OSError (FileNotFoundError, PermissionError ...)
        with its errno and filename; one the reader refuses, NetFileError with the reader's
        text, the filename and the line it stopped in.
        """
        data = _read_bytes(path)
        try:
            return Net._loads(data)
        except _ReadError as error:
            raise NetFileError(error.args[0], path, error.args[1]) from None

    @staticmethod
    def loads(text):
        """The net that a net file holding text (str or bytes) is; NetFileError as load."""
        try:
            return Net._loads(_as_bytes(text))
        except _ReadError as error:
            raise NetFileError(error.args[0], None, error.args[1]) from None

    @staticmethod
    def from_machine(description, word):
        """The net that the stack machine described by the JSON text description becomes
        for word (as `veltra-cli construct` builds it); its output "Accept" records a 1
        exactly when the machine accepts the word."""
        return Net._from_machine(description, word)

    def dumps(self):
        """The net file's text, as save writes it (str; a label's bytes that are not UTF-8
        come through as surrogates, so Net.loads(net.dumps()) is the same net)."""
        return self._dumps().decode("utf-8", "surrogateescape")

    def save(self, path):
        """Writes the net file exactly as the application's Save does, atomically: a
        temporary file next to path, renamed over it once complete. OSError with errno and
        filename when that fails; the old file is then as it was."""
        number, text = self._save(os.fsencode(path))
        if number:
            raise OSError(number, os.strerror(number), os.fspath(path))
        if text:
            raise OSError(text)

    # --- building ---------------------------------------------------------------------

    def add_neuron(self, label=None, x=None, y=None, activation=_ACTIVATION, threshold=None,
                   value=0):
        """Adds a neuron and returns it.

        label: free text (default: the element counter, as the drawing window labels);
        x, y: the glyph's top left as the file stores it (default: the next grid cell);
        activation: "Saturated_Linear", "HeavisideStepFunction" (with threshold, default 0)
        or "BinarySigmoid"; value: the starting activity, exact.
        """
        return self._add_neuron(_label(label), _spot(x, y),
                                _need(activation, str, "activation is a name (str)"),
                                None if threshold is None else exact_text(threshold),
                                exact_text(value))

    def add_bias(self, label=None, x=None, y=None):
        """Adds a bias (value 1; settable through .value) and returns it."""
        return self._add_bias(_label(label), _spot(x, y))

    def add_input(self, label=None, x=None, y=None, sequence=""):
        """Adds an input that feeds sequence (0s and 1s), one symbol per step."""
        return self._add_input(_label(label), _spot(x, y),
                               _need(sequence, str, "a sequence is text of 0s and 1s (str)"))

    def add_output(self, label=None, x=None, y=None):
        """Adds an output, which records the value of what feeds it in every step."""
        return self._add_output(_label(label), _spot(x, y))

    def add_module(self, label=None, x=None, y=None, path=None):
        """Adds a module whose inner net is read from the net file at path (as the module's
        Load does); OSError or NetFileError (as load) add nothing."""
        if path is None:
            raise TypeError("add_module() needs the path of the net file its inner net is read from")
        data = _read_bytes(path)
        try:
            return self._add_module(_label(label), _spot(x, y), data)
        except _ReadError as error:
            raise NetFileError(error.args[0], path, error.args[1]) from None

    def connect(self, source, destination, weight):
        """Adds a synapse from source to destination, as the drawing window draws it.

        Into an output the weight is 1; a neuron to itself sets its loop flag; an element
        inside a module of the other's list is reached across the module's border (a hidden
        synapse with the weight, and a visible one to or from the module). Returns the
        synapse that carries the weight. ValueError when the source may not connect so.
        """
        return self._connect(_need(source, Element, "the source is an Element"),
                             _need(destination, Element, "the destination is an Element"),
                             exact_text(weight))

    def remove(self, element):
        """Takes element out of the net with every synapse that joins it to anything.
        The element object stays readable but is no part of the net any more."""
        self._remove(_need(element, Element, "remove takes an Element"))

    def disconnect(self, synapse):
        """Takes synapse out of the net (only it: across a module's border the hidden and
        the visible synapse are two)."""
        self._disconnect(_need(synapse, Synapse, "disconnect takes a Synapse"))

    # --- running ----------------------------------------------------------------------

    def run(self, max_steps=None, until_cycle=False, until=None):
        """Runs as the Execution Browser's Run does and returns the steps taken: no step
        when the net is finished, else steps until every element is finished or max_steps
        steps were taken.

        until: "LABEL OP VALUE" (OP one of = > < >= <=) also ends the run after the first
        step in which the first top-level element labelled LABEL compares so with VALUE,
        exactly (an output's value is the one it recorded).

        until_cycle: the run also ends when the net's state (neuron values, input positions,
        module insides; not output histories) repeats one seen earlier in the run, which
        proves the net cycles forever. net.cycle is then (S, P): S the first step of the
        run whose state recurs, P the smallest period; the net is left at the state after
        step S + P. Without a cycle found, net.cycle is None.
        """
        if max_steps is not None:
            max_steps = operator.index(max_steps)
        return self._run(max_steps, bool(until_cycle),
                         None if until is None else _need(until, str, "until is a condition "
                                                          "'LABEL OP VALUE' (str)"))

    def trace(self, steps, *, as_text=False):
        """Takes steps steps and returns, after each, one row per top-level element:
        {"step", "kind", "label", "value", "text"}. value is the exact Decimal of a neuron's
        activity, a bias value or the symbol an input sends (None for outputs and modules),
        or its text with as_text; text is what veltra-cli run prints (an input's remaining
        sequence, an output's history). .to_pandas() makes a DataFrame of it."""
        rows = Table(columns=_TRACE_COLUMNS)
        for _ in range(steps):
            self.step()
            for element in self.elements:
                value = element._value_text
                if value is not None and not as_text:
                    value = Decimal(value)
                rows.append({"step": self.steps, "kind": element.kind, "label": element.label,
                             "value": value, "text": element.text})
        return rows

    # --- Python's protocols -----------------------------------------------------------

    def __getitem__(self, key):
        """net[label]: the one top-level element with that label (KeyError for none or
        several); net[i]: the i-th top-level element."""
        if isinstance(key, str):
            found = self._labelled(key)
            if len(found) != 1:
                raise KeyError(f"{len(found) or 'no'} top-level elements labelled {key!r}")
            return found[0]
        if isinstance(key, (int, slice)) and not isinstance(key, bool):
            return self.elements[key]
        raise TypeError(f"a net is indexed by a label (str) or a position (int), "
                        f"not {type(key).__name__}")

    def __contains__(self, item):
        """label in net: some top-level element has that label; element in net: it is one
        of the top-level elements."""
        if isinstance(item, str):
            return bool(self._labelled(item))
        if isinstance(item, Element):
            return item in self.elements
        return False

    def __iter__(self):
        return iter(self.elements)

    def __len__(self):
        return len(self.elements)

    def __repr__(self):
        counts = self._counts()
        kinds = ("neuron", "bias", "input", "output", "module")
        parts = [f"{n} {kind}{'' if n == 1 else ('es' if kind == 'bias' else 's')}"
                 for kind, n in zip(kinds, counts) if n]
        synapses = counts[-1]
        return (f"<veltra.Net: {', '.join(parts) or 'no elements'}; {synapses} "
                f"synapse{'' if synapses == 1 else 's'}; step {self.steps}"
                f"{', finished' if self.finished else ''}>")

    def __reduce__(self):
        return (_restore, (self._dumps(), self.steps))

    def __copy__(self):
        return _restore(self._dumps(), self.steps)

    def __deepcopy__(self, memo):
        return self.__copy__()

    def _repr_svg_(self):
        return _svg.net_svg(self)


# --- elements and synapses ------------------------------------------------------------

@_onto(Element)
class _Element:
    """One element of a net: a neuron, bias, input, output or module. Two element objects
    are equal when they are the same element."""

    @property
    def value(self):
        """The exact value: a neuron's activity, a bias value, the symbol an input sends now.
        None for outputs and modules, which have no value of their own. Settable for neurons
        and biases, from anything Net.connect takes as a weight."""
        text = self._value_text
        return None if text is None else Decimal(text)

    @value.setter
    def value(self, value):
        self._set_value_text(exact_text(value))

    @property
    def fraction(self):
        """The value as a Fraction (None where value is None); settable as value."""
        value = self.value
        return None if value is None else Fraction(value)

    @fraction.setter
    def fraction(self, value):
        self._set_value_text(exact_text(value))

    @property
    def threshold(self):
        """A step-function neuron's threshold (Decimal), None for other activations."""
        text = self._threshold_text
        return None if text is None else Decimal(text)

    @property
    def log(self):
        """Every value the output recorded, one per step, exact."""
        return [Decimal(text) for text in self._log]

    def __repr__(self):
        value = self._value_text if self.kind in ("neuron", "bias") else None
        shown = "" if value is None else f" = {_shortened(value)}"
        return f"<veltra.Element {self.kind} {self.label!r}{shown}>"


@_onto(Synapse)
class _Synapse:
    """A weighted synapse from source to destination. Two synapse objects are equal when
    they are the same synapse."""

    @property
    def weight(self):
        """The exact weight (Decimal); settable from an integer, Decimal, finite Fraction or
        a number's text."""
        return Decimal(self._weight_text)

    @weight.setter
    def weight(self, value):
        self._set_weight_text(exact_text(value))

    @property
    def fraction(self):
        """The weight as a Fraction; settable as weight."""
        return Fraction(self.weight)

    @fraction.setter
    def fraction(self, value):
        self._set_weight_text(exact_text(value))

    def __repr__(self):
        hidden = "" if self.visible else " (hidden)"
        return (f"<veltra.Synapse {self.source.label!r} -> {self.destination.label!r} weight "
                f"{_shortened(self._weight_text)}{hidden}>")


for _cls in (Net, Element, Synapse):
    _cls.__module__ = "veltra"
