"""Exact numbers into the canonical decimal text the core reads, never through a float."""

import decimal
import numbers
import operator
from decimal import Decimal
from fractions import Fraction

_GIVE = ("give an integer, a Decimal, a Fraction with a finite decimal expansion or the "
         "number's text")


def _refuse(value, why):
    return ValueError(f"{value!r} {why}; {_GIVE}")


def _decimal_text(value, given=None):
    if not value.is_finite():
        raise _refuse(value if given is None else given, "is not a finite number")
    if value == 0:
        return "0"
    return format(value, "f")


def _unbounded():
    context = decimal.Context(prec=decimal.MAX_PREC, Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN)
    return decimal.localcontext(context)


def _fraction_text(value):
    numerator, denominator = value.numerator, value.denominator
    twos = (denominator & -denominator).bit_length() - 1
    denominator >>= twos
    fives = 0
    while denominator % 5 == 0:
        denominator //= 5
        fives += 1
    if denominator != 1:
        raise _refuse(value, "has no finite decimal expansion")
    places = max(twos, fives)
    scaled = numerator * (2 ** (places - twos)) * (5 ** (places - fives))
    # Decimal(int) converts without going through a string, so even a number of millions of
    # digits is not caught by Python's limit on int-to-str conversions.
    with _unbounded():
        return _decimal_text(Decimal(scaled).scaleb(-places))


def exact_text(value):
    """The canonical decimal text of value, exactly.

    value may be any integer (int, numpy's integers: every numbers.Integral but bool), a
    Decimal, a Fraction (any numbers.Rational) with a finite decimal expansion, or the text
    of a number ("0.1", "-2.5E+3"). A float is refused, whatever its value: it is already
    rounded. ValueError names what was refused.
    """
    if isinstance(value, bool):
        raise _refuse(value, "is a bool, not a number")
    if isinstance(value, str):
        try:
            number = Decimal(value)
        except decimal.InvalidOperation:
            raise _refuse(value, "is not a number") from None
        return _decimal_text(number, value)
    if isinstance(value, Decimal):
        return _decimal_text(value)
    if isinstance(value, numbers.Integral):
        return _decimal_text(Decimal(operator.index(value)))
    if isinstance(value, numbers.Rational):
        return _fraction_text(Fraction(operator.index(value.numerator),
                                       operator.index(value.denominator)))
    raise _refuse(value, f"is a {type(value).__name__}, which is not exact")
