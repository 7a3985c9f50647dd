"""Rows of results (traces, sweeps) that become a pandas DataFrame without losing a digit."""


class Table(list):
    """A list of rows (dicts with the same keys, in the order of .columns).

    Values stay as they are: numbers are exact Decimals (or their text), binary strings
    (sequences, histories, inputs of a sweep) are str, so "00000001" is never read as 1.
    """

    def __init__(self, rows=(), columns=()):
        super().__init__(rows)
        self.columns = tuple(columns)

    def to_pandas(self):
        """A pandas DataFrame with one column per key: columns of text have pandas' string
        dtype (a history "0010" stays "0010"), numbers stay Decimal (object dtype; convert
        with .astype(float) only to plot)."""
        import pandas

        frame = pandas.DataFrame(list(self), columns=list(self.columns))
        for name in self.columns:
            values = [row[name] for row in self]
            if values and all(v is None or isinstance(v, str) for v in values):
                frame[name] = frame[name].astype("string")
        return frame

    def __reduce__(self):
        return (Table, (list(self), self.columns))
