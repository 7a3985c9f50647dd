# veltra.sweep against a plain loop over the same runs: here, in local worker processes and on
# a Dask cluster of two worker processes; its rows in pandas; what it refuses before running.
import itertools
import subprocess
import sys
from decimal import Decimal

import pytest
from distributed import Client, LocalCluster

import veltra


def words(n):
    return ["".join(bits) for bits in itertools.product("01", repeat=n)]


def plain_loop(path, assignments):
    """The runs one by one, written with the net's own interface."""
    rows = []
    for word, weight, bias in assignments:
        net = veltra.Net.load(path)
        net["In"].sequence = word
        [synapse] = [s for s in net["B"].synapses if s.destination == net["N"]]
        synapse.weight = weight
        net["B"].value = bias
        net.run(max_steps=50)
        rows.append({"In": word, "B->N": Decimal(weight), "B": Decimal(bias),
                     "steps": net.steps, "finished": net.finished,
                     "Out": net["Out"].history, "N": net["N"].value})
    return rows


def test_sweep_gives_the_rows_of_a_plain_loop_wherever_it_runs(example):
    path = example("worked.net")
    cases = [(word, ("-0.5", "-0.25", 0)[i % 3], ("1", "0.5")[i % 2])
             for i, word in enumerate(words(5))]
    expected = plain_loop(path, cases)
    assert len({(row["Out"], row["steps"]) for row in expected}) > 8  # the cases differ
    inputs = [{"In": w, ("B", "N"): weight, "B": bias} for w, weight, bias in cases]
    options = dict(max_steps=50, values=["Out", "N"])
    assert veltra.sweep(path, inputs, processes=0, **options) == expected
    assert veltra.sweep(path, inputs, processes=2, chunk_size=3, **options) == expected
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        rows = veltra.sweep(veltra.Net.load(path), inputs, client=client, chunk_size=4,
                            **options)
        assert rows == expected
        ran = sum(1 for _ in client.run(lambda: 1).values())
        assert ran == 2


def test_sweep_rows_keep_binary_strings_for_pandas(example):
    net = veltra.Net.load(example("worked.net"))
    rows = veltra.sweep(net, words(8), processes=0, values={"history": "Out"})
    assert rows.columns == ("In", "steps", "finished", "history")
    frame = rows.to_pandas()
    assert str(frame.In.dtype) == "string" and str(frame.history.dtype) == "string"
    one = frame[frame.In == "00000001"].iloc[0]
    assert (one.history, one.steps, one.finished) == ("000000010", 9, True)
    # until ends each run at the first step that meets it; steps takes exactly so many.
    stopped = veltra.sweep(net, ["0110", "0010"], until="Out = 1", processes=0)
    assert [(row["steps"], row["Out"]) for row in stopped] == [(2, "01"), (3, "001")]
    fixed = veltra.sweep(net, ["1"], steps=6, values=["N", "B"], as_text=True, processes=0)
    assert fixed[0] == {"In": "1", "steps": 6, "finished": True, "N": "0", "B": "1"}
    cycling = veltra.sweep(net, [{"B": -2}], until_cycle=True, max_steps=20, processes=0)
    assert cycling[0]["cycle"] is not None and not cycling[0]["finished"]


def test_sweep_refuses_before_it_runs(example, tmp_path):
    net = veltra.Net.load(example("worked.net"))
    two = veltra.Net.load(example("worked.net"))
    two.add_input("Other", sequence="1")
    bad = [
        (dict(inputs=["012"]), ValueError, "0s and 1s"),
        (dict(inputs=[{"Nope": "1"}]), ValueError, "no top-level elements labelled 'Nope'"),
        (dict(inputs=[{"Out": "1"}]), ValueError, "'Out' is an output"),
        (dict(inputs=[{("B", "Out"): 1}]), ValueError, "no synapses from 'B' to 'Out'"),
        (dict(inputs=[{"B": 0.5}]), ValueError, "float, which is not exact"),
        (dict(inputs=["1", {"In": "1", "B": 1}]), ValueError, "same things"),
        (dict(inputs=[3]), TypeError, "not int"),
        (dict(inputs=["1"], values=["In", "Out"]), ValueError, "two columns named ['In']"),
        (dict(inputs=["1"], steps=3, until="N = 1"), ValueError, "excludes"),
        (dict(inputs=["1"], processes=-1), ValueError, "0 or more"),
        (dict(inputs=["1", "0"], chunk_size=0, processes=2), ValueError, "at least 1"),
    ]
    for kwargs, kind, text in bad:
        with pytest.raises(kind) as error:
            veltra.sweep(net, **kwargs)
        assert text in str(error.value), kwargs
    with pytest.raises(ValueError, match="exactly one top-level input"):
        veltra.sweep(two, ["1"])
    with pytest.raises(FileNotFoundError):
        veltra.sweep(tmp_path / "missing.net", ["1"])
    assert veltra.sweep(net, []) == []


def test_worker_processes_never_run_the_main_program(example, tmp_path):
    # A script without a main guard, from a file and from standard input: each prints once
    # and gets every row (a worker that ran it again would print again, or die).
    script = (f"import veltra\nprint('main')\n"
              f"rows = veltra.sweep({str(example('worked.net'))!r}, ['0110', '1'] * 20, "
              f"processes=2, chunk_size=5)\nprint(len(rows))\n")
    path = tmp_path / "unguarded.py"
    path.write_text(script)
    for args, given in (([sys.executable, str(path)], None), ([sys.executable, "-"], script)):
        done = subprocess.run(args, input=given, capture_output=True, text=True, timeout=300)
        assert done.stdout.split() == ["main", "40"], done.stderr[-2000:]
