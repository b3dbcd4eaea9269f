"""Phase 8: the program on screens of 100 %, 150 % and 200 % scaling.

Wine takes the density from LogPixels in the prefix when a program starts,
so the program starts at 96, 144 and 192 DPI in turn. Screenshots of the
main window, of the three dialogs that draw into a frame (video adjustment,
auto switching, title) and of the largest dialog (display channel) are
measured against those at 96 DPI: the windows and the frames grow with the
density, the status bar shows the whole date, the toolbar shows the
pictures drawn for the density, and what a dialog draws fills its frame as
it does at 96 DPI. The screen is 1024 x 768, so at 200 % the larger windows
run off it; a check then measures the part on the screen. LogPixels is 96
again at the end, whatever happened."""

import re
import subprocess

from vqxe2e.driver import IDCANCEL, DriverError
from vqxe2e.report import StepFailed
from vqxe2e.session import DIALOG_CLASS, Window
from vqxe2e.wire import poll

DENSITIES = (96, 144, 192)
LOG_PIXELS_KEYS = (
    r"HKCU\Control Panel\Desktop",
    r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts",
)
BOX_CAPTIONS = ("Error", "Success")
# The right edge of the status bar's date part, in pixels at 96 DPI.
DATE_PART_EDGE = 500


def scale(pixels, dpi):
    return (pixels * dpi + 48) // 96


def set_log_pixels(s, dpi):
    ok = True
    for key in LOG_PIXELS_KEYS:
        result = subprocess.run(
            ["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
             str(dpi), "/f"], env=s.env.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, timeout=60)
        ok = ok and result.returncode == 0
    return ok


# --- The screen -----------------------------------------------------------


class Screen:
    """One screenshot of the whole screen (a PPM file), as RGB pixels."""

    def __init__(self, path):
        data = path.read_bytes()
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(255|65535)\s", data)
        if not header:
            raise ValueError(f"{path.name}: not a PPM of 8 or 16 bits")
        self.width, self.height = int(header[1]), int(header[2])
        # 16 bits a sample: the high byte comes first.
        step = 1 if header[3] == b"255" else 2
        self.pixels = data[header.end():header.end() + 3 * step * self.width * self.height:step]

    def clip(self, box):
        """A (left, top, right, bottom) box, edges included, cut to the
        screen."""
        left, top, right, bottom = box
        return (max(left, 0), max(top, 0), min(right, self.width - 1),
                min(bottom, self.height - 1))

    def find(self, box, test):
        """The bounding box of the pixels in `box` that pass `test`, or
        None."""
        left, top, right, bottom = self.clip(box)
        found = None
        for y in range(top, bottom + 1):
            row = y * self.width * 3
            xs = [x for x in range(left, right + 1)
                  if test(*self.pixels[row + 3 * x:row + 3 * x + 3])]
            if xs:
                if found is None:
                    found = [xs[0], y, xs[-1], y]
                else:
                    found = [min(found[0], xs[0]), found[1], max(found[2], xs[-1]), y]
        return tuple(found) if found else None

    def largest_white_area(self, box):
        """The bounding box of the largest connected area of white pixels in
        `box`: a white frame, whatever is drawn inside it."""
        left, top, right, bottom = self.clip(box)
        width = right - left + 1
        white = bytearray(width * (bottom - top + 1))
        for y in range(top, bottom + 1):
            row = y * self.width * 3
            for x in range(left, right + 1):
                i = row + 3 * x
                if min(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]) >= 250:
                    white[(y - top) * width + x - left] = 1
        best, best_size = None, 0
        for start in range(len(white)):
            if white[start] != 1:
                continue
            white[start] = 2
            stack, count = [start], 0
            x0 = x1 = start % width
            y0 = y1 = start // width
            while stack:
                i = stack.pop()
                count += 1
                x, y = i % width, i // width
                x0, x1, y0, y1 = min(x0, x), max(x1, x), min(y0, y), max(y1, y)
                for j in ((i - 1) if x > 0 else -1, (i + 1) if x + 1 < width else -1,
                          i - width, i + width):
                    if 0 <= j < len(white) and white[j] == 1:
                        white[j] = 2
                        stack.append(j)
            if count > best_size:
                best, best_size = (left + x0, top + y0, left + x1, top + y1), count
        return best


def dark(r, g, b):
    return max(r, g, b) < 110


def red(r, g, b):
    return r > 150 and g < 90 and b < 90


def grab(s, name):
    path = s.env.work / f"{name}.ppm"
    if not s.env.screenshot(path):
        raise StepFailed(f"screenshot {name}")
    return Screen(path)


def window_box(window):
    x, y, w, h = window.rect()
    return (x, y, x + w - 1, y + h - 1)


