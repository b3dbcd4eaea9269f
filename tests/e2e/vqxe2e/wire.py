"""The serial line between the program and the simulated device: the exact
bytes the program sent (recorded by pty-tap) and the lines the device
logged as received."""

import os
import re
import time

_RX = re.compile(rb"^(\d\d):(\d\d):(\d\d)\.(\d\d\d) RX (.*)$")


def poll(probe, done, timeout, interval=0.05):
    """Calls `probe` until `done(value)` or the deadline; returns the last
    value and whether it was done."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if done(value):
            return value, True
        if time.monotonic() >= deadline:
            return value, False
        time.sleep(interval)


class Wire:
    """Each check reads what came since the previous one: `sent_offset`
    into the raw bytes, `rx_seen` into the device's received lines."""

    def __init__(self, raw_file, sim_log):
        self.raw_file = raw_file
        self.sim_log = sim_log
        self.sent_offset = 0
        self.rx_seen = 0

    def raw_size(self):
        try:
            return os.path.getsize(self.raw_file)
        except OSError:
            return 0

    def raw_since(self, offset):
        with open(self.raw_file, "rb") as raw:
            raw.seek(offset)
            return raw.read()

    def received(self):
        """Every line the device logged as received: (milliseconds since
        midnight, line without CR LF)."""
        try:
            with open(self.sim_log, "rb") as log:
                text = log.read()
        except OSError:
            return []
        lines = []
        for line in text.splitlines():
            match = _RX.match(line)
            if match:
                h, m, s, ms = (int(g) for g in match.groups()[:4])
                lines.append((((h * 60 + m) * 60 + s) * 1000 + ms, match.group(5)))
        return lines

    def skip(self):
        """Forgets what was sent so far: the next check starts from here."""
        self.sent_offset = self.raw_size()
        self.rx_seen = len(self.received())

    def expect_sent(self, expected, lines, timeout=3.0):
        """The program sent exactly `expected` since the last check, and the
        device logged it as `lines` lines. Returns (ok, detail)."""
        start = self.sent_offset
        poll(self.raw_size, lambda size: size >= start + len(expected), timeout)
        sent = self.raw_since(start)
        self.sent_offset = start + len(sent)
        if sent != expected:
            return False, f"expected {expected!r}, sent {sent!r}"[:700]
        want = [line for line in expected.split(b"\r\n") if line]
        first = self.rx_seen
        received, _ = poll(self.received, lambda rx: len(rx) >= first + lines, timeout)
        got = [line for _, line in received[first : first + lines]]
        self.rx_seen = len(received)
        if got != want[:lines]:
            return False, f"device received {got!r}, expected {want[:lines]!r}"[:700]
        return True, ""

    def sent_nothing(self, settle=0.5):
        """Nothing went out since the last check (after `settle` seconds)."""
        time.sleep(settle)
        size = self.raw_size()
        extra = self.raw_since(self.sent_offset) if size > self.sent_offset else b""
        self.sent_offset = size
        return (not extra), f"sent {extra!r}"

    def rx_times(self, count):
        """The receive times (ms) of the device's last `count` lines."""
        return [t for t, _ in self.received()[-count:]]
