#!/usr/bin/env python3
"""Writes net files in the writer's exact format (CR LF, ids in list order).

Used for the example nets and the step benchmark:
  gen_nets.py worked - OUT.net      the small worked example
  gen_nets.py module - OUT.net      a module fed and read over hidden synapses
  gen_nets.py chain  N OUT.net      chain of N saturated-linear neurons with self-loops
  gen_nets.py sparse N OUT.net      random sparse net: N neurons, 5 synapses each, biases, inputs
  gen_nets.py sparselong N OUT.net  N neurons, 5 synapses each, values of about 1,000 digits
  gen_nets.py dense N OUT.net       N neurons, each the sum of 40 random others
  gen_nets.py big N OUT.net         N saturated-linear neurons, a self-loop and 4 random synapses
                                    each, values of one or two digits that gain one a step
  gen_nets.py big NxK OUT.net       the same with a self-loop and K-1 random synapses each
  gen_nets.py stack  OPS OUT.net    digit-encoded stack driven by inputs; OPS like "p1 p0 o o"
  gen_nets.py stackbench STEPS OUT.net   a stack that pushes then pops, for STEPS steps
"""
import random
import sys


class Element:
    def __init__(self, kind, label, x=0, y=0):
        self.kind = kind            # NEURONIO PENDOR INPUT OUTPUT MODULO
        self.label = label
        self.x, self.y = x, y
        self.watch = True
        self.synapses = []          # (weight text, destination element, visible)
        self.activity = "0"
        self.function = "TSacturated_Linear"
        self.teta = None
        self.loop = False
        self.bias = "1"
        self.sequence = ""
        self.inner = []             # module's inner list
        self.id = None

    def to(self, dest, weight, visible=True):
        self.synapses.append((str(weight), dest, visible))
        if dest is self:
            self.loop = True
        return self


def ordered(elements):
    """Outputs after all other elements, as the element list keeps them."""
    return [e for e in elements if e.kind != "OUTPUT"] + [e for e in elements if e.kind == "OUTPUT"]


def renumber(elements, counter=0):
    for e in ordered(elements):
        e.id = counter
        counter += 1
        if e.kind == "MODULO":
            counter = renumber(e.inner, counter)
    return counter


def write_list(elements, out):
    elements = ordered(elements)
    out.append("<TProtoLista=%d>" % len(elements))
    for e in elements:
        out.append("<TPROTONEURONIO=T%s>" % e.kind)
        out.append("Id:%d" % e.id)
        out.append("Etiqueta:" + e.label)
        out.append("Posicao:%d;%d" % (e.x, e.y))
        out.append("Visible_in_runform:" + ("true" if e.watch else "false"))
        out.append("Pos_Sinapses:")
        out.append("<TListaSinapses=%d>" % len(e.synapses))
        for weight, dest, visible in e.synapses:
            out += ["<TSINAPSE>", "Valor:" + weight, "Destino:%d" % dest.id,
                    "visible:" + ("true" if visible else "false"), "</TSINAPSE>"]
        out.append("</TListaSinapses>")
        if e.kind == "NEURONIO":
            out.append("Actividade:" + e.activity)
            out.append("FuncaoActivacao:" + e.function)
            if e.function == "TStepFunction":
                out.append("Teta:" + e.teta)
            out.append("loop:" + ("true" if e.loop else "false"))
        elif e.kind == "PENDOR":
            out.append("Actividade:" + e.bias)
        elif e.kind in ("INPUT", "OUTPUT"):
            out.append("Binario:" + e.sequence)
        elif e.kind == "MODULO":
            write_list(e.inner, out)
        out.append("</TPROTONEURONIO>")
    out.append("</TProtoLista>")


def net_text(elements):
    renumber(elements)
    out = ["<TREDE=version 0.4>"]
    write_list(elements, out)
    out.append("</TREDE>")
    return "".join(line + "\r\n" for line in out)


def neuron(label, x=0, y=0):
    return Element("NEURONIO", label, x, y)


