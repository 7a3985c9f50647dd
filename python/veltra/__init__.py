"""VELTRA from Python: build, load, run and save discrete-time recurrent nets whose values are
exact decimals of unbounded length.

Values come back as decimal.Decimal (element.value) or fractions.Fraction (element.fraction),
built from the exact text of the number, never through a float. Values and weights are set
from a str, an int, a Decimal or a Fraction with a finite decimal expansion; anything else
(a float, 1/3) is refused with ValueError.

    >>> import veltra
    >>> net = veltra.Net.load("examples/worked.net")
    >>> net.run()
    4
    >>> net["Out"].history
    '0110'
"""

from . import _net  # noqa: F401  (gives the native classes their Python interface)
from ._numbers import exact_text
from ._veltra import Element, Net, NetFileError, Synapse, __version__

__all__ = ["Element", "Net", "NetFileError", "Synapse", "exact_text", "__version__"]
