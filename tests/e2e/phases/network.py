"""Phase 9: the device behind a serial server on the network. The serial
settings dialog chooses RFC 2217 to ser2net on 127.0.0.1, which bridges the
simulator's pseudo-terminal; after a restart the status bar names the server
and a reply-paced send-all ends in "Success". Then a port nothing listens on:
the start shows the box naming the server. The COM port is chosen again at
the end, so the phases after this one find the program as they expect."""

import os
import shutil
import socket
import subprocess
import time

from vqxe2e.driver import IDOK, DriverError
from vqxe2e.session import Window

NET_HOST = "127.0.0.1"


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
                [str(env.builds.sim), "--link", str(link), "--log", str(out / "sim-net.log")],
                stdout=stdout, stderr=err)
        deadline = time.monotonic() + 5
        while not (ready.exists() and ready.stat().st_size) and time.monotonic() < deadline:
            time.sleep(0.05)
        device = os.path.realpath(link)
        config = work / "ser2net-e2e.yaml"
        config.write_text(
            "connection: &vqx\n"
            f"  accepter: telnet(rfc2217),tcp,{NET_HOST},{self.port}\n"
            f"  connector: serialdev,{device},9600e81,local\n"
            "  options:\n"
            "    kickolduser: true\n")
        log = open(out / "ser2net.log", "ab")
        self.server = subprocess.Popen(["ser2net", "-n", "-u", "-c", str(config)],
                                       stdout=log, stderr=subprocess.STDOUT)
        log.close()
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            with socket.socket() as probe:
                if probe.connect_ex((NET_HOST, self.port)) == 0:
                    return True
            time.sleep(0.1)
        return False

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

def run(s, only):
    ids = s.ids
    if shutil.which("ser2net") is None:
        s.log("ser2net is not installed: the network phase is skipped")
        return
    # COM1 opens as usual (an earlier phase may have taken it away) until
    # the network is chosen.
    s.env.wine_env_command("com1", str(s.env.work / "com1"))
    s.start_device("network-com1")
    # The device here is on RS-232C without an echo, whatever the phases
    # before left in the INI file.
    s.ini_set("rs_control", 0)
    s.ini_set("echo", 0)
    bridge = Bridge(s)
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
            place = f"rfc2217://{NET_HOST}:{bridge.port}"
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
            s.quit_check()

        with s.report.part("a refused connection"):
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