def chain(n):
    """Each neuron keeps half of itself and a tenth (or 0.7) of its predecessor; every neuron
    starts active, so every value gains digits in every step."""
    bias = Element("PENDOR", "B", 20, 20)
    ns = [neuron("N%d" % i, 100 + 40 * (i % 30), 20 + 40 * (i // 30)) for i in range(n)]
    for i, nr in enumerate(ns):
        nr.activity = "0.%d" % (1 + i % 9)
    bias.to(ns[0], "0.3")
    for i, nr in enumerate(ns):
        nr.to(nr, "0.5")
        if i + 1 < n:
            nr.to(ns[i + 1], "0.1" if i % 2 else "0.7")
    out = Element("OUTPUT", "Out", 20, 80)
    ns[-1].to(out, 1)
    return [bias] + ns + [out]


def sparse(n, seed=1):
    rng = random.Random(seed)
    weights = ["0.5", "-0.25", "0.1", "0.3", "-0.7", "0.125", "0.05", "1.5", "-0.2", "0.01"]
    ns = [neuron("N%d" % i, 100 + 40 * (i % 30), 20 + 40 * (i // 30)) for i in range(n)]
    for i, nr in enumerate(ns):
        if i % 10 == 3:
            nr.function, nr.teta = "TStepFunction", "0.35"
        for dest in rng.sample(ns, 5):
            nr.to(dest, rng.choice(weights))
    biases = [Element("PENDOR", "B%d" % i, 20, 20 + 40 * i) for i in range(10)]
    for b in biases:
        b.bias = rng.choice(["0.2", "0.15", "-0.1"])
        for dest in rng.sample(ns, 20):
            b.to(dest, rng.choice(weights))
    inputs = [Element("INPUT", "I%d" % i, 60, 20 + 40 * i) for i in range(10)]
    for inp in inputs:
        inp.sequence = "".join(rng.choice("01") for _ in range(200))
        for dest in rng.sample(ns, 20):
            inp.to(dest, rng.choice(weights))
    outs = [Element("OUTPUT", "O%d" % i, 1400, 20 + 40 * i) for i in range(5)]
    for o in outs:
        rng.choice(ns).to(o, 1)
    return biases + inputs + ns + outs


def sparse_long(n, digits=1000, seed=5):
    """A sparse net whose values are long fractions from the start: every neuron begins at a
    random value of about `digits` digits and sends to 5 random others with small weights (a
    few negative), so most sums stay inside (0, 1) and keep their digits; the weights add one
    to three digits a step."""
    rng = random.Random(seed)
    weights = ["0.1", "0.15", "0.125", "0.05", "0.2", "-0.05", "0.12", "0.075"]
    ns = [neuron("N%d" % i, 100 + 40 * (i % 30), 20 + 40 * (i // 30)) for i in range(n)]
    for nr in ns:
        nr.activity = "0." + "".join(rng.choice("0123456789") for _ in range(digits - 1)) + "7"
        for dest in rng.sample(ns, 5):
            nr.to(dest, rng.choice(weights))
    out = Element("OUTPUT", "Out", 20, 80)
    ns[-1].to(out, 1)
    return ns + [out]


def big(n, k=5, seed=11):
    """The large sparse nets: every neuron keeps half of itself and sends to four (k - 1) random
    others with weights of one decimal digit, so a value gains at most one digit a step and stays
    a few groups long over tens of steps; about a third of the neurons sit at 0 or 1 at any time."""
    rng = random.Random(seed)
    weights = ["0.5", "-0.5", "0.2", "-0.3", "0.7", "-0.1"]
    starts = ["0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1"]
    ns = [neuron("N%d" % i, 100 + 40 * (i % 100), 20 + 40 * (i // 100)) for i in range(n)]
    for nr in ns:
        nr.activity = rng.choice(starts)
        nr.to(nr, "0.5")
        for dest in rng.sample(ns, k - 1):
            nr.to(dest, rng.choice(weights))
    out = Element("OUTPUT", "Out", 20, 80)
    ns[-1].to(out, 1)
    return ns + [out]


def dense(n, k=40, seed=3):
    """Every neuron sums k weighted inputs: the case where a neuron's input is many products."""
    rng = random.Random(seed)
    weights = ["0.5", "-0.25", "0.1", "0.3", "-0.7", "0.125", "0.05", "0.2", "-0.2", "0.01"]
    ns = [neuron("N%d" % i, 100 + 40 * (i % 30), 20 + 40 * (i // 30)) for i in range(n)]
    for i, nr in enumerate(ns):
        nr.activity = "0.%d" % (1 + i % 9)
    for nr in ns:
        for src in rng.sample(ns, k):
            src.to(nr, rng.choice(weights))
    out = Element("OUTPUT", "Out", 20, 80)
    ns[-1].to(out, 1)
    return ns + [out]


def stack(ops):
    """A stack of bits in the base-4 digits of one neuron Q: push b makes Q/4 + (2b+1)/4,
    pop makes 4Q - 2top - 1, and top = sat(4Q - 2). One operation every 3 steps; the control
    inputs carry their symbol in the middle step of each operation. Out records Top."""
    seq = {"B": [], "PU": [], "PO": []}
    for op in ops:
        push = op.startswith("p")
        bit = op[1:] if push else "0"
        seq["B"] += ["0", bit, "0"]
        seq["PU"] += ["0", "1" if push else "0", "0"]
        seq["PO"] += ["0", "0" if push else "1", "0"]
    inputs = {}
    for i, name in enumerate(["B", "PU", "PO"]):
        inputs[name] = Element("INPUT", name, 20, 20 + 60 * i)
        inputs[name].sequence = "".join(seq[name])
    bias = Element("PENDOR", "One", 20, 200)
    q, d1, top = neuron("Q", 340, 100), neuron("D", 100, 60), neuron("Top", 100, 140)
    push, pop = neuron("Push", 220, 60), neuron("Pop", 220, 140)
    out = Element("OUTPUT", "Out", 340, 200)
    q.to(d1, 1).to(top, 4)
    bias.to(top, -2).to(push, "-0.75").to(pop, -2)
    d1.to(push, "0.25").to(pop, 4)
    top.to(pop, -2).to(out, 1)
    inputs["B"].to(push, "0.5")
    inputs["PU"].to(push, 1)
    inputs["PO"].to(pop, 1)
    push.to(q, 1)
    pop.to(q, 1)
    return list(inputs.values()) + [bias, q, d1, top, push, pop, out]


def stack_bench(steps, seed=7):
    rng = random.Random(seed)
    n = steps // 3
    pushes = [("p1" if rng.random() < 0.5 else "p0") for _ in range(n // 2)]
    return stack(pushes + ["o"] * (n - len(pushes)))


def worked():
    """The small worked example: input 0110 and a bias into a step-function neuron, one output."""
    inp = Element("INPUT", "In", 40, 60)
    inp.sequence = "0110"
    bias = Element("PENDOR", "B", 40, 140)
    n = neuron("N", 160, 100)
    n.function, n.teta = "TStepFunction", "0.5"
    out = Element("OUTPUT", "Out", 280, 100)
    inp.to(n, 1)
    bias.to(n, "-0.5")
    n.to(out, 1)
    return [inp, bias, n, out]


def module_delay():
    """An input fed into a module's inner neuron and read back out of it over hidden synapses:
    Echo repeats the input two steps late. The visible synapses to and from the module carry
    nothing."""
    inp = Element("INPUT", "In", 20, 60)
    inp.sequence = "1101"
    mod = Element("MODULO", "Delay", 120, 60)
    inner = neuron("Inner", 40, 40)
    mod.inner = [inner]
    echo = neuron("Echo", 220, 60)
    out = Element("OUTPUT", "Out", 320, 60)
    inp.to(inner, "0.5", visible=False).to(mod, 1)
    mod.to(echo, 1)
    inner.to(echo, 2, visible=False)
    echo.to(out, 1)
    return [inp, mod, echo, out]


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    kind, arg, path = argv[1], argv[2], argv[3]
    if kind == "worked":
        net = worked()
    elif kind == "module":
        net = module_delay()
    elif kind == "chain":
        net = chain(int(arg))
    elif kind == "sparse":
        net = sparse(int(arg))
    elif kind == "sparselong":
        net = sparse_long(int(arg))
    elif kind == "dense":
        net = dense(int(arg))
    elif kind == "big":
        size, _, degree = arg.partition("x")
        net = big(int(size), int(degree) if degree else 5)
    elif kind == "stack":
        net = stack(arg.split())
    elif kind == "stackbench":
        net = stack_bench(int(arg))
    else:
        sys.exit(__doc__)
    with open(path, "w", newline="") as f:
        f.write(net_text(net))


if __name__ == "__main__":
    main(sys.argv)
