"""VELTRA from Python: build, load, run and save discrete-time recurrent nets whose values are
exact decimals of unbounded length, and sweep a net over many inputs.

Values come back as decimal.Decimal (element.value) or fractions.Fraction (element.fraction),
built from the exact text of the number, never through a float. Values and weights are set
from any integer, a Decimal, a Fraction with a finite decimal expansion or a number's text;
anything else (a float, 1/3) is refused with ValueError.

    >>> import veltra
    >>> net = veltra.Net.load("examples/worked.net")
    >>> net.run()
    4
    >>> net["Out"].history
    '0110'
    >>> veltra.sweep(net, ["01", "11"]).to_pandas()     # doctest: +SKIP
"""

from . import _net  # noqa: F401  (gives the native classes their Python interface)
from ._errors import NetFileError
from ._numbers import exact_text
from ._sweep import sweep
from ._table import Table
from ._veltra import Element, Net, Synapse, __version__

__all__ = ["Element", "Net", "NetFileError", "Synapse", "Table", "exact_text", "sweep",
           "__version__"]
