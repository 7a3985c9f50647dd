#!/usr/bin/env python3
"""Step benchmark: our stepper against a Python fractions stepper and a GMP stepper.

  run_step_bench.py BUILD_DIR [--quick]
  run_step_bench.py BUILD_DIR --threads [REPEATS] [--sizes 300000]
  run_step_bench.py BUILD_DIR --process [REPEATS]
  run_step_bench.py BUILD_DIR --plan [REPEATS] [--sizes 3000,30000,300000]
  run_step_bench.py BUILD_DIR --memory
  run_step_bench.py BUILD_DIR --instructions [--sizes 3000]

Generates the nets with gen_nets.py, runs all three on the same file and number of steps,
checks that every final value agrees, then prints one table row per case: the median time of
each side, our speed-up over Python, our time over GMP's, and our peak memory over GMP's.

--threads times our stepper alone on one thread, on two as shipped (big steps timed both ways,
the faster kept) and on two sharing every big step (runs alternate, REPEATS of each, 7 by
default), on a 2,000-neuron sparse net whose values have about 1,000 digits and on the stack
net, after checking that every run prints what the GMP stepper prints; it prints the medians
and the one-thread time over each two-thread time. With --sizes it does the same on the large
sparse nets of those sizes (`gen_nets.py big N`, 20 steps) instead.

--plan times our stepper on the compact step plan and over the element objects against the GMP
stepper (runs alternate, REPEATS of each, 5 by default; stepping alone, loading excluded) on the
large sparse nets (`gen_nets.py big N`: a self-loop and four random synapses per neuron, 20
steps) and on the five nets above, after checking that all three print the same values; it
prints the medians, each over the GMP stepper's, the peak memory of each process, and how fast
each reads the largest file (MB/s).

--memory measures the bytes per element and per synapse: the peak memory of each stepper after
two steps of 100,000-neuron nets with 1, 5 and 9 synapses per neuron, less that of a net of two
neurons; the synapses' share is the growth from 1 to 9 per neuron, the elements' the rest.

--instructions counts the instructions of stepping alone (callgrind, the run of STEPS steps less
the run of none) of our stepper on the plan and over the objects and of the GMP stepper, on the
large sparse nets of --sizes (3,000 by default) and the five nets above; the counts do not move
with the machine's load as times do.

--process times whole processes, loading and printing included: `veltra-cli run NET --steps N`
against the GMP stepper (runs alternate, REPEATS of each, 7 by default), after checking that
both print the same final values; it prints the medians and our time over the GMP stepper's.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))

# (generator kind, its argument, steps, title)
CASES = [
    ("chain", "1000", 200, "chain of 1,000 saturated-linear neurons"),
    ("sparse", "1000", 200, "random sparse net, 1,000 neurons x 5 synapses"),
    ("stackbench", "10000", 10000, "digit-encoded stack, 10,000 steps"),
    ("dense", "200", 100, "dense net, 200 neurons x 40 inputs"),
    ("chain", "300", 1500, "growth: chain of 300 neurons, values to ~1,500 digits"),
]
QUICK_CASES = [(kind, arg, steps, title) for (kind, arg, _, title), steps in
               zip(CASES, (60, 50, 10000, 30, 300))]


def run(cmd):
    res = subprocess.run(cmd, capture_output=True, text=True, check=True)
    info = dict(line.split("=", 1) for line in res.stderr.split() if "=" in line)
    return res.stdout, float(info["seconds"]), int(info.get("maxrss_kb", 0))


def threads(build, repeats, sizes=None):
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    cases = [
        ("sparselong", "2000", 40, "sparse net, 2,000 neurons x 5 synapses, ~1,000-digit values"),
        ("stackbench", "10000", 10000, "digit-encoded stack, 10,000 steps"),
    ]
    if sizes:
        cases = [("big", str(n), BIG_STEPS, "sparse net, %s neurons x 5 synapses" % format(n, ","))
                 for n in sizes]
    tmp = tempfile.mkdtemp(prefix="veltra_threads_")
    ways = (("1", ["1"]), ("2", ["2"]), ("2 always", ["2", "always"]))
    print("| case | steps | 1 thread (s) | 2 threads (s) | 2 always sharing (s) |"
          " 1 / 2 | 1 / 2 always |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for kind, arg, steps, title in cases:
        net = os.path.join(tmp, kind + ".net")
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), kind, arg, net],
                       check=True)
        expected = run([gmp, net, str(steps)])[0]
        times = {name: [] for name, _ in ways}
        for _ in range(repeats):
            for name, extra in ways:
                out, seconds, _ = run([ours, net, str(steps)] + extra)
                if out != expected:
                    sys.exit("%s: %s thread(s) disagree with the GMP stepper" % (title, name))
                times[name].append(seconds)
        med = {name: statistics.median(v) for name, v in times.items()}
        print("| %s | %d | %.4f | %.4f | %.4f | %.2f | %.2f |" % (
            title, steps, med["1"], med["2"], med["2 always"], med["1"] / med["2"],
            med["1"] / med["2 always"]))
        sys.stdout.flush()


BIG_STEPS = 20


def plan(build, repeats, sizes):
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    tmp = tempfile.mkdtemp(prefix="veltra_plan_")
    cases = [("big", str(n), BIG_STEPS, "sparse net, %s neurons x 5 synapses" % format(n, ","))
             for n in sizes] + CASES
    ways = (("plan", [ours, "plan"]), ("objects", [ours, "objects"]), ("gmp", [gmp]))
    print("| case | steps | plan (s) | objects (s) | GMP (s) | plan / GMP | objects / GMP |"
          " memory plan / objects / GMP (MB) | plan memory / GMP |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    reading = None
    for kind, arg, steps, title in cases:
        net = os.path.join(tmp, "%s%s.net" % (kind, arg))
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), kind, arg, net],
                       check=True)
        times = {name: [] for name, _ in ways}
        loads = {name: [] for name, _ in ways}
        mem = {name: 0 for name, _ in ways}
        outputs = {}
        for _ in range(repeats):
            for name, cmd in ways:
                full = [cmd[0], net, str(steps)] + cmd[1:]
                res = subprocess.run(full, capture_output=True, text=True, check=True)
                info = dict(line.split("=", 1) for line in res.stderr.split() if "=" in line)
                if outputs.setdefault(name, res.stdout) != res.stdout:
                    sys.exit("%s: %s gave different values on a repeat" % (title, name))
                times[name].append(float(info["seconds"]))
                loads[name].append(float(info["load_seconds"]))
                mem[name] = max(mem[name], int(info["maxrss_kb"]))
            if not (outputs["plan"] == outputs["objects"] == outputs["gmp"]):
                sys.exit("%s: the steppers disagree" % title)
        med = {k: statistics.median(v) for k, v in times.items()}
        print("| %s | %d | %.4f | %.4f | %.4f | %.2f | %.2f | %.1f / %.1f / %.1f | %.2f |" % (
            title, steps, med["plan"], med["objects"], med["gmp"], med["plan"] / med["gmp"],
            med["objects"] / med["gmp"], mem["plan"] / 1024, mem["objects"] / 1024,
            mem["gmp"] / 1024, mem["plan"] / max(mem["gmp"], 1)))
        sys.stdout.flush()
        if kind == "big" and arg == str(max(sizes)):
            mb = os.path.getsize(net) / 1e6
            reading = (title, mb, statistics.median(loads["plan"] + loads["objects"]),
                       statistics.median(loads["gmp"]))
    if reading:
        title, mb, ours_load, gmp_load = reading
        print()
        print("Reading the file of the %s (%.1f MB, medians of the runs above): ours %.3f s,"
              " %.0f MB/s; the GMP stepper's reader %.3f s, %.0f MB/s." % (
                  title, mb, ours_load, mb / ours_load, gmp_load, mb / gmp_load))


def memory(build):
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    tmp = tempfile.mkdtemp(prefix="veltra_memory_")
    ways = (("plan", [ours, "plan"]), ("objects", [ours, "objects"]), ("gmp", [gmp]))
    n = 100000
    peaks = {}
    for arg in ("2x1", "%dx1" % n, "%dx5" % n, "%dx9" % n):
        net = os.path.join(tmp, "big%s.net" % arg)
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), "big", arg, net],
                       check=True)
        for name, cmd in ways:
            res = subprocess.run([cmd[0], net, "2"] + cmd[1:], capture_output=True, text=True,
                                 check=True)
            info = dict(line.split("=", 1) for line in res.stderr.split() if "=" in line)
            peaks[(name, arg)] = int(info["maxrss_kb"]) * 1024
        os.remove(net)
    print("| stepper | bytes per element | bytes per synapse | a neuron with 5 synapses |")
    print("|---|---:|---:|---:|")
    for name, _ in ways:
        base = peaks[(name, "2x1")]
        synapse = (peaks[(name, "%dx9" % n)] - peaks[(name, "%dx1" % n)]) / (8.0 * n)
        element = (peaks[(name, "%dx1" % n)] - base) / n - synapse
        print("| %s | %.0f | %.0f | %.0f |" % (name, element, synapse, element + 5 * synapse))


def instructions(build, sizes):
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    tmp = tempfile.mkdtemp(prefix="veltra_instructions_")
    cases = [("big", str(n), BIG_STEPS, "sparse net, %s neurons x 5 synapses" % format(n, ","))
             for n in sizes] + CASES
    ways = (("plan", [ours, "plan"]), ("objects", [ours, "objects"]), ("gmp", [gmp]))

    def counted(cmd):
        res = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"]
                             + cmd, capture_output=True, text=True, check=True)
        for line in res.stderr.splitlines():
            if "Collected :" in line:
                return res.stdout, int(line.split(":")[1])
        sys.exit("no instruction count from %s" % " ".join(cmd))

    print("| case | steps | plan (M) | objects (M) | GMP (M) | plan / GMP | objects / GMP |"
          " plan per neuron-step |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for kind, arg, steps, title in cases:
        net = os.path.join(tmp, "%s%s.net" % (kind, arg))
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), kind, arg, net],
                       check=True)
        count = {}
        outputs = {}
        for name, cmd in ways:
            out, full = counted([cmd[0], net, str(steps)] + cmd[1:])
            count[name] = full - counted([cmd[0], net, "0"] + cmd[1:])[1]
            outputs[name] = out
        if not (outputs["plan"] == outputs["objects"] == outputs["gmp"]):
            sys.exit("%s: the steppers disagree" % title)
        with open(net) as f:
            neurons = sum(1 for line in f if line.startswith("<TPROTONEURONIO=TNEURONIO"))
        print("| %s | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f |" % (
            title, steps, count["plan"] / 1e6, count["objects"] / 1e6, count["gmp"] / 1e6,
            count["plan"] / count["gmp"], count["objects"] / count["gmp"],
            count["plan"] / max(neurons * steps, 1)))
        sys.stdout.flush()
        os.remove(net)


def process(build, repeats):
    cli = os.path.join(build, "src", "cli", "veltra-cli")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    tmp = tempfile.mkdtemp(prefix="veltra_process_")
    print("| case | steps | veltra-cli run (s) | GMP stepper (s) | ours / GMP |")
    print("|---|---:|---:|---:|---:|")
    for kind, arg, steps, title in CASES:
        net = os.path.join(tmp, kind + ".net")
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), kind, arg, net],
                       check=True)
        ours_cmd = [cli, "run", net, "--steps", str(steps)]
        gmp_cmd = [gmp, net, str(steps)]
        # veltra-cli prints the step count first on every row and a summary line last.
        rows = subprocess.run(ours_cmd, capture_output=True, text=True, check=True).stdout
        rows = "".join(line.split("\t", 1)[1] + "\n" for line in rows.splitlines()[:-1])
        if rows != run(gmp_cmd)[0]:
            sys.exit("%s: veltra-cli and the GMP stepper disagree" % title)
        times = {"ours": [], "gmp": []}
        for _ in range(repeats):
            for side, cmd in (("ours", ours_cmd), ("gmp", gmp_cmd)):
                start = time.perf_counter()
                subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               check=True)
                times[side].append(time.perf_counter() - start)
        med = {k: statistics.median(v) for k, v in times.items()}
        print("| %s | %d | %.3f | %.3f | %.2f |" % (title, steps, med["ours"], med["gmp"],
                                                  med["ours"] / med["gmp"]))
        sys.stdout.flush()


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    build = argv[1]
    if "--threads" in argv:
        rest = argv[argv.index("--threads") + 1:]
        sizes = None
        if "--sizes" in argv:
            sizes = [int(n) for n in argv[argv.index("--sizes") + 1].split(",")]
        return threads(build, int(rest[0]) if rest and rest[0].isdigit() else 7, sizes)
    if "--process" in argv:
        rest = argv[argv.index("--process") + 1:]
        return process(build, int(rest[0]) if rest else 7)
    if "--memory" in argv:
        return memory(build)
    if "--instructions" in argv:
        sizes = [3000]
        if "--sizes" in argv:
            sizes = [int(n) for n in argv[argv.index("--sizes") + 1].split(",")]
        return instructions(build, sizes)
    if "--plan" in argv:
        rest = argv[argv.index("--plan") + 1:]
        repeats = int(rest[0]) if rest and rest[0].isdigit() else 5
        sizes = [3000, 30000, 300000]
        if "--sizes" in argv:
            sizes = [int(n) for n in argv[argv.index("--sizes") + 1].split(",")]
        return plan(build, repeats, sizes)
    quick = "--quick" in argv
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    cases = QUICK_CASES if quick else CASES
    repeats = 1 if quick else 3
    tmp = tempfile.mkdtemp(prefix="veltra_step_")
    print("| case | steps | ours (s) | Python fractions (s) | GMP (s) | vs Python | vs GMP |"
          " memory ours / GMP (MB) | memory ratio |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for kind, arg, steps, title in cases:
        net = os.path.join(tmp, kind + ".net")
        subprocess.run([sys.executable, os.path.join(HERE, "gen_nets.py"), kind, arg, net],
                       check=True)
        times = {"ours": [], "py": [], "gmp": []}
        mem = {"ours": 0, "gmp": 0}
        outputs = {}
        for _ in range(repeats):
            for side, cmd in (("ours", [ours, net, str(steps)]),
                              ("gmp", [gmp, net, str(steps)]),
                              ("py", [sys.executable, os.path.join(HERE, "ref_step.py"), net,
                                      str(steps)])):
                out, seconds, rss = run(cmd)
                outputs.setdefault(side, out)
                if outputs[side] != out:
                    sys.exit("%s: %s gave different values on a repeat" % (title, side))
                times[side].append(seconds)
                if side in mem:
                    mem[side] = max(mem[side], rss)
        if not (outputs["ours"] == outputs["py"] == outputs["gmp"]):
            for side in outputs:
                with open(os.path.join(tmp, "%s.%s.txt" % (kind, side)), "w") as f:
                    f.write(outputs[side])
            sys.exit("%s: the three steppers disagree (outputs kept in %s)" % (title, tmp))
        med = {k: statistics.median(v) for k, v in times.items()}
        print("| %s | %d | %.3f | %.3f | %.3f | %.0fx | %.2f | %.1f / %.1f | %.2f |" % (
            title, steps, med["ours"], med["py"], med["gmp"], med["py"] / med["ours"],
            med["ours"] / med["gmp"], mem["ours"] / 1024, mem["gmp"] / 1024,
            mem["ours"] / max(mem["gmp"], 1)))
        sys.stdout.flush()


if __name__ == "__main__":
    main(sys.argv)