def size(box):
    return box[2] - box[0] + 1, box[3] - box[1] + 1


# --- Checks ---------------------------------------------------------------


def grows(s, name, found, at_96, dpi, screen_edge=None, tolerance=0.06):
    """`found` is `at_96` grown with the density, or, for what the screen
    cuts (`screen_edge`: the room the screen leaves), as much of it as the
    screen allows. Dialogs grow with their font's average character width,
    which the font's hinting does not keep in exact proportion (at 144 DPI
    they come out 5 % wider than 1.5 times), hence the tolerance."""
    expected = at_96 * dpi / 96
    cut = screen_edge is not None and expected > found >= screen_edge
    ok = abs(found - expected) <= max(2, tolerance * expected) or cut
    room = "" if screen_edge is None else f" (or the screen's {screen_edge})"
    return s.check(f"{name} grows with the density", ok,
                   f"expected {expected:.0f} px{room}, found {found}")


def main_window(s, dpi, base):
    """The window, the toolbar pictures and the status bar's date."""
    ids = s.ids
    s.wait_for("the status bar shows the date",
               lambda: s.main.status(ids.IDC_STATUS_BAR, 0),
               until=lambda text: bool(text) and not text.startswith("ERR"))
    date = s.main.status(ids.IDC_STATUS_BAR, 0)
    s.shot(f"60-dpi{dpi:03d}-main-window", s.main)
    screen = grab(s, f"dpi{dpi}-main")
    box = window_box(s.main)
    width, height = size(box)
    left, top, right, bottom = box
    # The status bar is the bottom band of the window, the toolbar the band
    # above it below the caption and the menu bar.
    band = (left, bottom - scale(26, dpi), right, bottom - 1)
    date_part = (left + 2, band[1], left + scale(DATE_PART_EDGE, dpi) - 3, band[3])
    ink = screen.find(date_part, dark)
    bell = screen.find((left, top + scale(38, dpi), left + scale(34, dpi), band[1] - 1), red)
    measured = {"width": width, "height": height,
                "date": size(ink) if ink else None, "bell": size(bell) if bell else None}
    s.log(f"main window at {dpi} DPI: {measured}, date ink {ink}, bell {bell}")
    s.require(f"the status bar's date {date!r} is drawn", ink is not None,
              "no dark pixels in the date part")
    # The date ends well inside its part: cut short, it would run into the
    # part's edge.
    room = date_part[2] - ink[2]
    s.check("the date ends inside its part of the status bar", room >= scale(8, dpi),
            f"{room} px from the part's edge")
    s.check("the toolbar shows its pictures", bell is not None,
            "no red bell on the first button")
    if dpi == 96:
        base["main"] = measured
        return
    at_96 = base["main"]
    grows(s, "the main window's width", width, at_96["width"], dpi, screen.width)
    grows(s, "the main window's height", height, at_96["height"], dpi, screen.height)
    # The whole date: as wide and as tall as at 96 DPI, grown.
    grows(s, "the status bar's date, whole,", measured["date"][0], at_96["date"][0], dpi,
          screen.width, tolerance=0.12)
    grows(s, "the status bar's date height", measured["date"][1], at_96["date"][1], dpi,
          screen.height, tolerance=0.2)
    if bell:
        grows(s, "the toolbar's bell (the strip drawn for the density)", measured["bell"][1],
              at_96["bell"][1], dpi, screen.height, tolerance=0.1)


def open_dialog(s, command):
    """The dialog a menu command opens, whatever the caption rule makes of
    its caption; a box instead fails the step."""
    s.main.menu(command)
    try:
        dialog = Window(s, s.drv("find", DIALOG_CLASS, "-", 5000).word(0))
    except DriverError as error:
        s.report.fails(f"{s.ids.name(command)} opens its dialog", str(error))
        raise StepFailed(command) from None
    caption = dialog.text()
    s.require(f"{s.ids.name(command)} opens its dialog \"{caption}\"",
              caption not in BOX_CAPTIONS, f"a box: {caption}")
    return dialog


def close(s, dialog):
    dialog.click(IDCANCEL)
    s.check("Close ends the dialog", dialog.is_gone(3), "still open after 3 s")


# The dialogs that draw into a frame, by their menu commands.
DRAWN = {"video-adjustment": "IDM_VIDEO_ADJUSTMENT",
         "auto-switching": "IDM_AUTO_SWITCHING",
         "title": "IDM_TITLE"}


