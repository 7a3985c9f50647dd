"""Exact numbers into the canonical decimal text the core reads, never through a float."""

import decimal
from decimal import Decimal
from fractions import Fraction

def _refuse(value, why):
    return ValueError(f"{value!r} {why}; give a str, int, Decimal or Fraction with a finite "
                      "decimal expansion")


def _fraction_text(value):
    denominator = value.denominator
    twos = fives = 0
    while denominator % 2 == 0:
        denominator //= 2
        twos += 1
    while denominator % 5 == 0:
        denominator //= 5
        fives += 1
    if denominator != 1:
        raise _refuse(value, "has no finite decimal expansion")
    places = max(twos, fives)
    scaled = value.numerator * (2 ** (places - twos)) * (5 ** (places - fives))
    # Decimal(int) converts without going through a string, so even a number of millions of
    # digits is not caught by Python's limit on int-to-str conversions.
    with decimal.localcontext() as context:
        context.prec = decimal.MAX_PREC
        context.Emax = decimal.MAX_EMAX
        context.Emin = decimal.MIN_EMIN
        return _decimal_text(Decimal(scaled).scaleb(-places))


def _decimal_text(value, given=None):
    if not value.is_finite():
        raise _refuse(value if given is None else given, "is not a finite number")
    if value == 0:
        return "0"
    return format(value, "f")


def exact_text(value):
    """The canonical decimal text of value (str, int, Decimal or Fraction), exactly."""
    if isinstance(value, bool):
        raise _refuse(value, "is a bool, not a number")
    if isinstance(value, str):
        try:
            number = Decimal(value)
        except decimal.InvalidOperation:
            raise _refuse(value, "is not a number") from None
        return _decimal_text(number, value)
    if isinstance(value, int):
        return _decimal_text(Decimal(value))
    if isinstance(value, Decimal):
        return _decimal_text(value)
    if isinstance(value, Fraction):
        return _fraction_text(value)
    raise _refuse(value, f"is a {type(value).__name__}, which is not exact")
