"""What a phase works with: the program's windows, its message boxes, the
line to the device, the INI file and screenshots, each step a check that
reports what it expected and what it found.

A check that waits on the program polls for the state it expects up to a
deadline; it never reads once right after a posted click."""

import codecs
import subprocess
import time

from .driver import FILE_NAME_EDIT, IDCANCEL, IDOK, IDYES, DriverError
from .report import StepFailed, shown
from .wire import Wire, poll

MAIN_CLASS = "VQX460"
MAIN_TITLE = "VQX-460"
DIALOG_CLASS = "#32770"
INI_SECTION = "VQX-460J_Section"

# The questions of 新規作成, 開く and 終了 (and of the end of a session)
# while the settings hold unsaved work.
NEW_QUESTION = "データを保存せずに新規作成しますか？"
OPEN_QUESTION = "データを保存せずに別のファイルを開きますか？"
QUIT_QUESTION = "データを保存せずに終了しますか？"

# How long the program may take to react to a click before a check gives
# up: far above what it needs, so a slow machine does not fail the run.
REACTION_S = 5.0


class Window:
    """A top-level window of the program, a dialog or a box, by handle."""

    def __init__(self, session, hwnd, caption=""):
        self.s = session
        self.hwnd = hwnd
        self.caption = caption

    def _call(self, command, *arguments):
        return self.s.drv(command, self.hwnd, *arguments)

    # Actions. Clicks and picks are posted or notified as the system does;
    # each reaction is checked by polling.
    def click(self, control):
        self._call("click", control)

    def command(self, control):
        self._call("command", control)

    def menu(self, command):
        self._call("menu", command)

    def select(self, control, index):
        self._call("select", control, index)

    def choose(self, control, index):
        self._call("choose", control, index)

    def set_text(self, control, text):
        self._call("set-text", control, text)

    def close(self):
        """The close box."""
        self._call("close")

    def context(self, x, y):
        self._call("context", x, y)

    # Readings.
    def items(self, control):
        return self._call("items", control).words[1:]

    def lines(self, control):
        return self._call("lines", control).words[1:]

    def selected(self, control):
        return self._call("selected", control).number

    def text(self, control=None):
        answer = self._call("text", control) if control is not None else self._call("text")
        return answer.word(0)

    def enabled(self, control=None):
        answer = self._call("enabled", control) if control is not None else self._call("enabled")
        return answer.word(0) == "1"

    def checked(self, control):
        return self._call("checked", control).word(0) == "1"

    def progress(self, control):
        return self._call("progress", control).number

    def status(self, control, part):
        return self._call("status", control, part).word(0)

    def rect(self):
        return tuple(int(w) for w in self._call("rect").words[:4])

    def is_gone(self, timeout_s):
        try:
            self.s.drv("gone", self.hwnd, int(timeout_s * 1000))
            return True
        except DriverError:
            return False


def _reading(probe):
    """`probe()`, or the driver's refusal as the value found."""
    try:
        return probe()
    except DriverError as error:
        return f"ERR {error}"