def drawn_dialog(s, dpi, base, name, command):
    """A dialog that draws into a white frame: its frame grows, and the
    drawing fills as much of the frame, across and down, as at 96 DPI."""
    s.require(f"{name} measured at 96 DPI", dpi == 96 or name in base)
    dialog = open_dialog(s, command)
    box = window_box(dialog)

    def measure():
        screen = grab(s, f"dpi{dpi}-{name}")
        frame = screen.largest_white_area(box)
        ink = screen.find((frame[0] + 2, frame[1] + 2, frame[2] - 2, frame[3] - 2),
                          dark) if frame else None
        return screen, frame, ink

    # The dialog draws once it is on screen (after up to 500 ms): the
    # drawing is there when two looks in a row find the same.
    looks = []

    def settled():
        looks.append(measure())
        return (len(looks) >= 2 and looks[-1][2] is not None
                and looks[-1][1:] == looks[-2][1:])

    poll(lambda: None, lambda _: settled(), timeout=8, interval=0.3)
    screen, frame, ink = looks[-1]
    s.shot(f"6{1 + list(DRAWN).index(name)}-dpi{dpi:03d}-{name}", dialog)
    s.log(f"{name} at {dpi} DPI: dialog {box}, frame {frame}, ink {ink}")
    s.require(f"{name}: its frame shows and is drawn into", frame and ink,
              f"frame {frame}, drawing {ink}")
    # Where the drawing ends, counted from the frame's top-left corner.
    measured = {"dialog": size(box), "frame": size(frame),
                "reach": (ink[2] - frame[0] + 1, ink[3] - frame[1] + 1)}
    if dpi == 96:
        base[name] = measured
    else:
        at_96 = base[name]
        # A frame cut by the screen's edge is as large as the screen allows.
        for axis, label in ((0, "width"), (1, "height")):
            grows(s, f"{name}: the dialog's {label}", measured["dialog"][axis],
                  at_96["dialog"][axis], dpi)
            edge = (screen.width if axis == 0 else screen.height) - frame[axis]
            grows(s, f"{name}: the frame's {label}", measured["frame"][axis],
                  at_96["frame"][axis], dpi, edge)
            full = at_96["frame"][axis] * dpi / 96
            expected = at_96["reach"][axis] * dpi / 96
            found = measured["reach"][axis]
            # What the screen shows of the frame: the drawing reaches as far
            # into it as at 96 DPI, or to the screen's edge, give or take a
            # column (or line) of the drawing.
            visible = min(full, edge)
            ok = (abs(found - expected) <= 0.05 * full if expected <= visible
                  else found >= visible - 0.12 * full)
            share = 100 * at_96["reach"][axis] / at_96["frame"][axis]
            s.check(f"{name}: the drawing reaches {share:.0f} % of the frame's {label}, "
                    "as at 96 DPI", ok,
                    f"expected {expected:.0f} px of {full:.0f} ({visible:.0f} on the screen), "
                    f"found {found}")
    close(s, dialog)


def display_channel(s, dpi, base):
    """The largest dialog: it grows, and its caption stays on the screen
    when it is larger than the screen."""
    dialog = open_dialog(s, s.ids.IDM_DISPLAY_CHANNEL)
    s.shot(f"64-dpi{dpi:03d}-display-channel", dialog)
    box = window_box(dialog)
    s.log(f"display channel at {dpi} DPI: {box}")
    s.check("display channel: its top-left corner is on the screen",
            box[0] >= 0 and box[1] >= 0, f"at {box[:2]}")
    if dpi == 96:
        base["display-channel"] = size(box)
    else:
        for axis, label in ((0, "width"), (1, "height")):
            grows(s, f"display channel: the dialog's {label}", size(box)[axis],
                  base["display-channel"][axis], dpi)
    close(s, dialog)


def run(s, only):
    base = {}
    # Phase 6 leaves COM1 unopenable; these programs talk to a device.
    s.env.wine_env_command("com1", str(s.env.work / "com1"))
    try:
        for dpi in DENSITIES:
            with s.report.part(f"the program at {dpi * 100 // 96} % ({dpi} DPI)"):
                if dpi != 96 and "main" not in base:
                    s.report.fails(f"{dpi} DPI measured against 96 DPI",
                                   "nothing measured at 96 DPI")
                    continue
                s.require(f"LogPixels {dpi} in the prefix", set_log_pixels(s, dpi))
                # A device of its own for each start, as the port expects.
                s.start_device(f"dpi{dpi}")
                s.start_program(f"dpi{dpi}")
                try:
                    main_window(s, dpi, base)
                    for name, command in DRAWN.items():
                        drawn_dialog(s, dpi, base, name, getattr(s.ids, command))
                    display_channel(s, dpi, base)
                    s.quit_check()
                finally:
                    s.end_program()
    finally:
        s.check("LogPixels is 96 again for the phases after", set_log_pixels(s, 96))
