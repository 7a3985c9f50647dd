#!/usr/bin/env python3
"""Reference stepper over Python's fractions: what a researcher would script.

  ref_step.py NET STEPS [--float]

Reads a net file (trusting its layout), runs STEPS synchronous steps (two sweeps: every element
with a non-zero value sends weight x value along its synapses, then every neuron applies its
activation to its sum, inputs consume a symbol, outputs record their first source), and prints
one line per top-level element: kind, label and value text (decimal text for neurons and biases,
the remaining sequence for inputs, the history for outputs). --float uses binary doubles instead.
"""
import sys
import time
from fractions import Fraction


class El:
    def __init__(self, kind):
        self.kind, self.label, self.id = kind, "", None
        self.out = []       # [weight, dest id, dest]
        self.incoming = []
        self.value = 0
        self.sum = 0
        self.func, self.teta = "TSACTURATED_LINEAR", 0
        self.seq = ""
        self.inner = []


def parse(lines, pos, num):
    count = int(lines[pos][13:-1])
    pos += 1
    elements = []
    for _ in range(count):
        e = El(lines[pos][16:-1].upper())
        e.id = int(lines[pos + 1][3:])
        e.label = lines[pos + 2][9:]
        pos += 6
        ns = int(lines[pos][16:-1])
        pos += 1
        for _ in range(ns):
            e.out.append([num(lines[pos + 1][6:]), int(lines[pos + 2][8:]), None])
            pos += 5
        pos += 1
        if e.kind == "TNEURONIO":
            e.value = num(lines[pos][11:])
            e.func = lines[pos + 1][16:].upper()
            pos += 2
            if e.func == "TSTEPFUNCTION":
                e.teta = num(lines[pos][5:])
                pos += 1
            pos += 1
        elif e.kind == "TPENDOR":
            e.value = num(lines[pos][11:])
            pos += 1
        elif e.kind in ("TINPUT", "TOUTPUT"):
            e.seq = lines[pos][8:]
            pos += 1
        elif e.kind == "TMODULO":
            e.inner, pos = parse(lines, pos, num)
        pos += 1
        elements.append(e)
    outs = [e for e in elements if e.kind == "TOUTPUT"]
    return [e for e in elements if e.kind != "TOUTPUT"] + outs, pos + 1


def walk(elements):
    for e in elements:
        yield e
        yield from walk(e.inner)


def link(top):
    by_id = {}
    for e in walk(top):
        by_id.setdefault(e.id, e)
    for e in walk(top):
        for s in e.out:
            s[2] = by_id[s[1]]
            s[2].incoming.append(e)


def value(e, num):
    if e.kind == "TINPUT":
        return num(1) if e.seq[:1] == "1" else num(0)
    if e.kind in ("TNEURONIO", "TPENDOR"):
        return e.value
    return num(0)


def propagate(elements, num):
    for e in elements:
        if e.kind == "TMODULO":
            propagate(e.inner, num)
            continue
        if e.kind == "TOUTPUT":
            continue
        v = value(e, num)
        if v == 0:
            continue
        for w, _, d in e.out:
            if d.kind in ("TNEURONIO", "TOUTPUT"):
                d.sum += w * v


def commit(elements, num):
    for e in elements:
        if e.kind == "TNEURONIO":
            x = e.sum
            if e.func == "TSTEPFUNCTION":
                e.value = num(0) if e.teta > x else num(1)
            elif e.func == "TBINARYSIGMOID":
                e.value = num(0) if 1 > x else num(1)
            else:
                e.value = num(0) if x < 0 else (num(1) if x > 1 else x)
            e.sum = num(0)
        elif e.kind == "TINPUT":
            e.seq = e.seq[1:]
        elif e.kind == "TOUTPUT":
            # The first source that is not a module (a module's own synapse carries nothing).
            src = next((i for i in e.incoming if i.kind != "TMODULO"), None)
            if src is None and e.incoming:
                src = e.incoming[0]
            r = value(src, num) if src else num(0)
            e.seq += "0" if r == 0 else ("1" if r == 1 else "x")
            e.sum = num(0)
        elif e.kind == "TMODULO":
            commit(e.inner, num)


def decimal_text(v):
    if isinstance(v, float):
        return repr(v)
    v = Fraction(v)
    sign = "-" if v < 0 else ""
    v = abs(v)
    whole, frac = divmod(v.numerator, v.denominator)
    den = v.denominator
    digits = ""
    while frac:
        frac *= 10
        d, frac = divmod(frac, den)
        digits += str(d)
    return sign + str(whole) + ("." + digits if digits else "")


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    num = float if "--float" in argv else Fraction
    if len(args) != 2:
        sys.exit(__doc__)
    with open(args[0], newline="") as f:
        lines = f.read().split("\r\n")
    top, _ = parse(lines, 1, num)
    link(top)
    start = time.perf_counter()
    for _ in range(int(args[1])):
        propagate(top, num)
        commit(top, num)
    elapsed = time.perf_counter() - start
    for e in top:
        kind = e.kind[1:].lower().replace("pendor", "bias").replace("neuronio", "neuron")
        kind = kind.replace("modulo", "module")
        if e.kind in ("TNEURONIO", "TPENDOR"):
            text = decimal_text(e.value)
        elif e.kind == "TMODULO":
            text = "0"
        else:
            text = e.seq
        print("%s\t%s\t%s" % (kind, e.label, text))
    print("seconds=%.6f" % elapsed, file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv)
