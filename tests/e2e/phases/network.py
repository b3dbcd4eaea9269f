"""Phase 9: the device behind a serial server on the network. The serial
settings dialog chooses RFC 2217 to ser2net on 127.0.0.1, which bridges the
simulator's pseudo-terminal; after a restart the status bar names the server
and a reply-paced send-all ends in "Success". Then ser2net ends under the
running program: the next command shows the box naming the server and ends
in "No Connect", and once ser2net is back the command after it connects
again. Last a port nothing listens on: the start shows the box naming the
server. The COM port is chosen again at
the end, so the phases after this one find the program as they expect."""

import os
import shutil
import socket
import subprocess
import time

from vqxe2e.driver import IDOK, DriverError
from vqxe2e.session import Window
from vqxe2e.wire import Wire, poll

NET_HOST = "127.0.0.1"
CONNECT_FAILED = "ネットワーク接続に失敗しました: "


def free_port():
    with socket.socket() as probe:
        probe.bind((NET_HOST, 0))
        return probe.getsockname()[1]


class Bridge:
    """The simulator on a pseudo-terminal and ser2net in front of it."""

    def __init__(self, s):
        self.s = s
        self.sim = self.server = None
        self.port = free_port()

    def start(self):
        env = self.s.env
        work, out = env.work, env.out
        link = work / "net-tty"
        ready = work / "sim-net.out"
        ready.unlink(missing_ok=True)
        with open(ready, "wb") as stdout, open(out / "sim-net-stderr.log", "ab") as err:
            self.sim = subprocess.Popen(
                [str(env.builds.sim), "--link", str(link), "--log", str(self.sim_log)],
                stdout=stdout, stderr=err)
        deadline = time.monotonic() + 5
        while not (ready.exists() and ready.stat().st_size) and time.monotonic() < deadline:
            time.sleep(0.05)
        device = os.path.realpath(link)
        self.config = work / "ser2net-e2e.yaml"
        self.config.write_text(
            "connection: &vqx\n"
            f"  accepter: telnet(rfc2217),tcp,{NET_HOST},{self.port}\n"
            f"  connector: serialdev,{device},9600e81,local\n"
            "  options:\n"
            "    kickolduser: true\n")
        return self.start_server()

    @property
    def sim_log(self):
        return self.s.env.out / "sim-net.log"

    def start_server(self):
        """ser2net on the port; true once it accepts connections."""
        log = open(self.s.env.out / "ser2net.log", "ab")
        self.server = subprocess.Popen(["ser2net", "-n", "-u", "-c", str(self.config)],
                                       stdout=log, stderr=subprocess.STDOUT)
        log.close()
        return poll(self.listening, bool, 5, 0.1)[1]

    def kill_server(self):
        """ser2net ends at once, as a crashed server or a pulled cable
        would: the system closes its connections. True once nothing listens
        on the port any more."""
        self.server.kill()
        self.server.wait()
        return poll(self.listening, lambda on: not on, 3, 0.05)[1]

    def listening(self):
        with socket.socket() as probe:
            return probe.connect_ex((NET_HOST, self.port)) == 0

    def stop(self):
        running = [p for p in (self.server, self.sim) if p and p.poll() is None]
        for process in running:
            process.terminate()
        for process in running:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

def error_box(s, name, first_line, timeout_s, shot=None):
    """An "Error" box whose first line is `first_line`, closed with OK;
    returns its whole text ("" when none came)."""
    try:
        answer = s.drv("box", "Error", int(timeout_s * 1000))
    except DriverError as error:
        s.check(name, False, str(error))
        return ""
    box = Window(s, answer.word(0), "Error")
    if shot:
        s.shot(shot, box)
    text = answer.word(1)
    s.equal(name, text.split("\n")[0], first_line)
    box.click(IDOK)
    s.check("... and closes with OK", box.is_gone(3), "still open")
    return text


def dropped_connection(s, bridge, place):
    """ser2net ends under the running program. The next command finds the
    connection gone and cannot make it again: the box names the server and
    why, and the command, which never reached the device, ends in the
    watchdog's "No Connect" as on a silent device. Once ser2net is back,
    the command after that connects again and gets its answer."""
    ids = s.ids
    device = Wire(s.env.work / "no-tap", bridge.sim_log)
    alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
    seen = len(device.received())
    s.require("ser2net ended: nothing listens on its port", bridge.kill_server(),
              f"port {bridge.port} still answers")
    started = time.monotonic()
    alarm.click(ids.IDC_ALARM_DISPLAY_SET)
    text = error_box(s, "the command finds the connection gone: the box names the server",
                     CONNECT_FAILED + place, 5, "64-box-network-dropped")
    reason = text.split("\n")[1] if "\n" in text else ""
    s.check("... and says why", reason.startswith(f"connect to {NET_HOST} port {bridge.port}: "),
            f"second line {reason!r}")
    # Back before the watchdog gives up, so the wait below costs nothing.
    s.require("ser2net listens again on the same port", bridge.start_server(),
              f"nothing on port {bridge.port}")
    error_box(s, "the command that never went out ends in \"No Connect\"", "No Connect", 12)
    elapsed = time.monotonic() - started
    s.check(f"... after the watchdog's time (took {elapsed:.1f} s)", 7.5 <= elapsed <= 9.5,
            f"took {elapsed:.2f} s")
    s.equal("the device received nothing meanwhile", device.received()[seen:], [])
    s.wait_for("the status bar still names the server",
               lambda: s.main.status(ids.IDC_STATUS_BAR, 0),
               until=lambda found: found.endswith(place), timeout=2)

    alarm.click(ids.IDC_ALARM_DISPLAY_SET)
    s.wait_for("the next command connects again and reaches the device",
               lambda: [line for _, line in device.received()[seen:]], [b"ADON"], timeout=8)
    s.expect_box("Success", "Success", 5)
    s.close_dialog(alarm)


