#!/usr/bin/env python3
"""Draws the toolbar strips (toolbar.bmp, ten 60x20 pictures, and the same
at 150 % and 200 % for high-density screens: toolbar_150.bmp, 90x30, and
toolbar_200.bmp, 120x40) and the program icon (vqx460.ico, 16x16 and 32x32)
from simple shapes and a 5x7 pixel font. Run it from any folder; it writes
next to itself. Standard library only."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

FONT = {  # 5x7, one string per row, '#' = ink
    'A': [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'C': [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    'D': ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    'E': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    'F': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    'G': [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"],
    'H': ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'I': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    'J': ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    'L': ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    'M': ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    'O': [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'R': ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    'S': [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    'T': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    'U': ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'V': ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    '.': ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour, fill=True):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if fill or x in (x0, x1) or y in (y0, y1):
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps),
                     round(y0 + (y1 - y0) * i / steps), colour)

    def circle(self, cx, cy, r, colour, fill=True):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if (fill and d <= r + 0.3) or (not fill and abs(d - r) < 0.6):
                    self.put(x, y, colour)

    def text(self, x, y, label, colour):
        for ch in label:
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == '#':
                        self.put(x + col, y + row, colour)
            x += 6


class Scaled:
    """The drawing calls of a Canvas in the coordinates of the 100 % strip,
    drawn `scale` times larger: a pixel becomes the block it covers, lines
    and circles keep their shape and grow thicker."""

    def __init__(self, canvas, scale):
        self.canvas, self.scale = canvas, scale

    def _edge(self, v):
        return int(v * self.scale + 1e-9)

    def put(self, x, y, colour):
        self.canvas.rect(self._edge(x), self._edge(y), self._edge(x + 1) - 1,
                         self._edge(y + 1) - 1, colour)

    def rect(self, x0, y0, x1, y1, colour, fill=True):
        if fill:
            self.canvas.rect(self._edge(x0), self._edge(y0),
                             self._edge(x1 + 1) - 1, self._edge(y1 + 1) - 1,
                             colour)
            return
        for (a0, b0, a1, b1) in ((x0, y0, x1, y0), (x0, y1, x1, y1),
                                 (x0, y0, x0, y1), (x1, y0, x1, y1)):
            self.rect(a0, b0, a1, b1, colour)

    def line(self, x0, y0, x1, y1, colour):
        # Through the pixel centres, as thick as a scaled pixel.
        s = self.scale
        width = max(1, round(s))
        steps = max(abs(x1 - x0), abs(y1 - y0), 1) * 4 * width
        for i in range(steps + 1):
            t = i / steps
            cx = (x0 + 0.5 + (x1 - x0) * t) * s
            cy = (y0 + 0.5 + (y1 - y0) * t) * s
            left, top = int(cx - width / 2 + 0.5), int(cy - width / 2 + 0.5)
            self.canvas.rect(left, top, left + width - 1, top + width - 1,
                             colour)

    def circle(self, cx, cy, r, colour, fill=True):
        s = self.scale
        mx, my, radius = (cx + 0.5) * s, (cy + 0.5) * s, r * s
        width = 0.6 * s
        for y in range(int(my - radius - 2 * s), int(my + radius + 2 * s) + 1):
            for x in range(int(mx - radius - 2 * s),
                           int(mx + radius + 2 * s) + 1):
                d = ((x + 0.5 - mx) ** 2 + (y + 0.5 - my) ** 2) ** 0.5
                if ((fill and d <= radius + 0.3 * s)
                        or (not fill and abs(d - radius) < width)):
                    self.canvas.put(x, y, colour)

    def text(self, x, y, label, colour):
        for ch in label:
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == '#':
                        self.put(x + col, y + row, colour)
            x += 6


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
# Light grey becomes the button face colour when the toolbar loads the strip.
FACE = (192, 192, 192)
INK = (30, 30, 60)
RED = (200, 30, 30)
BLUE = (40, 80, 190)
GREEN = (30, 140, 60)
ORANGE = (220, 120, 20)
GREY = (110, 110, 110)


def draw_alarm(c, x, y):  # a bell
    c.circle(x + 6, y + 6, 4, RED)
    c.rect(x + 1, y + 9, x + 11, y + 10, RED)
    c.rect(x + 5, y + 11, x + 7, y + 12, INK)


def draw_video_loss(c, x, y):  # a screen crossed out
    c.rect(x, y + 1, x + 12, y + 10, BLUE, fill=False)
    c.line(x + 2, y + 3, x + 10, y + 8, RED)
    c.line(x + 2, y + 8, x + 10, y + 3, RED)
    c.rect(x + 4, y + 11, x + 8, y + 12, INK)


def draw_clock(c, x, y):
    c.circle(x + 6, y + 6, 5, INK, fill=False)
    c.line(x + 6, y + 6, x + 6, y + 2, INK)
    c.line(x + 6, y + 6, x + 9, y + 6, RED)


def draw_title(c, x, y):  # a caption bar over a screen
    c.rect(x, y + 1, x + 12, y + 11, BLUE, fill=False)
    c.rect(x + 2, y + 3, x + 10, y + 4, ORANGE)


def draw_auto(c, x, y):  # two arrows going round
    c.circle(x + 6, y + 6, 5, GREEN, fill=False)
    c.rect(x + 9, y + 1, x + 12, y + 2, GREEN)
    c.rect(x, y + 10, x + 3, y + 11, GREEN)


def draw_adjust(c, x, y):  # half dark, half light: contrast
    c.circle(x + 6, y + 6, 5, INK, fill=False)
    for yy in range(y + 1, y + 12):
        for xx in range(x + 1, x + 7):
            if ((xx - x - 6) ** 2 + (yy - y - 6) ** 2) ** 0.5 <= 5:
                c.put(xx, yy, INK)


def draw_channel(c, x, y):  # split screen 2x2
    c.rect(x, y + 1, x + 12, y + 11, BLUE, fill=False)
    c.line(x + 6, y + 1, x + 6, y + 11, BLUE)
    c.line(x, y + 6, x + 12, y + 6, BLUE)
    c.rect(x + 2, y + 3, x + 4, y + 4, ORANGE)


def draw_format(c, x, y):  # scan lines
    c.rect(x, y + 1, x + 12, y + 11, INK, fill=False)
    for yy in (3, 5, 7, 9):
        c.line(x + 2, y + yy, x + 10, y + yy, GREY)


def draw_agc(c, x, y):  # rising bars
    for i, h in enumerate((3, 6, 9)):
        c.rect(x + 1 + 4 * i, y + 11 - h, x + 3 + 4 * i, y + 11, GREEN)


def draw_other(c, x, y):  # three dots
    for i in range(3):
        c.circle(x + 2 + 4 * i, y + 6, 1, INK)


BUTTONS = [
    (draw_alarm, "ALARM"), (draw_video_loss, "V.LOSS"), (draw_clock, "DATE"),
    (draw_title, "TITLE"), (draw_auto, "AUTO"), (draw_adjust, "ADJUST"),
    (draw_channel, "CH"), (draw_format, "FORMAT"), (draw_agc, "AGC"),
    (draw_other, "OTHER"),
]


def bmp24(canvas):
    row_bytes = (canvas.width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(canvas.pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (row_bytes - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1,
                       24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def toolbar(scale=1):
    """The strip at `scale` (1, 1.5 or 2): each picture 60x20 times it."""
    width, height = round(60 * scale), round(20 * scale)
    c = Canvas(width * len(BUTTONS), height, FACE)
    for i, (draw, label) in enumerate(BUTTONS):
        # Each picture on its own, so a rounding never runs into the next.
        picture = Canvas(width, height, FACE)
        pen = picture if scale == 1 else Scaled(picture, scale)
        draw(pen, 2, 3)
        pen.text(17, 7, label, INK)
        for y in range(height):
            c.pixels[y][width * i:width * (i + 1)] = picture.pixels[y]
    return c


def icon_image(size):
    c = Canvas(size, size, (0, 0, 0, 0))
    s = size / 32
    def sc(v):
        return int(round(v * s))
    navy = (20, 40, 110, 255)
    panes = [(230, 60, 60, 255), (60, 170, 80, 255), (250, 190, 40, 255),
             (70, 140, 240, 255)]
    c.rect(sc(1), sc(3), sc(30), sc(26), navy)
    c.rect(sc(2), sc(27), sc(29), sc(28), navy)
    c.rect(sc(12), sc(28), sc(19), sc(30), navy)
    boxes = [(4, 6, 15, 15), (17, 6, 27, 15), (4, 17, 15, 24),
             (17, 17, 27, 24)]
    for (x0, y0, x1, y1), colour in zip(boxes, panes):
        c.rect(sc(x0), sc(y0), sc(x1) - (1 if size < 32 else 0), sc(y1),
               colour)
    # 32-bit BGRA, bottom-up, then the 1-bit AND mask (all zero: alpha
    # decides).
    data = bytearray()
    for row in reversed(c.pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    data += b"\0" * (mask_row * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(data) - mask_row * size, 0, 0, 0, 0)
    return info + data


def icon():
    images = [icon_image(16), icon_image(32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image),
                           offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    for name, scale in (("toolbar.bmp", 1), ("toolbar_150.bmp", 1.5),
                        ("toolbar_200.bmp", 2)):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(bmp24(toolbar(scale)))
    with open(os.path.join(HERE, "vqx460.ico"), "wb") as f:
        f.write(icon())
