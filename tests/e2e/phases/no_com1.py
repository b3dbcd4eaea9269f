"""Phase 6: no COM1 at all. Each step of opening the port reports its
failure in order, then the main window shows; with select_number=-1 the
dialogs keep their templates' captions. The phases after this one find
select_number back at 0, whatever happened here."""

from vqxe2e.driver import DriverError
from vqxe2e.session import MAIN_CLASS, MAIN_TITLE, Window


def run(s, only):
    ids = s.ids
    try:
        with s.report.part("missing COM1"):
            s.env.stop_device()
            s.env.wine_env_command("no-com1")
            s.ini_set("select_number", -1)
            s.program = s.env.start_program("port-failure")
            for text, timeout, shot in (
                ("Miss! File Open", 30, "14-box-miss-file-open"),
                ("Miss! Mask Set", 5, "15-box-miss-mask-set"),
                ("Miss! Buffer Set", 5, "16-box-miss-buffer-set"),
                ("Miss! Time Out Set", 5, "17-box-miss-time-out-set"),
                ("Miss! Set Comm State", 5, "18-box-miss-set-comm-state"),
            ):
                s.expect_box("Error", text, timeout, shot)
            try:
                hwnd = s.drv("find", MAIN_CLASS, MAIN_TITLE, 10000).word(0)
            except DriverError as error:
                s.require("the main window shows after the port failures", False, str(error))
            s.report.passes("the main window shows after the port failures")
            s.main = Window(s, hwnd, MAIN_TITLE)
            s.no_box("no further box after the five port failures", "Error", 1000)
            alarm = s.open_dialog(ids.IDM_ALARM, "アラームの設定")
            s.shot("19-alarm-dialog-template-caption", alarm)
            s.close_dialog(alarm)
            s.quit_check()
    finally:
        s.end_program()
        s.ini_set("select_number", 0)
