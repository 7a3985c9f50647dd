#!/usr/bin/env python3
"""Fails when the sources under src/ include each other in a loop.

A component is a header and the sources that implement it: `x.h` with `x.cpp`, and a source
without a header of its own (`mainformfiles.cpp`) with the header whose name begins its name
(`mainform.h`). Component A depends on B when any file of A includes B's header. A loop of
such dependencies means none of its components can be understood, built or tested without all
the others, which is how a layer grows a hub; this check keeps every loop out.

The number and the element model are each one knot on purpose (a number's text, arithmetic
and kernels; an element list holds elements, a module holds a list, an element saves through
the file code that makes elements), so their loops are allowed as they stand: a loop fails
when it is not inside one of those knots, so a knot cannot grow by a component either.

  include_cycles.py [SRC_DIR]     prints each loop found and exits 1, or exits 0
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SUFFIXES = (".h", ".hpp", ".cpp", ".cc")

KNOTS = [
    {"numeric/infinito", "numeric/infinitoops", "numeric/magnitude",
     "numeric/magnitude_kernels"},
    {"model/canvas", "model/dados", "model/elementkind", "model/glyphs", "model/inputs",
     "model/listasinapses", "model/module", "model/netedit", "model/netfileio",
     "model/netnotifier", "model/netwalk", "model/neuronio", "model/outputs", "model/pendor",
     "model/protolista", "model/protoneuronio", "model/rede", "model/sinapse",
     "model/stepplan"},
]


def components(src):
    files = []
    for folder, _, names in os.walk(src):
        files += [os.path.relpath(os.path.join(folder, n), src) for n in names
                  if n.endswith(SUFFIXES)]
    headers = {os.path.splitext(f)[0] for f in files if f.endswith((".h", ".hpp"))}
    owner = {}
    for f in files:
        stem = os.path.splitext(f)[0]
        if stem not in headers:
            # A source of its own: the longest header name in its folder that begins its name.
            folder, base = os.path.split(stem)
            best = max((h for h in headers if os.path.dirname(h) == folder
                        and base.startswith(os.path.basename(h))
                        and len(os.path.basename(h)) >= 4), key=len, default=None)
            stem = best or stem
        owner[f] = stem
    return files, owner


def graph(src, files, owner):
    edges = {c: set() for c in owner.values()}
    for f in files:
        with open(os.path.join(src, f), encoding="utf-8", errors="replace") as text:
            for line in text:
                m = INCLUDE.match(line)
                if not m:
                    continue
                # As the compiler looks: beside the file first, then from the include root.
                for candidate in (os.path.join(os.path.dirname(f), m.group(1)), m.group(1)):
                    candidate = os.path.normpath(candidate)
                    if candidate in owner:
                        if owner[candidate] != owner[f]:
                            edges[owner[f]].add(owner[candidate])
                        break
    return edges


def loops(edges):
    """Strongly connected components of more than one component (Tarjan, iterative)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = 0
    for root in sorted(edges):
        if root in index:
            continue
        work = [(root, iter(sorted(edges[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                members = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    members.append(member)
                    if member == node:
                        break
                if len(members) > 1:
                    found.append(sorted(members))
    return found


def main(argv):
    src = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    files, owner = components(src)
    edges = graph(src, files, owner)
    found = [m for m in loops(edges) if not any(set(m) <= knot for knot in KNOTS)]
    for members in found:
        inside = set(members)
        print("include loop of %d components:" % len(members), file=sys.stderr)
        for m in members:
            print("  %s -> %s" % (m, ", ".join(sorted(edges[m] & inside))), file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
