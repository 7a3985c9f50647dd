#!/usr/bin/env python3
"""One net run over many inputs, by every route VELTRA offers, timed in the same run:

  veltra.sweep            local worker processes (the default)
  veltra.sweep, here      processes=0: every run in this process
  veltra.sweep on Dask    a LocalCluster of as many worker processes as there are CPUs
                          (started before the clock runs, as a cluster would be)
  shell loop              one veltra-cli process per run, one after the other
  GNU parallel            one veltra-cli process per run, one per CPU at a time

The net is examples/deep_stack.net (30 pushes, 30 pops, 180 steps a run); each run pushes
another random 30-bit word. Every route's rows are checked against the in-process ones
first. Prints the median wall time of each route over REPEATS rounds and its ratio to
GNU parallel's.

  PYTHONPATH=build/test/python python3 bench/sweep_bench.py build/test/src/cli/veltra-cli [RUNS] [REPEATS]
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import veltra

HERE = os.path.dirname(os.path.abspath(__file__))
NET = os.path.join(HERE, "..", "examples", "deep_stack.net")


def b_sequence(word):
    """The deep stack's B input for pushing word's bits: one bit every three steps, then
    as many steps of pops."""
    return "".join("0" + bit + "0" for bit in word) + "000" * len(word)


def cli_rows(text):
    """The Out history of every run from veltra-cli's tagged tsv rows."""
    found = {}
    for line in text.splitlines():
        tag, _, kind, label, value = line.split("\t")
        if kind == "output":
            found[tag] = value
    return found


def timed(work, repeats):
    times = []
    for _ in range(repeats):
        begun = time.perf_counter()
        work()
        times.append(time.perf_counter() - begun)
    return statistics.median(times)


def main():
    cli = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    rng = random.Random(30)
    words = ["".join(rng.choice("01") for _ in range(30)) for _ in range(runs)]
    inputs = [{"B": b_sequence(word)} for word in words]
    net = veltra.Net.load(NET)
    here = veltra.sweep(net, inputs, processes=0)
    expected = {row["B"]: row["Out"] for row in here}
    cpus = len(os.sched_getaffinity(0))

    folder = tempfile.mkdtemp(prefix="veltra-sweep-bench-")
    words_file = os.path.join(folder, "inputs.txt")
    with open(words_file, "w") as file:
        file.write("".join(row["B"] + "\n" for row in here))
    loop = ("while read -r w; do " + cli + " run " + NET +
            " --input B=$w --tag $w; done < " + words_file)
    parallel = (f"parallel -j {cpus} -k {cli} run {NET} --input B={{}} --tag {{}} "
                f"< {words_file}")

    def shell(command):
        def work():
            out = subprocess.run(command, shell=True, check=True, capture_output=True,
                                 text=True).stdout
            assert cli_rows(out) == expected
        return work

    def swept(**options):
        def work():
            rows = veltra.sweep(net, inputs, **options)
            assert {row["B"]: row["Out"] for row in rows} == expected
        return work

    routes = [("veltra.sweep (local processes)", swept()),
              ("veltra.sweep, processes=0", swept(processes=0)),
              ("shell loop of veltra-cli", shell(loop))]
    if shutil.which("parallel"):
        routes.append(("GNU parallel of veltra-cli", shell(parallel)))
    cluster = client = None
    try:
        from distributed import Client, LocalCluster
        cluster = LocalCluster(n_workers=cpus, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
        routes.append(("veltra.sweep on Dask", swept(client=client)))
    except ImportError:
        pass
    try:
        results = [(name, timed(work, repeats)) for name, work in routes]
    finally:
        if client is not None:
            client.close()
            cluster.close()
        shutil.rmtree(folder)
    peer = dict(results).get("GNU parallel of veltra-cli")
    print(f"{runs} runs of deep_stack.net (180 steps each), {cpus} CPUs, "
          f"median of {repeats}")
    for name, seconds in results:
        ratio = f"{peer / seconds:8.1f}x as fast as parallel" if peer else ""
        print(f"{name:34} {seconds * 1000:9.1f} ms  {seconds / runs * 1e6:8.0f} us/run {ratio}")


if __name__ == "__main__":
    main()
