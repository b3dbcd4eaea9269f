"""Counting and printing checks: one line each, "ok" or "FAIL" with what was
expected and what was found."""

import contextlib
import time

from .driver import DriverError


class StepFailed(Exception):
    """A step the rest of a section needs went wrong (already reported)."""


def shown(value, limit=300):
    """A value as a failure line shows it: texts and bytes in quotes, long
    ones cut."""
    text = repr(value) if isinstance(value, (str, bytes)) else str(value)
    return text if len(text) <= limit else text[:limit] + "..."


class Report:
    def __init__(self, log_file):
        self.passed = 0
        self.failed = 0
        self.failures = []
        self._log_file = log_file

    def log(self, line):
        with open(self._log_file, "a", encoding="utf-8") as log:
            log.write(f"{time.strftime('%H:%M:%S')} {line}\n")

    def section(self, title):
        print(f"== {title}", flush=True)
        self.log(f"== {title}")

    def passes(self, name):
        self.passed += 1
        print(f"  ok    {name}", flush=True)
        self.log(f"ok: {name}")

    def fails(self, name, detail=""):
        self.failed += 1
        self.failures.append(name)
        print(f"  FAIL  {name}" + (f"  [{detail}]" if detail else ""), flush=True)
        self.log(f"FAIL: {name} {detail}")

    def check(self, name, ok, detail=""):
        """Records `ok`; `detail` tells, on failure, what was found."""
        if ok:
            self.passes(name)
        else:
            self.fails(name, detail)
        return bool(ok)

    def equal(self, name, found, expected):
        return self.check(
            name, found == expected, f"expected {shown(expected)}, found {shown(found)}"
        )

    @contextlib.contextmanager
    def part(self, title):
        """A section whose remaining steps are skipped after a failed step
        they need."""
        self.section(title)
        try:
            yield
        except StepFailed:
            self.log(f"rest of \"{title}\" skipped")
        except DriverError as error:
            self.fails(f"{title}: the driver refused a step", str(error))

    def require(self, name, ok, detail=""):
        if not self.check(name, ok, detail):
            raise StepFailed(name)

    def summary(self):
        return f"{self.passed} passed, {self.failed} failed"
