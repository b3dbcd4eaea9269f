"""Phase 7: unsaved work and the end of the session. A choice changed in the
alarm, video adjustment or display channel dialog is work that 新規作成, 開く
and 終了 ask about and that answering No keeps; after a save, a dialog
opened and closed without a change asks nothing. The end of the Windows
session (`wineboot --end-session`, as a logoff) asks what 終了 asks: Yes
ends the program with exit code 0, No saves first, and a cancelled save
keeps the program and holds the session up. With nothing unsaved the
program ends without a word.

Runs last: the end of a session reaches every program in the prefix."""

from vqxe2e.driver import IDNO, IDYES
from vqxe2e.session import MAIN_CLASS, NEW_QUESTION, OPEN_QUESTION, QUIT_QUESTION

from phases.files_and_sequences import caption_check


class Choice:
    """A list of a settings dialog whose pick is stored in the record."""

    def __init__(self, menu, caption, control):
        self.menu, self.caption, self.control = menu, caption, control

    def change(self, s):
        """Picks another item than the one shown, closes; returns its index."""
        dialog = s.open_dialog(getattr(s.ids, self.menu), self.caption)
        index = 1 if dialog.selected(getattr(s.ids, self.control)) == 0 else 0
        dialog.select(getattr(s.ids, self.control), index)
        s.close_dialog(dialog)
        return index

    def kept(self, s, index):
        dialog = s.open_dialog(getattr(s.ids, self.menu), self.caption)
        s.equal(f"the work is kept: {self.control} shows item {index}",
                dialog.selected(getattr(s.ids, self.control)), index)
        s.close_dialog(dialog)


ALARM = Choice("IDM_ALARM", "アラーム ", "IDC_ALARM_MODE")
ADJUSTMENT = Choice("IDM_VIDEO_ADJUSTMENT", "ビデオ映像の調整 ", "IDC_ADJUST_CONTRAST")
LAYOUT = Choice("IDM_DISPLAY_CHANNEL", "表示チャンネル ", "IDC_LAYOUT_4A_PANE1")


def still_running(s, name):
    s.check(name, s.program.poll() is None and
            s.drv("find", MAIN_CLASS, "-", 2000).word(0) == s.main.hwnd,
            "the program has ended")


def file_menu_questions(s):
    ids = s.ids
    saved = s.env.work / "unsaved.dat"
    with s.report.part("a changed alarm choice: 新規作成, 開く and 終了 ask"):
        index = ALARM.change(s)
        s.main.menu(ids.IDM_FILE_NEW)
        s.answer_question(NEW_QUESTION, IDNO, "45-question-new")
        s.main.menu(ids.IDM_FILE_OPEN)
        s.answer_question(OPEN_QUESTION, IDNO, "46-question-open")
        s.no_box("No to 開く shows no file dialog", "ファイルのオープン", 800)
        s.main.menu(ids.IDM_FILE_EXIT)
        s.answer_question(QUIT_QUESTION, IDNO, "47-question-quit")
        s.file_dialog_cancel("ファイルの保存")
        still_running(s, "a cancelled save keeps the program running")
        ALARM.kept(s, index)
        s.main.menu(ids.IDM_FILE_SAVE_AS)
        s.file_dialog("ファイルの保存", saved)
        s.wait_for("the file saved holds the alarm choice",
                   lambda: saved.read_bytes().split(b"\r\n")[0] if saved.exists() else b"",
                   str(index).encode(), timeout=3)
        caption_check(s, "unsaved.dat")

    for choice, command, question in ((ADJUSTMENT, ids.IDM_FILE_NEW, NEW_QUESTION),
                                      (LAYOUT, ids.IDM_FILE_OPEN, OPEN_QUESTION)):
        with s.report.part(f"a changed {choice.control} choice: {ids.name(command)} asks"):
            before = saved.read_bytes() if saved.exists() else b""
            index = choice.change(s)
            s.main.menu(command)
            s.answer_question(question, IDNO)
            choice.kept(s, index)
            s.main.menu(ids.IDM_FILE_SAVE)
            s.wait_for("上書き保存 writes the change",
                       lambda: saved.exists() and saved.read_bytes() != before, True, timeout=3)

    with s.report.part("after a save, dialogs closed without a change ask nothing"):
        for choice in (ALARM, ADJUSTMENT, LAYOUT):
            dialog = s.open_dialog(getattr(ids, choice.menu), choice.caption)
            if choice is ALARM:  # the item already stored, picked again
                control = getattr(ids, choice.control)
                dialog.select(control, dialog.selected(control))
            if choice is LAYOUT:  # which screen to show is no stored value
                dialog.select(ids.IDC_SCREEN, 5)
            s.close_dialog(dialog)
        s.main.menu(ids.IDM_FILE_OPEN)
        s.no_question("開く asks nothing")
        s.file_dialog_cancel("ファイルのオープン")


def session_end_clean(s):
    with s.report.part("the end of the session, nothing unsaved"):
        wineboot = s.env.end_session("clean")
        s.no_question("the end of the session asks nothing", 1500)
        s.expect_exit("the program ends with the session")
        s.equal("wineboot --end-session exits 0", s.wait_exit(wineboot, 10), 0)


def session_end_unsaved(s):
    with s.report.part("the end of the session with unsaved work"):
        ALARM.change(s)
        wineboot = s.env.end_session("no")
        s.answer_question(QUIT_QUESTION, IDNO, "48-question-session-end")
        s.file_dialog_cancel("ファイルの保存")
        s.equal("a cancelled save holds the session up: wineboot exits 1",
                s.wait_exit(wineboot, 10), 1)
        still_running(s, "... and the program runs on")
        wineboot = s.env.end_session("yes")
        s.answer_question(QUIT_QUESTION, IDYES)
        s.expect_exit("Yes ends the program with the session")
        s.equal("wineboot --end-session exits 0", s.wait_exit(wineboot, 10), 0)


def run(s, only):
    s.report.section("unsaved work and the end of the session (RS-232C)")
    s.env.stop_device()
    # Phase 6 took COM1 away and kept the templates' captions.
    s.env.wine_env_command("com1", str(s.env.work / "com1"))
    for key, value in (("select_number", 0), ("rs_control", 0), ("com_port", 0)):
        s.ini_set(key, value)
    s.start_device("unsaved")
    s.start_program()
    file_menu_questions(s)
    if s.program.poll() is not None:  # ended by a failed step
        s.end_program()
        s.start_program()
    session_end_clean(s)
    s.end_program()
    s.start_program()
    session_end_unsaved(s)
