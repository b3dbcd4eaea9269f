"""Phase 5: the installer's tools on an RS-485 line whose adapter echoes
every byte, with devices at 03 and 17: the address scan, the traffic log
window and its file, a reply-paced read-all compared with a file, and a
reply-paced send-all through the echoing line."""

import re
import time

from vqxe2e.driver import IDCANCEL, DriverError

from phases.files_and_sequences import ctl, make_device_state, wait_for_file


def address_scan(s):
    ids = s.ids
    with s.report.part("address scan"):
        dialog = s.open_dialog(ids.IDM_SLAVE_ADDRESS, "機器のスレーブアドレス ")
        started = time.monotonic()
        dialog.click(ids.IDC_SCAN_START)
        # The button reads 停止 while the scan runs and 検索 again after it.
        s.wait_for("the scan starts", lambda: dialog.text(ids.IDC_SCAN_START), "停止")
        s.wait_for("the scan ends", lambda: dialog.text(ids.IDC_SCAN_START), "検索",
                   timeout=40, interval=0.1)
        elapsed = time.monotonic() - started
        s.shot("38-address-scan", dialog)
        s.check(f"the scan takes seconds, not minutes ({elapsed:.1f} s)", elapsed < 30,
                f"{elapsed:.1f} s")
        s.equal("the scan lists the devices at 03 and 17", dialog.lines(ids.IDC_SCAN_ANSWERS),
                ["03  VN1.00", "17  VN1.00"])
        s.no_box("no box after the scan", "Success", 800)
        dialog.choose(ids.IDC_SCAN_ANSWERS, 1)
        s.expect_selected(dialog, ids.IDC_SLAVE_ADDRESS, 17)
        s.close_dialog(dialog)
        s.wire.skip()
        alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
        s.set_line("the next line carries the address chosen", alarm,
                   ids.IDC_ALARM_DISPLAY_SET, b"17ADON\r\n")
        s.close_dialog(alarm)


def traffic_log(s):
    ids = s.ids
    with s.report.part("traffic log window"):
        s.main.menu(ids.IDM_TRAFFIC_LOG)
        try:
            log = s.find_dialog("通信ログ", 5)
        except DriverError as error:
            s.require("menu 表示 > 通信ログ opens the log window", False, str(error))
        s.report.passes("menu 表示 > 通信ログ opens the log window")
        patterns = (
            ("the log shows the line sent with its address", r"\tTX\t17\tADON<CR><LF>\t"),
            ("the log marks the adapter's echo", r"\tRX\t17\tADON<CR><LF>\t送信した行のエコー"),
            ("the log shows the reply GO with its meaning", r"\tRX\t17\tGO<CR><LF>\tSuccess"),
        )
        # The window takes in new entries every 200 ms.
        for name, pattern in patterns:
            s.wait_for(name, lambda: log.lines(ids.IDC_LOG_LINES),
                       until=lambda rows, p=pattern: isinstance(rows, list) and
                       any(re.search(p, row) for row in rows), timeout=3)
        s.shot("39-traffic-log", log)
        log.click(ids.IDC_LOG_SAVE)
        saved = s.env.work / "traffic.txt"
        s.file_dialog("通信ログの保存", saved)
        wait_for_file(saved)
        data = saved.read_bytes() if saved.exists() else b""
        try:
            data.decode("utf-8")
            utf8 = True
        except UnicodeDecodeError:
            utf8 = False
        s.check("the saved log is UTF-8 text with the same lines",
                utf8 and b"ADON<CR><LF>" in data and b"Success" in data,
                f"{len(data)} bytes, UTF-8: {utf8}")
        log.click(ids.IDC_LOG_CLEAR)
        s.wait_for("クリア empties the window", lambda: len(log.lines(ids.IDC_LOG_LINES)), 0,
                   timeout=2)
        s.equal("the window does not block the main window", s.main.enabled(), True)
        s.close_dialog(log, "Close ends the log window")


