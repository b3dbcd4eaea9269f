"""Phase 1: start-up, the About box, a second start, the alarm dialog against
an RS-232C device that answers and then fails on purpose, the serial
settings dialog and RS-485 without a restart."""

import datetime
import re
import time

from vqxe2e.driver import IDCANCEL, IDOK, DriverError
from vqxe2e.session import DIALOG_CLASS, MAIN_CLASS, MAIN_TITLE

WEEKDAYS = ["日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"]
HOLD_TIME_MESSAGE = "3秒以上を設定してください。"


def status_date(moment):
    weekday = WEEKDAYS[(moment.weekday() + 1) % 7]  # Python counts from Monday
    return f"{moment.year:4d}年{moment.month:2d}月{moment.day:2d}日  {weekday}"


def check_status_bar(s):
    """The status bar against this machine's clock: the date with the
    Japanese weekday in part 0, the time with full-width colons in part 1."""
    bar = s.ids.IDC_STATUS_BAR
    s.wait_for("the status bar shows the date", lambda: s.main.status(bar, 0),
               until=lambda text: bool(text) and not text.startswith("ERR"))
    date_text = s.main.status(bar, 0)
    time_text = s.main.status(bar, 1)
    now = datetime.datetime.now()
    expected = {status_date(now - datetime.timedelta(seconds=5)), status_date(now)}
    s.check(f"status bar date with weekday: {date_text}", date_text in expected,
            f"expected {status_date(now)!r}, found {date_text!r}")
    match = re.fullmatch(r"(\d\d)：(\d\d)：(\d\d)", time_text)
    if not match:
        s.check("status bar time with full-width colons", False, f"found {time_text!r}")
        return
    shown = int(match[1]) * 3600 + int(match[2]) * 60 + int(match[3])
    seconds = now.hour * 3600 + now.minute * 60 + now.second
    off = abs(seconds - shown) % 86400
    off = min(off, 86400 - off)
    s.check(f"status bar time with full-width colons: {time_text}", off <= 3,
            f"{off} s off this machine's clock")


def second_instance(s):
    second = s.env.start_program("second")
    s.expect_box(MAIN_TITLE, "２重に起動はできません", 20, "02-box-second-instance")
    code = s.wait_exit(second, 10)
    s.equal("the second instance ends with exit code 0", code, 0)
    if code is None:
        second.kill()
        second.wait()
    found = s.drv("find", MAIN_CLASS, MAIN_TITLE, 0).word(0)
    s.equal("the first instance is still there", found, s.main.hwnd)


def hold_time_refused(s, alarm, text, shot=None):
    ids = s.ids
    alarm.set_text(ids.IDC_ALARM_HOLD_TIME, text)
    alarm.click(ids.IDC_ALARM_HOLD_TIME_SET)
    s.expect_box("Error", HOLD_TIME_MESSAGE, 5, shot)
    s.nothing_sent(f"hold time {text!r}", settle=0.3)


def no_connect(s, alarm, button, line, shot):
    started = time.monotonic()
    alarm.click(button)
    s.expect_line(f"silent device: sends {line!r}", line)
    try:
        answer = s.drv("box", "Error", 12000)
    except DriverError as error:
        s.check("silent device: \"No Connect\" within 12 s", False, str(error))
        return
    elapsed = time.monotonic() - started
    box = s.find_dialog("Error", 0)
    s.shot(shot, box)
    box.click(IDOK)
    box.is_gone(3)
    s.equal("silent device: \"No Connect\"", answer.word(1), "No Connect")
    s.check(f"silent device: the box after 7.5 to 9 s (took {elapsed:.1f} s)",
            7.5 <= elapsed <= 9.0, f"took {elapsed:.2f} s")


def broadcast(s, dialog, button, line):
    dialog.click(button)
    s.expect_line(f"broadcast: sends {line!r}", line)
    s.no_box("broadcast: no \"No Connect\" within 9.5 s", "Error", 9500)
    s.equal("broadcast: no \"Success\" either",
            s.drv("count", DIALOG_CLASS, "Success").number, 0)