def run(s, only):
    ids = s.ids
    if shutil.which("ser2net") is None:
        s.log("ser2net is not installed: the network phase is skipped")
        return
    # COM1 opens as usual (an earlier phase may have taken it away) until
    # the network is chosen.
    s.env.wine_env_command("com1", str(s.env.work / "com1"))
    s.start_device("network-com1")
    # The device here is on RS-232C without an echo, and the dialogs carry
    # their usual captions, whatever the phases before left in the INI file.
    s.ini_set("rs_control", 0)
    s.ini_set("echo", 0)
    s.ini_set("select_number", 0)
    bridge = Bridge(s)
    place = f"rfc2217://{NET_HOST}:{bridge.port}"
    try:
        with s.report.part("the serial settings dialog chooses the network"):
            s.require("ser2net listens on 127.0.0.1", bridge.start(),
                      f"nothing on port {bridge.port}")
            s.start_program("network-choice")
            serial = s.open_dialog(ids.IDM_SERIAL_SETTINGS, "シリアル通信の設定")
            s.equal("the network is off at first", serial.checked(ids.IDC_SERIAL_NET_USE),
                    False)
            s.equal("its host box is greyed", serial.enabled(ids.IDC_SERIAL_NET_HOST), False)
            serial.click(ids.IDC_SERIAL_NET_USE)
            s.expect_ini("ticking the box writes net_kind=1", "net_kind", 1)
            serial.set_text(ids.IDC_SERIAL_NET_HOST, NET_HOST)
            serial.set_text(ids.IDC_SERIAL_NET_PORT, str(bridge.port))
            s.expect_ini("the host is written", "net_host", NET_HOST)
            s.expect_ini("the port is written", "net_port", bridge.port)
            s.expect_items(serial, ids.IDC_SERIAL_NET_KIND, ["RFC 2217", "TCP"])
            s.expect_selected(serial, ids.IDC_SERIAL_NET_KIND, 0)
            s.shot("60-serial-settings-network", serial)
            serial.click(IDOK)
            s.check("the set button closes the dialog", serial.is_gone(3), "still open")
            s.quit_check()

        with s.report.part("send-all through RFC 2217"):
            s.start_program("network")
            bar = ids.IDC_STATUS_BAR
            s.wait_for("the status bar names the server", lambda: s.main.status(bar, 0),
                       until=lambda text: text.endswith(place), timeout=5)
            s.shot("61-main-window-network", s.main)
            dialog = s.open_dialog(ids.IDM_SEND_ALL, "全項目の設定")
            if not dialog.checked(ids.IDC_SEND_ALL_FAST):
                dialog.click(ids.IDC_SEND_ALL_FAST)
            dialog.click(ids.IDC_SEND_ALL_START)
            s.check("the send-all finishes", dialog.is_gone(30), "still open after 30 s")
            s.expect_box("Success", "Success", 5, "62-box-network-send-all")

        with s.report.part("the connection dropped under the program"):
            s.require("the program still runs", s.main is not None)
            dropped_connection(s, bridge, place)
            s.quit_check()

        with s.report.part("a refused connection"):
            s.end_program()  # one a failed step above left running
            refused = free_port()
            s.ini_set("net_port", refused)
            s.start_program("network-refused")
            # The second line is the system's own text; the first names
            # the server.
            first = f"ネットワーク接続に失敗しました: rfc2217://{NET_HOST}:{refused}"
            try:
                answer = s.drv("box", "Error", 10000)
            except DriverError as error:
                s.check("a box names the server that refused", False, str(error))
            else:
                box = Window(s, answer.word(0), "Error")
                s.shot("63-box-network-refused", box)
                s.equal("the box names the server that refused",
                        answer.word(1).split("\n")[0], first)
                box.click(IDOK)
                s.check("the box closes with OK", box.is_gone(3), "still open")
            s.quit_check()
    finally:
        bridge.stop()
        s.end_program()
        s.env.stop_device()
        s.ini_set("net_kind", 0)