class Session:
    """The state of one run: report, driver, line, the program's main
    window (`main`), ids, paths."""

    def __init__(self, report, env, driver, ids, shots):
        self.report = report
        self.env = env
        self.driver = driver
        self.ids = ids
        self.shots = shots
        self.wire = None
        self.main = None
        self.program = None

    # --- Basics ----------------------------------------------------------------

    def drv(self, command, *arguments):
        return self.driver.call(command, *arguments)

    def log(self, line):
        self.report.log(line)

    def check(self, name, ok, detail=""):
        return self.report.check(name, ok, detail)

    def equal(self, name, found, expected):
        return self.report.equal(name, found, expected)

    def require(self, name, ok, detail=""):
        self.report.require(name, ok, detail)

    def wait_for(self, name, probe, expected=None, *, until=None, timeout=REACTION_S,
                 interval=0.05):
        """Polls `probe` until it returns `expected` (or `until(value)` is
        true) or `timeout` seconds pass; records the check with the last
        value found. Returns whether it came."""
        done = until or (lambda value: value == expected)
        started = time.monotonic()
        value, ok = poll(lambda: _reading(probe), done, timeout, interval)
        if ok:
            self.log(f"{name}: after {time.monotonic() - started:.2f} s")
        want = f"expected {shown(expected)}" if until is None else "expected a change"
        return self.check(name, ok, f"{want}, found {shown(value)} after {timeout:g} s")

    # --- The device and the line --------------------------------------------

    def start_device(self, name, *options):
        raw, sim_log = self.env.start_device(name, *[str(o) for o in options])
        self.wire = Wire(raw, sim_log)

    def expect_line(self, name, expected, lines=1, timeout=3.0):
        """The program sent exactly these bytes since the last check, and the
        device took them as `lines` lines."""
        ok, detail = self.wire.expect_sent(expected, lines, timeout)
        return self.check(name, ok, detail)

    def nothing_sent(self, name, settle=0.5):
        ok, detail = self.wire.sent_nothing(settle)
        return self.check(f"{name} sends nothing", ok, detail)

    # --- The program -----------------------------------------------------------

    def start_program(self, log_name="main"):
        """Starts the program and waits for its main window."""
        self.program = self.env.start_program(log_name)
        try:
            hwnd = self.drv("find", MAIN_CLASS, MAIN_TITLE, 30000).word(0)
        except DriverError as error:
            self.report.fails("the program shows its main window", str(error))
            raise
        self.main = Window(self, hwnd, MAIN_TITLE)
        return self.main

    def end_program(self):
        """Ends a program a failed phase left running, so the next phase
        can start its own."""
        if self.program and self.program.poll() is None:
            self.log("ending the program a failed step left running")
            self.program.kill()
            self.program.wait()
        self.program = None
        self.main = None

    def wait_exit(self, process, timeout_s):
        """The exit code, or None while it still runs."""
        try:
            return process.wait(timeout=timeout_s)
        except subprocess.TimeoutExpired:
            return None

    def expect_exit(self, name, timeout_s=10):
        """The program ends, with exit code 0; one that does not is killed
        so the next phase can start its own."""
        code = self.wait_exit(self.program, timeout_s)
        if code is None:
            windows = _reading(lambda: self.drv("list", DIALOG_CLASS).line)
            self.report.fails(name, f"still running; windows: {windows}")
            self.program.kill()
            self.program.wait()
        else:
            self.report.passes(name)
            self.equal("exit code", code, 0)
        self.program = None
        self.main = None
        return code

    def quit_check(self):
        """File > Exit with nothing unsaved asks nothing and ends the
        program with exit code 0."""
        self.main.menu(self.ids.IDM_FILE_EXIT)
        self.expect_exit("quit without unsaved changes asks nothing and ends the program")

    def quit_unsaved(self):
        """File > Exit with unsaved work asks first; Yes ends the program
        with exit code 0."""
        self.main.menu(self.ids.IDM_FILE_EXIT)
        self.answer_question(QUIT_QUESTION, IDYES)
        self.expect_exit("quit with unsaved work: Yes ends the program")

    # --- Dialogs and boxes -------------------------------------------------------

    def find_dialog(self, caption, timeout_s=5.0):
        return Window(self, self.drv("find", DIALOG_CLASS, caption,
                                     int(timeout_s * 1000)).word(0), caption)

    def open_dialog(self, command, caption, via=None):
        """Posts a menu or toolbar command to the main window and waits for
        the dialog it opens; a step the rest of a section needs."""
        name = f"{self.ids.name(command)} opens \"{caption}\""
        (via or self.main).menu(command)
        try:
            dialog = self.find_dialog(caption)
        except DriverError as error:
            windows = _reading(lambda: self.drv("list", DIALOG_CLASS).line)
            self.report.fails(name, f"{error}; windows: {windows}")
            raise StepFailed(name) from None
        self.report.passes(name)
        return dialog

    def close_dialog(self, dialog, name="Close ends the dialog"):
        dialog.click(IDCANCEL)
        return self.check(name, dialog.is_gone(3), "still open after 3 s")

    def expect_box(self, caption, text, timeout_s=5.0, shot=None):
        """A message box with that caption and text shows; it is
        photographed and closed with OK."""
        # A text of several lines is named by its first.
        named = text.split("\n")[0] + (" ..." if "\n" in text else "")
        try:
            answer = self.drv("box", caption, int(timeout_s * 1000))
        except DriverError as error:
            self.report.fails(f"box \"{caption}\" \"{named}\" shows", str(error))
            return False
        box = Window(self, answer.word(0), caption)
        found = answer.word(1)
        if shot:
            self.shot(shot, box)
        try:
            box.click(IDOK)
            closed = box.is_gone(3)
        except DriverError as error:
            closed = False
            self.log(f"closing the box: {error}")
        if not closed:
            self.report.fails(f"box \"{caption}\" closes with OK", "still open after 3 s")
        return self.equal(f"box \"{caption}\" says \"{named}\"", found, text)

    def no_box(self, name, caption, ms):
        try:
            self.drv("no-box", caption, ms)
            return self.check(name, True)
        except DriverError as error:
            return self.check(name, False, str(error))

    def close_boxes(self):
        """Closes any result box left open."""
        for caption in ("Error", "Success"):
            for _ in range(5):
                try:
                    box = Window(self, self.drv("find", DIALOG_CLASS, caption, 0).word(0))
                except DriverError:
                    break
                box.click(IDOK)
                if not box.is_gone(3):
                    break

    def send_and_expect(self, name, dialog, button, line, caption="Success", text="Success",
                        shot=None):
        """A set button sends exactly `line`, and the device's answer shows
        its box."""
        dialog.click(button)
        self.expect_line(f"{name}: sends {line!r}", line)
        return self.expect_box(caption, text, 5.0, shot)

    def set_line(self, name, dialog, button, line):
        return self.send_and_expect(name, dialog, button, line)

    def expect_items(self, dialog, control, items):
        return self.equal(f"{self.ids.name(control)} lists {len(items)} items",
                          _reading(lambda: dialog.items(control)), list(items))

    def expect_selected(self, dialog, control, index):
        return self.equal(f"{self.ids.name(control)} shows item {index}",
                          _reading(lambda: dialog.selected(control)), index)

    def expect_enabled(self, name, dialog, control, enabled):
        """Polls: the control's state follows a click only once the program
        has handled it."""
        return self.wait_for(name, lambda: dialog.enabled(control), enabled)

    def expect_text(self, name, dialog, control, text):
        return self.equal(name, _reading(lambda: dialog.text(control)), text)

    def file_dialog(self, caption, path):
        """The program's file dialog with that caption is given the path (as
        Windows names it) and confirmed."""
        try:
            chooser = self.find_dialog(caption, 10)
            chooser.set_text(FILE_NAME_EDIT, self.env.winepath(path))
            chooser.command(IDOK)
        except DriverError as error:
            self.report.fails(f"file dialog \"{caption}\" takes {path.name}", str(error))
            return False
        return self.check(f"file dialog \"{caption}\" takes {path.name}", chooser.is_gone(5),
                          "still open after 5 s")

    def file_dialog_cancel(self, caption):
        try:
            chooser = self.find_dialog(caption, 10)
            chooser.command(IDCANCEL)
        except DriverError as error:
            return self.check(f"file dialog \"{caption}\" cancelled", False, str(error))
        return self.check(f"file dialog \"{caption}\" cancelled", chooser.is_gone(5),
                          "still open after 5 s")

    def answer_question(self, question, button, shot=None):
        """The question box (caption "VQX-460") says `question` and gets
        `button`."""
        try:
            answer = self.drv("box", MAIN_TITLE, 10000)
        except DriverError as error:
            return self.check(f"question \"{question}\"", False, str(error))
        self.equal(f"question \"{question}\"", answer.word(1), question)
        box = Window(self, answer.word(0))
        if shot:
            self.shot(shot, box)
        box.click(button)
        return box.is_gone(3)

    def no_question(self, name, ms=800):
        return self.no_box(name, MAIN_TITLE, ms)

    # --- The INI file ------------------------------------------------------------

    def ini_path(self):
        for path in self.env.prefix.glob("drive_c/users/*/AppData/Roaming/VQX-460/vqx460j.ini"):
            return path
        return None

    def ini_text(self):
        path = self.ini_path()
        if not path:
            return ""
        data = path.read_bytes()
        if data.startswith(codecs.BOM_UTF16_LE):
            return data.decode("utf-16").replace("\r", "")
        return data.decode("latin-1").replace("\r", "")

    def ini_value(self, key):
        for line in self.ini_text().splitlines():
            if line.startswith(key + "="):
                return line[len(key) + 1 :]
        return None

    def expect_ini(self, name, key, value):
        """Polls: the program writes the INI file as it handles the choice."""
        return self.wait_for(name, lambda: self.ini_value(key), str(value), timeout=3)

    def ini_set(self, key, value):
        """Sets a key with the program not running."""
        path = self.ini_path()
        if not path:
            roaming = next(self.env.prefix.glob("drive_c/users/*/AppData/Roaming"))
            path = roaming / "VQX-460/vqx460j.ini"
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(f"[{INI_SECTION}]\r\n".encode())
        lines = [line for line in self.ini_text().splitlines()
                 if line and not line.startswith(key + "=")]
        lines.append(f"{key}={value}")
        path.write_bytes(("\r\n".join(lines) + "\r\n").encode("latin-1"))

    # --- Screenshots -------------------------------------------------------------

    def shot(self, name, window):
        """The window as it is on the screen, into out/e2e-screenshots/."""
        time.sleep(0.25)  # let it paint
        try:
            x, y, w, h = window.rect()
        except DriverError:
            return
        if w > 0 and h > 0 and not self.env.screenshot(self.shots / f"{name}.png", (x, y, w, h)):
            self.log(f"screenshot {name} failed")

    def shot_screen(self, name):
        time.sleep(0.25)
        if not self.env.screenshot(self.shots / f"{name}.png"):
            self.log(f"screenshot {name} failed")
