"""The error a net file's reader raises."""

import os


class NetFileError(ValueError):
    """A net file the reader refuses.

    msg is the reader's own text, with why it refused the line after it in parentheses
    where the reader says; filename the file read (None for text given to
    Net.loads); lineno the line, from 1, that the reader stopped in (None when it read the
    whole file but some synapse names an element that is not there).
    """

    def __init__(self, msg, filename=None, lineno=None):
        super().__init__(msg, filename, lineno)
        self.msg = msg
        self.filename = filename
        self.lineno = lineno

    def __str__(self):
        where = []
        if self.filename is not None:
            where.append(os.fsdecode(self.filename))
        if self.lineno is not None:
            where.append(f"line {self.lineno}")
        return f"{', '.join(where)}: {self.msg}" if where else str(self.msg)
