# The module against the application: the worked example step by step, a net built in code
# written byte for byte as the drawing window writes it, modules, runs and traces.
import subprocess
import sys
from decimal import Decimal
from fractions import Fraction

import pytest

import veltra


def test_worked_example_step_by_step(example):
    net = veltra.Net.load(example("worked.net"))
    assert [e.kind for e in net.elements] == ["input", "bias", "neuron", "output"]
    expected = [  # after each step: remaining input, neuron value, output history
        ("110", Decimal(0), "0"),
        ("10", Decimal(1), "01"),
        ("0", Decimal(1), "011"),
        ("", Decimal(0), "0110"),
    ]
    for steps, (sequence, value, history) in enumerate(expected, start=1):
        assert not net.finished
        net.step()
        assert net.steps == steps
        assert net["In"].sequence == sequence
        assert net["N"].value == value and isinstance(net["N"].value, Decimal)
        assert net["Out"].history == history
    assert net.finished
    assert net["Out"].log == [Decimal(0), Decimal(1), Decimal(1), Decimal(0)]
    assert net.run() == 0  # a finished net takes no step

    net.reset()
    assert net.steps == 0 and net["Out"].history == ""
    net["In"].sequence = "0110"
    assert net.run() == 4 and net["Out"].history == "0110"


def test_built_net_is_written_as_the_drawing_window_writes_it(data, tmp_path):
    # tests/data/golden/drawn.net is what the application saves after the same net is drawn
    # with the mouse (tests/ui/drawn_test.cpp); positions are the glyphs' top left corners.
    net = veltra.Net()
    source = net.add_input("0", 29, 51)
    bias = net.add_bias("1", 31, 130)
    neuron = net.add_neuron("2", 151, 90)
    out = net.add_output("3", 266, 91)
    net.connect(source, neuron, "0.5")
    net.connect(bias, neuron, Decimal("-0.25"))
    net.connect(neuron, neuron, Fraction(1, 8))
    net.connect(neuron, out, 7)  # into an output a synapse weighs 1, as drawn
    net.save(tmp_path / "built.net")
    assert (tmp_path / "built.net").read_bytes() == (data("golden") / "drawn.net").read_bytes()
    assert neuron.synapses[0].weight == Decimal("0.125")


def test_module_net_reads_back_to_the_same_bytes(example, tmp_path):
    net = veltra.Net()
    source = net.add_input("In", 20, 60, sequence="1101")
    delay = net.add_module("Delay", 120, 60, example("module_delay.net"))
    assert [e.label for e in delay.elements] == ["In", "Delay", "Echo", "Out"]
    echo = net.add_neuron("Echo", 220, 60)
    out = net.add_output("Out", 320, 60)
    # Across the module's border: a hidden synapse plus the visible one to the module.
    inner = delay.elements[2]
    hidden = net.connect(source, inner, "0.5")
    assert not hidden.visible and hidden.destination == inner
    net.connect(delay.elements[2], echo, 2)
    net.connect(echo, out, 1)
    net.save(tmp_path / "m.net")
    again = veltra.Net.load(tmp_path / "m.net")
    again.save(tmp_path / "m2.net")
    assert (tmp_path / "m.net").read_bytes() == (tmp_path / "m2.net").read_bytes()
    assert [s.visible for s in again["In"].synapses] == [False, True]


def test_run_stops_at_max_steps_and_trace_rows(example):
    net = veltra.Net()
    bias = net.add_bias("B", 0, 0)
    neuron = net.add_neuron("N", 40, 0)
    net.connect(bias, neuron, "0.25")
    assert net.run() == 0  # every neuron at 0: finished before the first step
    net.step()
    assert net.run(max_steps=3) == 3 and not net.finished and net.steps == 4
    net.reset()
    rows = list(net.trace(2))
    assert rows == [
        {"step": 1, "kind": "bias", "label": "B", "value": Decimal(1), "text": "1"},
        {"step": 1, "kind": "neuron", "label": "N", "value": Decimal("0.25"), "text": "0.25"},
        {"step": 2, "kind": "bias", "label": "B", "value": Decimal(1), "text": "1"},
        {"step": 2, "kind": "neuron", "label": "N", "value": Decimal("0.25"), "text": "0.25"},
    ]


def test_step_function_threshold_and_values_settable():
    net = veltra.Net()
    neuron = net.add_neuron("S", 0, 0, activation="HeavisideStepFunction", threshold="0.5",
                            value=Fraction(3, 4))
    assert neuron.activation == "HeavisideStepFunction"
    assert neuron.threshold == Decimal("0.5")
    assert neuron.fraction == Fraction(3, 4)
    bias = net.add_bias("B", 0, 40)
    bias.value = "-12345678901234567890.123456789"
    assert bias.value == Decimal("-12345678901234567890.123456789")
    assert net.add_output("O", 0, 80).value is None


def test_machine_nets_decide_their_words(source):
    description = (source / "examples" / "machines" / "brackets.json").read_text()
    for word, accepted in [("()", True), ("(()())", True), ("(()", False), (")(", False)]:
        net = veltra.Net.from_machine(description, word)
        net.run()
        assert ("1" in net["Accept"].history) == accepted, word


def test_example_script_runs(source):
    result = subprocess.run([sys.executable, source / "examples" / "python" / "stack_machine.py"],
                            capture_output=True, text=True, check=True)
    assert "accepted" in result.stdout


