"""The client side of vqx460-driver.exe: one request per line, one answer
per line ("OK ..." or "ERR reason"), through one long-lived Wine process."""

import queue
import subprocess
import threading

# Ids that Windows itself gives, not the program: the buttons of a message
# box and of a dialog's default pair, and the controls the system's dialogs
# have (dlgs.h).
IDOK = 1
IDCANCEL = 2
IDYES = 6
IDNO = 7
FILE_NAME_EDIT = 0x047C  # cmb13: the file name box of the file dialogs

ANSWER_TIMEOUT_S = 60


class DriverError(Exception):
    """The driver answered ERR, or not at all."""


def quote(text):
    """An argument as the driver splits it back: in quotes, \\ and \" escaped."""
    text = str(text)
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def split_answer(line):
    """The words of an answer after OK: bare words, and quoted texts with
    their escapes undone. Quoted texts keep every blank, the full-width
    blank included."""
    words = []
    i = 0
    n = len(line)
    while i < n:
        if line[i] == " ":
            i += 1
            continue
        if line[i] == '"':
            i += 1
            word = []
            while i < n and line[i] != '"':
                if line[i] == "\\" and i + 1 < n:
                    i += 1
                    word.append({"n": "\n", "r": "\r"}.get(line[i], line[i]))
                else:
                    word.append(line[i])
                i += 1
            i += 1  # the closing quote
            words.append("".join(word))
        else:
            j = line.find(" ", i)
            j = n if j < 0 else j
            words.append(line[i:j])
            i = j
    return words


class Answer:
    """An OK answer: `words` are its parts after OK, `line` the whole."""

    def __init__(self, line):
        self.line = line
        self.words = split_answer(line[3:]) if line.startswith("OK ") else []

    def word(self, index, default=""):
        return self.words[index] if index < len(self.words) else default

    @property
    def number(self):
        return int(self.word(0))

    def __repr__(self):
        return self.line


class Driver:
    """The driver process under Wine. Every call returns an Answer or
    raises DriverError with the driver's reason."""

    def __init__(self, exe, env, stderr, log):
        self._log = log
        self._process = subprocess.Popen(
            ["wine", str(exe)],
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=stderr,
            env=env,
        )
        self._lines = queue.Queue()
        # A reader thread, so a request can wait for its answer with a
        # deadline; a Wine helper that inherited the pipe keeps it open.
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    @property
    def pid(self):
        return self._process.pid

    def _read(self):
        for raw in self._process.stdout:
            self._lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self._lines.put(None)

    def call(self, command, *arguments):
        line = " ".join([command] + [quote(a) for a in arguments])
        self._log(f"> {line}")
        try:
            self._process.stdin.write((line + "\n").encode("utf-8"))
            self._process.stdin.flush()
        except (BrokenPipeError, ValueError):
            self._log("< (the driver has gone)")
            raise DriverError("the driver has gone") from None
        try:
            answer = self._lines.get(timeout=ANSWER_TIMEOUT_S)
        except queue.Empty:
            answer = "ERR no answer from the driver"
        if answer is None:
            answer = "ERR the driver has gone"
        self._log(f"< {answer}")
        if answer == "OK" or answer.startswith("OK "):
            return Answer(answer)
        raise DriverError(answer[4:] if answer.startswith("ERR ") else answer)

    def close(self):
        try:
            self._process.stdin.write(b"quit\n")
            self._process.stdin.close()
        except (BrokenPipeError, ValueError, OSError):
            pass
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
