"""The program's ids by name, read from the ids headers that its resource
templates and its C++ classes include (app/ids/*.h, dialogs/ids/*.h)."""

import re
from pathlib import Path

_DEFINE = re.compile(r"^\s*#\s*define\s+(ID[A-Z]*_\w+)\s+\(?(-?\d+)\)?\s*(?:/[*/].*)?$")


class Id(int):
    """A number that remembers the name it was asked by, for messages."""

    def __new__(cls, value, name):
        self = super().__new__(cls, value)
        self.symbol = name
        return self


def name_of(value):
    """The symbol of an id, or the number of anything else."""
    return getattr(value, "symbol", str(value))


class Ids:
    """`ids.IDC_ALARM_MODE` is the number the headers give that name."""

    def __init__(self, values):
        self._values = dict(values)

    def __getattr__(self, name):
        try:
            return Id(self._values[name], name)
        except KeyError:
            raise AttributeError(f"no id {name} in the ids headers") from None

    def __contains__(self, name):
        return name in self._values

    def name(self, value):
        return name_of(value)


def parse_defines(text, source="?"):
    """The NAME -> number pairs of a header's `#define`s; a name defined
    twice with two numbers is an error."""
    values = {}
    for number, line in enumerate(text.splitlines(), 1):
        match = _DEFINE.match(line)
        if not match:
            continue
        name, value = match.group(1), int(match.group(2))
        if name in values and values[name] != value:
            raise ValueError(f"{source}:{number}: {name} defined again as {value}")
        values[name] = value
    return values


def load_ids(root):
    values = {}
    for header in sorted(Path(root).glob("*/ids/*.h")):
        for name, value in parse_defines(header.read_text(), header).items():
            if name in values and values[name] != value:
                raise ValueError(f"{header}: {name} is {value} here, {values[name]} elsewhere")
            values[name] = value
    if not values:
        raise ValueError(f"no ids headers under {root}")
    return Ids(values)