def test_run_until_cycle_finds_start_and_period_as_a_record_of_states_does():
    # A ring of k neurons passing a 1 around, reached after an input's transient of t steps.
    for k, t in ((1, 0), (3, 2), (5, 4)):
        net = veltra.Net()
        net.add_input("In", 0, 0, sequence="0" * t + "1")
        ring = [net.add_neuron(f"R{i}", 60 + 40 * i, 0) for i in range(k)]
        net.connect(net["In"], ring[0], 1)
        for i in range(k):
            net.connect(ring[i], ring[(i + 1) % k], 1)
        # Brute force on a twin net: the first step whose state was seen before.
        seen = {}
        record = veltra.Net()
        record_in = record.add_input("In", 0, 0, sequence="0" * t + "1")
        rec = [record.add_neuron(f"R{i}", 60 + 40 * i, 0) for i in range(k)]
        record.connect(record_in, rec[0], 1)
        for i in range(k):
            record.connect(rec[i], rec[(i + 1) % k], 1)
        state = (record_in.text, tuple(n.value for n in rec))
        step = 0
        while state not in seen:
            seen[state] = step
            record.step()
            step += 1
            state = (record_in.text, tuple(n.value for n in rec))
        start, period = seen[state], step - seen[state]

        taken = net.run(max_steps=100, until_cycle=True)
        assert net.cycle == (start, period)
        assert taken == start + period and net.steps == taken
        assert tuple(n.value for n in ring) == state[1]
    # A net that finishes is no cycle, and max_steps bounds the search.
    net = veltra.Net()
    net.add_input("In", 0, 0, sequence="101")
    assert net.run(until_cycle=True) >= 0 and net.cycle is None
    grow = veltra.Net()
    n = grow.add_neuron("N", 0, 0, value="0.5")
    grow.connect(n, n, "0.5")
    grow.connect(grow.add_bias("B", 40, 0), n, "0.5")
    assert grow.run(max_steps=20, until_cycle=True) == 20 and grow.cycle is None


def test_a_label_no_file_can_carry_is_refused_and_changes_nothing(tmp_path):
    net = veltra.Net()
    bias = net.add_bias("B", 0, 0)
    for label in ["a\nb", "\n", "x\r\n</TPROTONEURONIO>"]:
        with pytest.raises(ValueError, match="line feed"):
            net.add_neuron(label, 0, 0)
        with pytest.raises(ValueError, match="line feed"):
            bias.label = label
    assert len(net) == 1 and bias.label == "B"
    bias.label = "tab\tcarriage\r"  # everything else is kept, byte for byte
    net.save(tmp_path / "ok.net")
    again = veltra.Net.load(tmp_path / "ok.net")
    assert again["tab\tcarriage\r"] == again.elements[0]


def test_labels_that_are_not_utf8_round_trip_as_text(example, tmp_path):
    raw = b"\x9b\xff caf\xc3\xa9 \xe9"  # an 8-bit CSI, a stray byte, UTF-8, Latin-1
    text = example("worked.net").read_bytes().replace(b"Etiqueta:N\r", b"Etiqueta:" + raw + b"\r")
    (tmp_path / "odd.net").write_bytes(text)
    net = veltra.Net.load(tmp_path / "odd.net")
    neuron = net.elements[2]
    assert neuron.label == raw.decode("utf-8", "surrogateescape")
    assert "caf\u00e9" in neuron.label and "\\udc9b" in repr(neuron)
    assert net[neuron.label] == neuron
    net.save(tmp_path / "again.net")
    assert (tmp_path / "again.net").read_bytes() == text
    assert [row["label"] for row in net.trace(1)][2] == neuron.label
    neuron.label = "\udcff" + neuron.label  # such text is taken back as the bytes it stands for
    net.save(tmp_path / "third.net")
    assert b"Etiqueta:\xff" + raw + b"\r\n" in (tmp_path / "third.net").read_bytes()
    with pytest.raises(UnicodeEncodeError):
        neuron.label = "\ud800"  # a surrogate that stands for no byte


def test_step_and_run_let_other_threads_run():
    # While a long step() or run() computes, another Python thread runs. With the switch
    # interval made very long, a thread holding the interpreter lock keeps it until it waits or
    # gives it up: the main thread's count can then finish before the call returns only if the
    # call gave the lock up.
    import threading
    import time

    steps = 2_000_000  # a neuron that keeps its 1: a fraction of a second, whatever the machine
    calls = [lambda net: net.step(steps), lambda net: net.run(max_steps=steps)]
    interval = sys.getswitchinterval()
    sys.setswitchinterval(100.0)
    try:
        for call in calls:
            net = veltra.Net()
            neuron = net.add_neuron("N", 0, 0, value=1)
            net.connect(neuron, neuron, 1)
            started = threading.Event()
            returned = []

            def work():
                started.set()
                call(net)
                returned.append(time.perf_counter())

            worker = threading.Thread(target=work)
            worker.start()
            started.wait()
            count = 0
            while count < 1000:
                count += 1
            counted = time.perf_counter()
            worker.join()
            assert net.steps == steps and net["N"].value == 1
            assert counted < returned[0], "the other thread waited for the whole call"
    finally:
        sys.setswitchinterval(interval)
