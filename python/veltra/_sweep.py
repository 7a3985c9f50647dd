"""One net run over many input assignments: in this process, in local worker processes, or
on a Dask cluster. The scheduling is theirs (concurrent.futures, dask.distributed); this
module only cuts the work into chunks and runs a chunk."""

import contextlib
import math
import multiprocessing
import os
import sys
import time
from collections.abc import Mapping
from concurrent.futures import ProcessPoolExecutor
from decimal import Decimal

from ._numbers import exact_text
from ._table import Table
from ._veltra import Net

# A chunk should take about this long, so that handing it out costs little beside it.
_LOCAL_CHUNK_SECONDS = 0.2
_CLUSTER_CHUNK_SECONDS = 1.0
# Less work than this in all runs together is done here: starting processes would cost more.
_WORTH_PROCESSES_SECONDS = 0.25


class _Job:
    """What every run of a sweep shares: the net's file bytes and how to run and report."""

    def __init__(self, data, steps, max_steps, until, until_cycle, report, as_text):
        self.data = data
        self.steps = steps
        self.max_steps = max_steps
        self.until = until
        self.until_cycle = until_cycle
        self.report = report  # (column, label, kind) per reported element
        self.as_text = as_text

    def run(self, assignment):
        columns, changes = assignment
        net = Net._loads(self.data)
        for kind, key, value in changes:
            if kind == "sequence":
                net[key].sequence = value
            elif kind == "value":
                net[key]._set_value_text(value)
            else:
                _synapse(net, *key)._set_weight_text(value)
        if self.steps is not None:
            net.step(self.steps)
        else:
            net.run(max_steps=self.max_steps, until_cycle=self.until_cycle, until=self.until)
        row = dict(columns)
        row["steps"] = net.steps
        row["finished"] = net.finished
        if self.until_cycle:
            row["cycle"] = net.cycle
        for column, label, kind in self.report:
            element = net[label]
            if kind == "input":
                row[column] = element.sequence
            elif kind == "output":
                row[column] = element.history
            else:
                text = element._value_text
                row[column] = text if self.as_text else Decimal(text)
        return row


def _synapse(net, source, destination):
    """The one synapse from the top-level element labelled source to the one labelled
    destination."""
    start, end = net[source], net[destination]
    found = [s for s in start.synapses if s.destination == end]
    if len(found) != 1:
        raise ValueError(f"{len(found) or 'no'} synapses from {source!r} to {destination!r}")
    return found[0]


def _one(net, label, kinds, what):
    try:
        element = net[label]
    except KeyError as error:
        raise ValueError(error.args[0]) from None
    if element.kind not in kinds:
        raise ValueError(f"{label!r} is {'an' if element.kind[0] in 'aeiou' else 'a'} "
                         f"{element.kind}; {what}")
    return element


def _assignment(net, given, only_input):
    """(columns, changes) of one assignment, checked against the net: an input's label to
    a sequence, a neuron's or bias's label to a value, (source, destination) to a weight."""
    if isinstance(given, str):
        if only_input is None:
            raise ValueError("a bare sequence needs a net with exactly one top-level input; "
                             "give {label: sequence} instead")
        given = {only_input: given}
    if not isinstance(given, Mapping):
        raise TypeError(f"an assignment is a mapping (label: sequence or value) or, for a net "
                        f"with one input, a sequence; not {type(given).__name__}")
    columns, changes = [], []
    for key, value in given.items():
        if isinstance(key, tuple):
            if len(key) != 2:
                raise ValueError(f"a weight is named (source, destination), not {key!r}")
            _synapse(net, *key)
            text = exact_text(value)
            columns.append((f"{key[0]}->{key[1]}", Decimal(text)))
            changes.append(("weight", key, text))
            continue
        element = _one(net, key, ("input", "neuron", "bias"),
                       "only inputs, neurons and biases are assigned")
        if element.kind == "input":
            if not isinstance(value, str) or value.strip("01"):
                raise ValueError(f"the sequence for {key!r} must be a str of 0s and 1s, "
                                 f"not {value!r}")
            columns.append((key, value))
            changes.append(("sequence", key, value))
        else:
            text = exact_text(value)
            columns.append((key, Decimal(text)))
            changes.append(("value", key, text))
    return tuple(columns), tuple(changes)


def _report(net, values):
    if values is None:
        chosen = [e.label for e in net.elements if e.kind == "output"] or \
                 [e.label for e in net.elements if e.kind == "neuron"]
        values = {label: label for label in chosen}
    elif not isinstance(values, Mapping):
        values = {label: label for label in values}
    report = []
    for column, label in values.items():
        element = _one(net, label, ("input", "neuron", "bias", "output"),
                       "a module has no value to report")
        report.append((column, label, element.kind))
    return report


def _run_chunk(job, chunk):
    return [job.run(assignment) for assignment in chunk]


_WORKER_JOB = None


def _start_worker(job):
    global _WORKER_JOB
    _WORKER_JOB = job


def _run_worker_chunk(chunk):
    return _run_chunk(_WORKER_JOB, chunk)


def _cpus():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


def _chunked(items, size):
    return [items[i:i + size] for i in range(0, len(items), size)]


def _chunk_size(given, seconds_each, target, count, workers):
    if given is not None:
        if given < 1:
            raise ValueError(f"chunk_size must be at least 1, not {given}")
        return given
    wanted = math.ceil(target / max(seconds_each, 1e-6))
    return max(1, min(wanted, math.ceil(count / workers)))


