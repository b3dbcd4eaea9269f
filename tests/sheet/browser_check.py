"""Checks the settings sheet as a real browser lays it out and prints it.

For each page (the factory settings, and a varied file with Japanese titles,
markup characters and repeated channels) this writes the sheet with
vqx460ctl, then lets headless Chromium:
  - take a PNG screenshot (out/sheet/<name>.png);
  - print it to PDF (out/sheet/<name>.pdf), which pdfinfo and pdftotext read
    back: A4 portrait pages, as many as expected, every title in the text;
  - lay out an instrumented copy and dump its DOM: a small script appended
    to the copy (never to the sheet) measures every table and picture and
    writes what it found into the DOM, so the check sees the browser's own
    layout: nothing wider than the printable width, every pane's channel
    number and title inside its pane.
The expected values come from `vqx460ctl show`, not from the sheet.
"""

import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

A4_WIDTH_PT = 595
A4_HEIGHT_PT = 842
# The sheet's printable width (A4 less two 15 mm margins) in CSS pixels.
PRINTABLE_WIDTH_PX = 180 / 25.4 * 96
LAYOUTS = [("4分割A", "layout_4a", 4), ("4分割B", "layout_4b", 4),
           ("6分割A", "layout_6a", 6), ("6分割B", "layout_6b", 6),
           ("9分割", "layout_9", 8)]

MEASURE = r"""
<script>
(function () {
  const found = {width: document.body.getBoundingClientRect().width,
                 overflowing: [], layouts: {}};
  const limit = document.body.getBoundingClientRect().right + 0.5;
  for (const el of document.querySelectorAll('table, figure, svg, h1, h2')) {
    const r = el.getBoundingClientRect();
    if (r.right > limit || el.scrollWidth > el.clientWidth + 1) {
      found.overflowing.push(el.tagName + ' ' + (el.className.baseVal ??
                                                el.className));
    }
  }
  for (const fig of document.querySelectorAll('figure.layout')) {
    const panes = [];
    for (const g of fig.querySelectorAll('g.pane')) {
      const box = g.querySelector('rect').getBoundingClientRect();
      const inside = (t) => {
        const r = t.getBoundingClientRect();
        return r.left >= box.left - 0.5 && r.right <= box.right + 0.5 &&
               r.top >= box.top - 0.5 && r.bottom <= box.bottom + 0.5;
      };
      const channel = g.querySelector('text.channel');
      const title = g.querySelector('text.title');
      panes.push({channel: channel.textContent, title: title.textContent,
                  channel_inside: inside(channel),
                  title_inside: title.textContent === '' || inside(title),
                  width: box.width, height: box.height});
    }
    found.layouts[fig.dataset.layout] = panes;
  }
  const pre = document.createElement('pre');
  pre.id = 'measured';
  pre.textContent = JSON.stringify(found);
  document.body.appendChild(pre);
})();
</script>
"""


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL: {what}")


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


def show(ctl, path):
    """The listing of a file: name -> value text."""
    listing = {}
    for line in run([ctl, "show", path], text=True).stdout.splitlines():
        name, _, value = line.partition(" = ")
        listing[name] = value
    return listing


def title_of(listing, channel):
    value = listing[f"title_text[ch.{channel:02d}]"]
    text = re.match(r'^"(.*)" \(\d+ bytes\)$', value).group(1)
    return text.rstrip("\u3000")


def placement(listing, field, panes):
    """The channel number (1..8) of each pane."""
    channels = []
    for pane in range(1, panes + 1):
        value = listing[f"{field}[pane {pane}]"]
        channels.append(int(value.split()[0]) + 1)
    return channels


def make_varied(ctl, folder):
    """The factory file with Japanese titles, markup characters, an empty
    title and repeated channels."""
    factory = os.path.join(folder, "factory.dat")
    run([ctl, "defaults", "-o", factory])
    names = list(show(ctl, factory))
    with open(factory, "rb") as f:
        lines = f.read().split(b"\r\n")
    titles = {1: "正門カメラ", 2: "駐車場<A&B>", 3: "\"倉庫\"", 4: "",
              5: "ＬＯＢＢＹ", 6: "事務所１", 7: "裏口", 8: "屋上ﾃｽﾄ"}
    for channel, title in titles.items():
        index = names.index(f"title_text[ch.{channel:02d}]")
        lines[index] = title.encode("cp932")
    changes = {"layout_9[pane 8]": 2, "layout_4a[pane 2]": 0,
               "layout_6b[pane 1]": 7, "alarm_mode": 1, "seq_dwell[9-split]": 15}
    for name, value in changes.items():
        lines[names.index(name)] = str(value).encode()
    varied = os.path.join(folder, "varied.dat")
    with open(varied, "wb") as f:
        f.write(b"\r\n".join(lines))
    return factory, varied


def browser(chromium, profile, *args):
    return run([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                "--hide-scrollbars", "--no-first-run",
                f"--user-data-dir={profile}", *args],
               text=True, timeout=60)