def run(s, only):
    ids = s.ids
    s.report.section("start-up (RS-232C)")
    # Commands 1-12 are answered "GO"; then one fault per command.
    s.start_device("rs232", "--reply", "13=E0", "--reply", "14=E1", "--reply", "15=E2",
                   "--reply", "16=E3", "--reply", "17=MENU", "--reply", "18=GN",
                   "--reply", "19=SILENT")
    s.start_program()
    with s.report.part("the main window"):
        s.no_box("the port opened and configured without an error box", "Error", 1500)
        s.equal("main window class VQX460, title", s.main.text(), MAIN_TITLE)
        s.shot("01-main-window", s.main)
        s.shot_screen("01-screen")
        check_status_bar(s)

    with s.report.part("About box and toolbar"):
        about = s.open_dialog(ids.IDM_ABOUT, "VQX460のﾊﾞｰｼﾞｮﾝ情報")
        s.shot("01-about-box", about)
        s.expect_text("the About box names the version", about, ids.IDC_ABOUT_VERSION,
                      "VQX460 Version 1.01")
        about.click(IDOK)
        s.check("the About box closes with OK", about.is_gone(3), "still open")
        alarm = s.open_dialog(ids.IDT_ALARM, "アラーム ")
        s.close_dialog(alarm, "Close ends the alarm dialog opened from the toolbar")

    with s.report.part("second instance"):
        second_instance(s)

    with s.report.part("alarm dialog, RS-232C"):
        alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
        s.shot("02-alarm-dialog", alarm)
        s.expect_items(alarm, ids.IDC_ALARM_MODE, ["Internal", "External"])
        s.expect_items(alarm, ids.IDC_ALARM_POLARITY, ["Make ", "Break"])
        s.expect_items(alarm, ids.IDC_ALARM_DISPLAY, ["OFF", " ON"])
        s.expect_items(alarm, ids.IDC_ALARM_RETURN, ["OFF", " ON"])
        s.expect_selected(alarm, ids.IDC_ALARM_MODE, 0)
        s.expect_selected(alarm, ids.IDC_ALARM_POLARITY, 0)
        s.expect_selected(alarm, ids.IDC_ALARM_DISPLAY, 1)
        s.expect_selected(alarm, ids.IDC_ALARM_RETURN, 1)
        s.expect_text("the hold time shows 030", alarm, ids.IDC_ALARM_HOLD_TIME, "030")
        s.equal("the slave address list is disabled in RS-232C",
                alarm.enabled(ids.IDC_SLAVE_ADDRESS), False)

        s.send_and_expect("mode Internal", alarm, ids.IDC_ALARM_MODE_SET, b"AMI\r\n",
                          shot="03-box-success")
        s.send_and_expect("hold time 030", alarm, ids.IDC_ALARM_HOLD_TIME_SET, b"ADT030\r\n")
        s.send_and_expect("polarity Make", alarm, ids.IDC_ALARM_POLARITY_SET, b"APM\r\n")
        s.send_and_expect("display ON", alarm, ids.IDC_ALARM_DISPLAY_SET, b"ADON\r\n")
        s.send_and_expect("return ON", alarm, ids.IDC_ALARM_RETURN_SET, b"ARON\r\n")
        for lst, index, button, line, name in (
            (ids.IDC_ALARM_MODE, 1, ids.IDC_ALARM_MODE_SET, b"AME\r\n", "mode External"),
            (ids.IDC_ALARM_POLARITY, 1, ids.IDC_ALARM_POLARITY_SET, b"APB\r\n",
             "polarity Break"),
            (ids.IDC_ALARM_DISPLAY, 0, ids.IDC_ALARM_DISPLAY_SET, b"ADOF\r\n", "display OFF"),
            (ids.IDC_ALARM_RETURN, 0, ids.IDC_ALARM_RETURN_SET, b"AROF\r\n", "return OFF"),
        ):
            alarm.select(lst, index)
            s.send_and_expect(name, alarm, button, line)

        s.report.section("hold time check")
        hold_time_refused(s, alarm, "", "04-box-hold-time")
        for text in ("2", "x12", "02"):
            hold_time_refused(s, alarm, text)
        for text, line in (("7", b"ADT007\r\n"), ("07x", b"ADT007\r\n"),
                           ("999", b"ADT999\r\n")):
            alarm.set_text(ids.IDC_ALARM_HOLD_TIME, text)
            s.send_and_expect(f"hold time {text!r}", alarm, ids.IDC_ALARM_HOLD_TIME_SET, line)
        s.expect_text("the hold time field keeps what was typed", alarm,
                      ids.IDC_ALARM_HOLD_TIME, "999")

        s.report.section("device errors")
        for reply, text, shot in (("E0", "Framing Error", "05-box-framing-error"),
                                  ("E1", "Parity Error", "06-box-parity-error"),
                                  ("E2", "Over Run Error", "07-box-over-run-error"),
                                  ("E3", "Command Error", "08-box-command-error"),
                                  ("MENU", "Menu Display", "09-box-menu-display"),
                                  ("GN", "Mode Error", "10-box-mode-error")):
            s.send_and_expect(f"{reply} reply", alarm, ids.IDC_ALARM_DISPLAY_SET, b"ADOF\r\n",
                              "Error", text, shot)
        no_connect(s, alarm, ids.IDC_ALARM_DISPLAY_SET, b"ADOF\r\n", "11-box-no-connect")
        s.close_dialog(alarm)

    with s.report.part("serial settings dialog"):
        serial = s.open_dialog(ids.IDM_SERIAL_SETTINGS, "シリアル通信の設定")
        s.expect_items(serial, ids.IDC_SERIAL_PORT, [f"COM {n}" for n in range(1, 7)])
        s.expect_items(serial, ids.IDC_SERIAL_LINE, ["RS-232C", "RS-485"])
        s.expect_selected(serial, ids.IDC_SERIAL_PORT, 0)
        s.expect_selected(serial, ids.IDC_SERIAL_LINE, 0)
        serial.select(ids.IDC_SERIAL_LINE, 1)
        s.shot("12-serial-settings-dialog", serial)
        s.expect_ini("choosing RS-485 writes rs_control=1 at once", "rs_control", 1)
        serial.select(ids.IDC_SERIAL_PORT, 2)
        s.expect_ini("choosing COM 3 writes com_port=2 at once", "com_port", 2)
        serial.select(ids.IDC_SERIAL_PORT, 0)
        s.expect_ini("choosing COM 1 again writes com_port=0", "com_port", 0)
        serial.click(IDOK)
        s.check("the set button closes the serial dialog", serial.is_gone(3), "still open")

    with s.report.part("RS-485 takes effect without a restart"):
        alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
        s.equal("the slave address list is enabled in RS-485",
                alarm.enabled(ids.IDC_SLAVE_ADDRESS), True)
        s.expect_selected(alarm, ids.IDC_SLAVE_ADDRESS, 0)
        alarm.click(ids.IDC_ALARM_DISPLAY_SET)
        s.expect_line("the display command goes out as 00ADOF", b"00ADOF\r\n")
        # The RS-232C device does not understand the prefixed line; its
        # answer is not for this program.
        time.sleep(0.5)
        s.close_boxes()
        alarm.click(IDCANCEL)
        alarm.is_gone(3)

    # The alarm choices made above are unsaved work.
    with s.report.part("quit with unsaved work"):
        s.quit_unsaved()