def compare_after_read_all(s):
    ids = s.ids
    work = s.env.work
    with s.report.part("reply-paced read-all, then compare with a file"):
        dialog = s.open_dialog(ids.IDM_READ_ALL, "設定項目の読み込み")
        s.equal("the 高速 box starts unticked", dialog.checked(ids.IDC_READ_ALL_FAST), False)
        dialog.click(ids.IDC_READ_ALL_FAST)
        s.expect_ini("ticking 高速 writes fast=1 at once", "fast", 1)
        dialog.click(ids.IDC_READ_ALL_START)
        s.check("the reply-paced read-all ends in a few seconds", dialog.is_gone(15),
                "still open after 15 s")
        s.expect_box("Success", "Success", 5)
        s.no_box("every group was read", "Error", 1500)
        s.main.menu(ids.IDM_FILE_COMPARE)
        s.file_dialog("比較するファイル", work / "factory.dat")
        try:
            window = s.find_dialog("ファイルと比較", 5)
        except DriverError as error:
            s.require("the comparison window shows", False, str(error))
        s.shot("40-compare", window)
        rows = window.lines(ids.IDC_COMPARE_LIST)
        # Rows read "place: program → file", in the dialogs' words.
        shown = sorted(line.split(": ")[0] for line in rows)
        # The device started from device-state.dat; the address scan's test
        # then set its alarm display ON, as the factory file has it.
        expected = sorted(
            line.split(": ")[0]
            for line in ctl(s, "diff", "--words", work / "device-state.dat",
                            work / "factory.dat").splitlines()
            if " → " in line and not line.startswith("アラーム / 表示:"))
        s.check("the window lists exactly the fields the device changed",
                expected and shown == expected,
                f"only shown: {sorted(set(shown) - set(expected))}, "
                f"only expected: {sorted(set(expected) - set(shown))}")
        for row in ("アラーム / モード: External → Internal",
                    "タイトル ch.04: 玄関 → 　　　ＣＨ０４"):
            s.check(f"the window shows the difference in words: {row}", row in rows,
                    f"rows: {rows[:6]}")
        s.close_dialog(window)


def echo_send_all(s):
    ids = s.ids
    with s.report.part("reply-paced send-all through an echoing line"):
        dialog = s.open_dialog(ids.IDM_SEND_ALL, "全項目の設定")
        s.equal("the 高速 box remembers its choice", dialog.checked(ids.IDC_SEND_ALL_FAST), True)

        def to_17():
            return sum(1 for _, line in s.wire.received() if line.startswith(b"17"))

        before = to_17()
        started = time.monotonic()
        dialog.click(ids.IDC_SEND_ALL_START)
        s.check("the send-all finishes in a few seconds", dialog.is_gone(15),
                "still open after 15 s")
        elapsed = time.monotonic() - started
        s.log(f"reply-paced send-all took {elapsed:.1f} s")
        s.equal("78 lines to address 17, each answered", to_17() - before, 78)
        s.check(f"... in {elapsed:.1f} s, under 10 s", elapsed < 10, f"{elapsed:.1f} s")
        s.expect_box("Success", "Success", 5)
        s.no_box("no error box", "Error", 1000)


def run(s, only):
    work = s.env.work
    s.report.section("installer's tools (RS-485, echoing adapter, devices 03 and 17)")
    s.env.stop_device()
    if not (work / "device-state.dat").exists():
        make_device_state(s, work / "device-state.dat")
    s.ini_set("com_port", 0)
    s.ini_set("rs_control", 1)
    s.ini_set("echo", 1)
    s.ini_set("fast", 0)
    try:
        s.start_device("toolkit", "--rs485", "--address", "3", "--address", "17", "--echo",
                       "--state", work / "device-state.dat")
        s.start_program()
        address_scan(s)
        traffic_log(s)
        compare_after_read_all(s)
        echo_send_all(s)
        with s.report.part("quit"):
            s.quit_check()
    finally:
        s.end_program()
        s.ini_set("echo", 0)
        s.ini_set("fast", 0)
