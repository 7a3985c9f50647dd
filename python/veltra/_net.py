"""The interface of nets, elements and synapses, added to the native classes."""

import os
from decimal import Decimal
from fractions import Fraction

from ._numbers import exact_text
from ._veltra import Element, Net, Synapse

_ACTIVATION = "Saturated_Linear"


# --- values of elements and weights of synapses ------------------------------------------

def _value(self):
    """The exact value: a neuron's activity, a bias value, the symbol an input sends now.
    None for outputs and modules, which have no value of their own."""
    text = self._value_text
    return None if text is None else Decimal(text)


def _set_value(self, value):
    self._set_value_text(exact_text(value))


def _fraction(self):
    value = self.value
    return None if value is None else Fraction(value)


def _threshold(self):
    text = self._threshold_text
    return None if text is None else Decimal(text)


def _log(self):
    """Every value the output recorded, one per step, exact."""
    return [Decimal(text) for text in self._log]


Element.value = property(_value, _set_value)
Element.fraction = property(_fraction, _set_value)
Element.threshold = property(_threshold)
Element.log = property(_log)


def _weight(self):
    return Decimal(self._weight_text)


def _set_weight(self, value):
    self._set_weight_text(exact_text(value))


Synapse.weight = property(_weight, _set_weight)
Synapse.fraction = property(lambda self: Fraction(self.weight), _set_weight)
Synapse.__repr__ = lambda self: (f"<veltra.Synapse {self.source.label!r} -> "
                                 f"{self.destination.label!r} weight {self._weight_text}>")


# --- the net ---------------------------------------------------------------------------

def _load(path):
    """Reads a net file as the application's Open does. A file the reader refuses raises
    NetFileError with the reader's text; one that cannot be read, OSError."""
    return Net._load(os.fspath(path))


def _from_machine(description, word):
    """The net that the stack machine described by the JSON text `description` becomes for
    `word` (as `veltra-cli construct` builds it); its output "Accept" records a 1 exactly when
    the machine accepts the word."""
    return Net._from_machine(description, word)


def _add_neuron(self, label, x, y, activation=_ACTIVATION, threshold=None, value="0"):
    """A neuron with its glyph's top left at (x, y). activation: "Saturated_Linear",
    "HeavisideStepFunction" (whose threshold defaults to 0) or "BinarySigmoid"."""
    return self._add_neuron(label, x, y, activation,
                            None if threshold is None else exact_text(threshold),
                            exact_text(value))


def _add_input(self, label, x, y, sequence=""):
    """An input that feeds `sequence` (0s and 1s), one symbol per step."""
    return self._add_input(label, x, y, sequence)


def _connect(self, source, destination, weight):
    """A synapse from source to destination, as the drawing window draws it: one into an
    output weighs 1, one from a neuron to itself sets its loop flag. An element inside a
    module of the other's list is reached through the module (a hidden synapse with this
    weight and a visible one to or from the module). Returns the synapse that carries the
    weight."""
    return self._connect(source, destination, exact_text(weight))


def _add_module(self, label, x, y, path):
    """A module whose inner net is read from the net file at path (as the module's Load
    does); a file the reader refuses raises NetFileError and adds nothing."""
    return self._add_module(label, x, y, os.fspath(path))


def _getitem(self, label):
    """The top-level element labelled `label`; KeyError when none is, or several are."""
    found = self._labelled(label)
    if len(found) != 1:
        raise KeyError(f"{len(found) or 'no'} top-level elements labelled {label!r}")
    return found[0]


def _save(self, path):
    """Writes the net file exactly as the application's Save does (atomically)."""
    self._save(os.fspath(path))


def _run(self, max_steps=None, until_cycle=False):
    """Runs as the Execution Browser's Run does: no step when the net is finished, else steps
    until every element is finished or max_steps steps were taken. Returns the steps taken.

    With until_cycle, the run also ends when the net's state (neuron values, input positions,
    module insides; not output histories) repeats one seen earlier in the run, which proves the
    net cycles forever. net.cycle is then (S, P): S the first step of the run whose state recurs,
    P the smallest period; the net is left at the state after step S + P. Without a cycle found,
    net.cycle is None."""
    return self._run_until_cycle(max_steps) if until_cycle else self._run(max_steps)


def _trace(self, steps):
    """Takes `steps` steps and yields, after each, one row per top-level element:
    {"step", "kind", "label", "value"} with value a Decimal for neurons and biases and the
    text (remaining sequence, history) for inputs, outputs and modules.
    pandas.DataFrame(net.trace(n)) makes a table of it."""
    for _ in range(steps):
        self.step()
        for element in self.elements:
            exact = element.kind in ("neuron", "bias")
            yield {"step": self.steps, "kind": element.kind, "label": element.label,
                   "value": element.value if exact else element.text}


Net.load = staticmethod(_load)
Net.from_machine = staticmethod(_from_machine)
Net.add_neuron = _add_neuron
Net.add_input = _add_input
Net.add_module = _add_module
Net.connect = _connect
Net.__getitem__ = _getitem
Net.save = _save
Net.run = _run
Net.trace = _trace
Net.__iter__ = lambda self: iter(self.elements)
Net.__len__ = lambda self: len(self.elements)
