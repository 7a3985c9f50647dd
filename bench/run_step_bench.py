#!/usr/bin/env python3
"""Step benchmark: our stepper against a Python fractions stepper and a GMP stepper.

  run_step_bench.py BUILD_DIR [--quick]
  run_step_bench.py BUILD_DIR --threads [REPEATS]
  run_step_bench.py BUILD_DIR --process [REPEATS]

Generates the nets with gen_nets.py, runs all three on the same file and number of steps,
checks that every final value agrees, then prints one table row per case: the median time of
each side, our speed-up over Python, our time over GMP's, and our peak memory over GMP's.

--threads times our stepper alone on one thread, on two as shipped (big steps timed both ways,
the faster kept) and on two sharing every big step (runs alternate, REPEATS of each, 7 by
default), on a 2,000-neuron sparse net whose values have about 1,000 digits and on the stack
net, after checking that every run prints what the GMP stepper prints; it prints the medians
and the one-thread time over each two-thread time.

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


def threads(build, repeats):
    ours = os.path.join(build, "bench", "step_bench")
    gmp = os.path.join(build, "bench", "ref_step_gmp")
    cases = [
        ("sparselong", "2000", 40, "sparse net, 2,000 neurons x 5 synapses, ~1,000-digit values"),
        ("stackbench", "10000", 10000, "digit-encoded stack, 10,000 steps"),
    ]
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
        return threads(build, int(rest[0]) if rest else 7)
    if "--process" in argv:
        rest = argv[argv.index("--process") + 1:]
        return process(build, int(rest[0]) if rest else 7)
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