@contextlib.contextmanager
def _main_not_offered():
    """Worker processes import the main program (its file, or its module with -m) before they
    start, unless it names neither. They need nothing of it (a chunk is veltra's function and
    plain data), so while they start it names neither: a script without an
    `if __name__ == "__main__":` guard does not run again in every worker, and one read from
    standard input ('<stdin>', no file) does not kill them."""
    main = sys.modules.get("__main__")
    if main is None:
        yield
        return
    saved = {name: main.__dict__[name] for name in ("__file__", "__spec__") if name in main.__dict__}
    main.__dict__.pop("__file__", None)
    main.__spec__ = None
    try:
        yield
    finally:
        main.__dict__.pop("__spec__", None)
        main.__dict__.update(saved)


def _context():
    # Not fork: a process that forks after threads of OpenMP, Dask or Jupyter started may
    # hang in the child. forkserver starts workers from a clean process of its own.
    method = "forkserver" if "forkserver" in multiprocessing.get_all_start_methods() else "spawn"
    return multiprocessing.get_context(method)


def sweep(net, inputs, *, steps=None, max_steps=None, until=None, until_cycle=False,
          values=None, client=None, processes=None, chunk_size=None, as_text=False):
    """Runs net once per assignment in inputs and returns one row per run, in their order.

    net: a Net (its present state is where every run starts) or the path of a net file.
    inputs: assignments, each a mapping from an input's label to its sequence ("0110"), a
    neuron's or bias's label to its starting value, or (source label, destination label)
    to the weight of the synapse between those top-level elements; for a net with one
    top-level input, a bare sequence is enough.
    steps: take exactly that many steps; otherwise each run runs as Net.run does, with
    max_steps, until and until_cycle.
    values: the labels whose values each row reports (a mapping for other column names);
    by default every top-level output's history (or, without outputs, every neuron).

    Each row holds the assignment's columns (sequences as str, numbers as Decimal), "steps",
    "finished", "cycle" (with until_cycle) and the reported values: a neuron's or bias's
    exact Decimal (its text with as_text), an input's remaining sequence, an output's
    history. .to_pandas() makes a DataFrame that keeps every binary string a string.

    Where the runs go: with client (a dask.distributed.Client) onto its cluster; otherwise
    into local worker processes (processes of them, by default one per CPU this process may
    use; processes=0 runs everything here). Runs travel in chunks, sized so that a chunk
    takes about a second on a cluster and a fifth of one locally, judged by the first run,
    which runs here; a sweep whose runs would take less than a quarter of a second
    together runs here altogether. The workers never import the main program, so a script
    needs no `if __name__ == "__main__":` guard for them.
    """
    if steps is not None and (max_steps is not None or until is not None or until_cycle):
        raise ValueError("steps takes exactly that many steps; it excludes max_steps, until "
                         "and until_cycle")
    if processes is not None and processes < 0:
        raise ValueError(f"processes must be 0 or more, not {processes}")
    if not isinstance(net, Net):
        net = Net.load(net)
    template = Net._loads(net._dumps())
    only = [e.label for e in template.elements if e.kind == "input"]
    only_input = only[0] if len(only) == 1 else None
    assignments = [_assignment(template, given, only_input) for given in inputs]
    job = _Job(template._dumps(), steps, max_steps, until, until_cycle,
               _report(template, values), as_text)
    names = [name for name, _ in assignments[0][0]] if assignments else []
    for columns_of, _ in assignments:
        if [name for name, _ in columns_of] != names:
            raise ValueError(f"every assignment names the same things in the same order: "
                             f"{names} against {[name for name, _ in columns_of]}")
    columns = names + ["steps", "finished"] + (["cycle"] if until_cycle else []) + \
        [column for column, _, _ in job.report]
    if len(set(columns)) != len(columns):
        twice = sorted({c for c in columns if columns.count(c) > 1})
        raise ValueError(f"two columns named {twice}; name the reported values with a "
                         f"mapping, values={{'new name': label}}")
    rows = Table(columns=columns)
    if not assignments:
        return rows
    begun = time.perf_counter()
    rows.append(job.run(assignments[0]))
    each = time.perf_counter() - begun
    rest = assignments[1:]
    if not rest:
        return rows
    if client is not None:
        workers = max(1, len(client.scheduler_info().get("workers", {})))
        size = _chunk_size(chunk_size, each, _CLUSTER_CHUNK_SECONDS, len(rest), workers)
        shared = client.scatter(job, broadcast=True)
        futures = [client.submit(_run_chunk, shared, chunk, pure=False)
                   for chunk in _chunked(rest, size)]
        for part in client.gather(futures):
            rows.extend(part)
        return rows
    workers = _cpus() if processes is None else processes
    if workers == 0 or (processes is None and each * len(rest) < _WORTH_PROCESSES_SECONDS):
        rows.extend(_run_chunk(job, rest))
        return rows
    size = _chunk_size(chunk_size, each, _LOCAL_CHUNK_SECONDS, len(rest), workers)
    chunks = _chunked(rest, size)
    with _main_not_offered(), ProcessPoolExecutor(
            max_workers=min(workers, len(chunks)), mp_context=_context(),
            initializer=_start_worker, initargs=(job,)) as pool:
        for part in pool.map(_run_worker_chunk, chunks):
            rows.extend(part)
    return rows

