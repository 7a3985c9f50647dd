# Exactness and refusals: values never pass through a float; bad values, files and
# arguments raise errors that name what was wrong.
from decimal import Decimal
from fractions import Fraction

import numpy
import pytest

import veltra


def test_a_ten_millionth_added_a_million_times_is_exactly_a_tenth():
    net = veltra.Net()
    bias = net.add_bias("B", 0, 0)
    total = net.add_neuron("Sum", 40, 0)
    net.connect(bias, total, "0.0000001")
    net.connect(total, total, 1)
    net.step(1_000_000)
    assert total.value == Decimal("0.1")
    assert total.fraction == Fraction(1, 10)
    assert sum([1e-7] * 1_000_000) != 0.1  # what a float makes of it


@pytest.mark.parametrize("value, text", [
    ("0.1", "0.1"), (-3, "-3"), (Decimal("1E+3"), "1000"), (Decimal("-0.000"), "0"),
    (Fraction(-7, 16), "-0.4375"), (Fraction(10**5000 + 1, 10**5000),
                                     "1." + "0" * 4999 + "1"),
    ("12345678901234567890.5", "12345678901234567890.5"),
    (numpy.int64(-7), "-7"), (numpy.uint8(255), "255"), (Fraction(3, 1), "3"),
])
def test_exact_values_keep_every_digit(value, text):
    assert veltra.exact_text(value) == text
    net = veltra.Net()
    neuron = net.add_neuron("N", 0, 0)
    bias = net.add_bias("B", 0, 0)
    bias.value = value
    assert bias.value == Decimal(text)
    assert net.connect(bias, neuron, value).weight == Decimal(text)


@pytest.mark.parametrize("value, named", [
    (0.1, "0.1"), (Fraction(1, 3), "Fraction(1, 3)"), ("1.5x", "'1.5x'"),
    (Decimal("NaN"), "Decimal('NaN')"), ("inf", "'inf'"), (True, "True"), (None, "None"),
    (numpy.float64(0.5), "0.5"), (2j, "2j"), (numpy.bool_(True), "True"),
])
def test_inexact_values_are_refused_by_name(value, named):
    net = veltra.Net()
    bias = net.add_bias("B", 0, 0)
    with pytest.raises(ValueError, match=named.replace("(", r"\(").replace(")", r"\)")):
        bias.value = value
    assert bias.value == 1


@pytest.mark.parametrize("name, text, line", [
    ("header_blank", "Versao ou formato incorrecto", 1),
    ("function_name", "TNeuronio - FuncaoActivacao - Desconhecida", 47),
    ("weight_fraction", "Formato incorrecto - TSinapse - Valor "
                        "('-0.5x' is not a valid floating point value)", 26),
    ("net_end", "Formato incorrecto", 62),
])
def test_reader_errors_carry_the_readers_text_and_the_line(data, name, text, line):
    with pytest.raises(veltra.NetFileError) as error:
        veltra.Net.load(data("reader") / f"{name}.net")
    assert (error.value.msg, error.value.lineno) == (text, line)
    assert str(error.value).endswith(f", line {line}: {text}")


def test_a_malformed_activity_is_refused_where_its_bytes_are_quoted(example, tmp_path):
    text = example("worked.net").read_bytes().replace(b"Actividade:1", b"Actividade:\xff1")
    (tmp_path / "bad.net").write_bytes(text)
    with pytest.raises(veltra.NetFileError) as error:
        veltra.Net.load(tmp_path / "bad.net")
    assert error.value.lineno == 31
    assert error.value.msg == ("TNeuronio - FormatoIncorrecto "
                               "('\\xff1' is not a valid floating point value)")


def test_wrong_arguments(tmp_path, example):
    with pytest.raises(OSError):
        veltra.Net.load(tmp_path / "missing.net")
    net = veltra.Net.load(example("worked.net"))
    with pytest.raises(KeyError):
        net["nobody"]
    with pytest.raises(ValueError, match="holds '2' at position 2"):
        net["In"].sequence = "121"
    with pytest.raises(ValueError, match="unknown activation 'relu'"):
        net.add_neuron("R", 0, 0, activation="relu")
    with pytest.raises(ValueError, match="an output cannot connect to a neuron"):
        net.connect(net["Out"], net["N"], 1)
    with pytest.raises(ValueError, match="another net"):
        veltra.Net().connect(net["B"], net["N"], 1)
    with pytest.raises(AttributeError):
        net["Out"].value = 1
    broken = tmp_path / "broken.net"
    broken.write_text("<TREDE=version 0.4>\n")
    with pytest.raises(veltra.NetFileError) as error:
        net.add_module("M", 0, 0, broken)
    assert error.value.msg == "Formato incorrecto - TProtoLista (the file ends before this line)"
    assert error.value.lineno == 2
    assert len(net) == 4  # nothing of a refused module joins the net