def render(chromium, html, out, name, work):
    """Screenshot, PDF and measured DOM of one page, in parallel."""
    instrumented = os.path.join(work, f"{name}-measured.html")
    with open(html, encoding="utf-8") as f:
        page = f.read()
    with open(instrumented, "w", encoding="utf-8") as f:
        f.write(page.replace("</body>", MEASURE + "</body>"))
    png = os.path.join(out, f"{name}.png")
    pdf = os.path.join(out, f"{name}.pdf")
    jobs = {
        "png": ["--window-size=794,2000", f"--screenshot={png}",
                "file://" + html],
        "pdf": ["--no-pdf-header-footer", f"--print-to-pdf={pdf}",
                "file://" + html],
        "dom": ["--window-size=794,2000", "--virtual-time-budget=2000",
                "--dump-dom", "file://" + instrumented],
    }
    results = {}
    with concurrent.futures.ThreadPoolExecutor(3) as pool:
        futures = {
            key: pool.submit(browser, chromium,
                             os.path.join(work, f"profile-{name}-{key}"),
                             *args)
            for key, args in jobs.items()}
        for key, future in futures.items():
            results[key] = future.result()
    dom = results["dom"].stdout
    measured = re.search(r'<pre id="measured">(.*?)</pre>', dom, re.S)
    found = json.loads(measured.group(1).replace("&quot;", '"')
                       .replace("&lt;", "<").replace("&gt;", ">")
                       .replace("&amp;", "&")) if measured else None
    return png, pdf, found


def check_page(checks, ctl, chromium, dat, name, out, work, site):
    html = os.path.join(out, f"{name}.html")
    run([ctl, "sheet", dat, "-o", html, "--site", site])
    listing = show(ctl, dat)
    started = time.monotonic()
    png, pdf, found = render(chromium, html, out, name, work)
    print(f"{name}: rendered in {time.monotonic() - started:.1f} s")

    checks.check(os.path.getsize(png) > 10_000, f"{name}: screenshot {png}")
    info = run(["pdfinfo", pdf], text=True).stdout
    pages = int(re.search(r"Pages:\s+(\d+)", info).group(1))
    size = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts", info)
    width, height = float(size.group(1)), float(size.group(2))
    print(f"{name}: {pages} pages of {width:.0f} x {height:.0f} pt")
    checks.check(round(width) == A4_WIDTH_PT and round(height) == A4_HEIGHT_PT,
                 f"{name}: A4 portrait pages, found {width} x {height}")
    checks.check(pages == 2, f"{name}: 2 pages expected, {pages} printed")
    text = run(["pdftotext", "-layout", pdf, "-"], text=True).stdout
    flat = re.sub(r"[\s\u3000]+", "", text)
    for channel in range(1, 9):
        title = re.sub(r"[\s\u3000]+", "", title_of(listing, channel))
        if title:
            checks.check(title in flat, f"{name}: title {title!r} in the PDF")
    checks.check(re.sub(r"\s+", "", site) in flat, f"{name}: site in the PDF")
    for field in ("alarm_mode", "layout_4a", "title_text"):
        checks.check(field not in text, f"{name}: no field name {field}")

    checks.check(found is not None, f"{name}: the browser measured the page")
    if found is None:
        return
    checks.check(found["width"] <= PRINTABLE_WIDTH_PX + 0.5,
                 f"{name}: page {found['width']:.0f} px wide, at most "
                 f"{PRINTABLE_WIDTH_PX:.0f}")
    checks.check(not found["overflowing"],
                 f"{name}: nothing wider than the page: {found['overflowing']}")
    for layout, field, count in LAYOUTS:
        panes = found["layouts"].get(layout, [])
        channels = placement(listing, field, count)
        checks.check(len(panes) == count,
                     f"{name} {layout}: {count} panes, found {len(panes)}")
        for number, (pane, channel) in enumerate(zip(panes, channels), 1):
            repeated = channels.count(channel) > 1
            expected = ("＊" if repeated else "") + f"ch.{channel:02d}"
            where = f"{name} {layout} pane {number}"
            checks.check(pane["channel"] == expected,
                         f"{where}: {expected!r}, shows {pane['channel']!r}")
            title = title_of(listing, channel) or "（空欄）"
            checks.check(pane["title"] == title,
                         f"{where}: title {title!r}, shows {pane['title']!r}")
            checks.check(pane["channel_inside"] and pane["title_inside"],
                         f"{where}: its texts lie inside the pane")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctl", required=True)
    parser.add_argument("--browser", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    checks = Checks()
    work = tempfile.mkdtemp(prefix="vqx-sheet-")
    started = time.monotonic()
    try:
        factory, varied = make_varied(args.ctl, work)
        for dat, name, site in ((factory, "factory", "工場出荷時"),
                                (varied, "varied", "本社ビル <1F> & \"B\"")):
            check_page(checks, args.ctl, args.browser, dat, name, args.out,
                       work, site)
    except (subprocess.SubprocessError, OSError, ValueError, KeyError,
            AttributeError) as error:
        checks.check(False, f"could not render or read back: {error}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"sheet: stage took {time.monotonic() - started:.1f} s")
    print(f"sheet: {checks.passed} passed, {checks.failed} failed")
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
