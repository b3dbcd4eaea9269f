"""Phase 3: every settings dialog, opened from its menu command and its
toolbar button, against an RS-232C device on COM12 that answers every
command: its lists, a changed choice and the exact line of its set buttons,
the all-zero and duplicate-channel messages, choices kept after Close
without a set, and the video adjustment set-all."""

import datetime

from vqxe2e.driver import IDCANCEL, IDOK


def open_by_toolbar(s, button, caption):
    """The toolbar button opens the dialog, which Close closes."""
    dialog = s.open_dialog(button, caption)
    s.close_dialog(dialog, f"Close ends \"{caption}\" opened from the toolbar")


def enter_keeps_open(s, dialog):
    dialog.command(IDOK)
    s.check("Enter leaves the dialog open", not dialog.is_gone(0.5), "the dialog closed")


def serial_port_list(s):
    """The serial settings dialog lists the port above COM9 the program
    opened; the dialogs below all talk through it."""
    ids = s.ids
    with s.report.part("serial ports beyond COM6"):
        serial = s.open_dialog(ids.IDM_SERIAL_SETTINGS, "シリアル通信の設定")
        items = serial.items(ids.IDC_SERIAL_PORT)
        s.equal("COM 1..COM 6 come first", items[:6], [f"COM {n}" for n in range(1, 7)])
        chosen = serial.selected(ids.IDC_SERIAL_PORT)
        s.check("COM12 is listed and chosen",
                6 <= chosen < len(items) and items[chosen].startswith("COM12"),
                f"chosen item {chosen} of {items}")
        s.shot("41-serial-settings-com12", serial)
        s.equal("the echo box starts unticked", serial.checked(ids.IDC_SERIAL_ECHO), False)
        serial.close()
        s.check("the close box ends the serial dialog", serial.is_gone(3), "still open")


def video_loss(s):
    ids = s.ids
    with s.report.part("video loss dialog"):
        open_by_toolbar(s, ids.IDT_VIDEO_LOSS, "ビデオロス ")
        dialog = s.open_dialog(ids.IDM_VIDEO_LOSS, "ビデオロス ")
        s.shot("20-video-loss-dialog", dialog)
        s.expect_items(dialog, ids.IDC_VLOSS_CH1, ["OFF", " ON"])
        s.expect_items(dialog, ids.IDC_VLOSS_BACKGROUND, [" 黒", " 青"])
        s.expect_selected(dialog, ids.IDC_VLOSS_CH8, 1)
        s.expect_selected(dialog, ids.IDC_VLOSS_SIGNAL_OUTPUT, 0)
        s.equal("the slave address list is disabled in RS-232C",
                dialog.enabled(ids.IDC_SLAVE_ADDRESS), False)
        s.set_line("ch.05 ON", dialog, ids.IDC_VLOSS_CH5_SET, b"VL05ON\r\n")
        for lst, index, button, line, name in (
            (ids.IDC_VLOSS_CH8, 0, ids.IDC_VLOSS_CH8_SET, b"VL08OF\r\n", "ch.08 OFF"),
            (ids.IDC_VLOSS_BACKGROUND, 1, ids.IDC_VLOSS_BACKGROUND_SET, b"VLBCB\r\n",
             "background blue"),
            (ids.IDC_VLOSS_SIGNAL_OUTPUT, 1, ids.IDC_VLOSS_SIGNAL_OUTPUT_SET,
             b"VLSOON\r\n", "signal output ON"),
            (ids.IDC_VLOSS_DISPLAY, 0, ids.IDC_VLOSS_DISPLAY_SET, b"VLDOF\r\n",
             "display OFF"),
        ):
            dialog.select(lst, index)
            s.set_line(name, dialog, button, line)
        # A choice without its set button: nothing goes out, the choice stays.
        dialog.select(ids.IDC_VLOSS_CH1, 0)
        s.close_dialog(dialog)
        s.nothing_sent("closing the video loss dialog")
        dialog = s.open_dialog(ids.IDM_VIDEO_LOSS, "ビデオロス ")
        s.expect_selected(dialog, ids.IDC_VLOSS_CH1, 0)
        s.expect_selected(dialog, ids.IDC_VLOSS_CH8, 0)
        s.close_dialog(dialog)


def date_time(s):
    ids = s.ids
    with s.report.part("date and time dialog"):
        open_by_toolbar(s, ids.IDT_DATE_TIME, "日付・時刻 ")
        dialog = s.open_dialog(ids.IDM_DATE_TIME, "日付・時刻 ")
        s.shot("21-date-time-dialog", dialog)
        s.expect_items(dialog, ids.IDC_CLOCK_YEAR, [str(y) for y in range(2000, 2100)])
        s.expect_items(dialog, ids.IDC_CLOCK_DISPLAY, ["OFF", "ON "])
        s.equal("the year list opens on this year", dialog.selected(ids.IDC_CLOCK_YEAR),
                datetime.date.today().year - 2000)
        # The whole date and time as the lists show it.
        y, mo, d, h, mi, se = (dialog.selected(c) for c in (
            ids.IDC_CLOCK_YEAR, ids.IDC_CLOCK_MONTH, ids.IDC_CLOCK_DAY, ids.IDC_CLOCK_HOUR,
            ids.IDC_CLOCK_MINUTE, ids.IDC_CLOCK_SECOND))
        line = f"TDS{y:02d}{mo + 1:02d}{d + 1:02d}{h:02d}{mi:02d}{se:02d}\r\n".encode()
        s.set_line("年月日時分秒 from the lists", dialog, ids.IDC_CLOCK_DATE_TIME_SET, line)
        dialog.select(ids.IDC_CLOCK_MONTH, 2)
        s.set_line("month March", dialog, ids.IDC_CLOCK_MONTH_SET, b"DSM03\r\n")
        dialog.select(ids.IDC_CLOCK_MINUTE, 5)
        s.set_line("minute 5", dialog, ids.IDC_CLOCK_MINUTE_SET, b"TSM05\r\n")
        s.set_line("30-second correction", dialog, ids.IDC_CLOCK_CORRECTION_SET, b"TSA\r\n")
        dialog.select(ids.IDC_CLOCK_RANGE, 7)
        s.set_line("display range 　　　時分　", dialog, ids.IDC_CLOCK_RANGE_SET, b"TSDR8\r\n")
        dialog.select(ids.IDC_CLOCK_DISPLAY, 0)
        s.set_line("display OFF", dialog, ids.IDC_CLOCK_DISPLAY_SET, b"TSDOF\r\n")
        s.close_dialog(dialog)


def auto_switching(s):
    ids = s.ids
    with s.report.part("auto switching dialog"):
        open_by_toolbar(s, ids.IDT_AUTO_SWITCHING, "自動切換え ")
        dialog = s.open_dialog(ids.IDM_AUTO_SWITCHING, "自動切換え ")
        entries = dialog.items(ids.IDC_SEQ_ENTRY)
        s.check("the entry list holds ch.01 .. 9分割, 13 entries",
                len(entries) == 13 and "ch.01 " in entries and entries[-1] == "9分割 ",
                f"found {entries}")
        s.expect_items(dialog, ids.IDC_SEQ_MODE, ["単画面　", "分割画面", "ミックス"])
        s.expect_selected(dialog, ids.IDC_SEQ_COMMON_TIME, 3)
        s.set_line("times, defaults", dialog, ids.IDC_SEQ_TIMES_SET,
                   b"CASTM03030303030303030303030303\r\n")
        dialog.select(ids.IDC_SEQ_ENTRY, 10)
        dialog.select(ids.IDC_SEQ_TIME, 12)
        s.shot("22-auto-switching-dialog", dialog)
        s.set_line("6分割A at 12 s", dialog, ids.IDC_SEQ_TIMES_SET,
                   b"CASTM03030303030303030303120303\r\n")
        dialog.select(ids.IDC_SEQ_COMMON_TIME, 0)
        dialog.click(ids.IDC_SEQ_TIMES_SET)
        s.expect_box("Error",
                     "ch.01～ch.08, 4分割A～9分割を全て0秒に設定することはできません。",
                     5, "23-box-all-zero")
        s.nothing_sent("the all-zero times")
        dialog.select(ids.IDC_SEQ_COMMON_TIME, 5)
        dialog.select(ids.IDC_SEQ_MODE, 1)
        s.set_line("mode split", dialog, ids.IDC_SEQ_MODE_SET, b"CASMD\r\n")
        enter_keeps_open(s, dialog)
        s.close_dialog(dialog)
        dialog = s.open_dialog(ids.IDM_AUTO_SWITCHING, "自動切換え ")
        s.expect_selected(dialog, ids.IDC_SEQ_ENTRY, 10)
        s.expect_selected(dialog, ids.IDC_SEQ_TIME, 5)
        s.expect_selected(dialog, ids.IDC_SEQ_COMMON_TIME, 3)
        s.close_dialog(dialog)


def video_format(s):
    ids = s.ids
    with s.report.part("video format dialog"):
        open_by_toolbar(s, ids.IDT_VIDEO_FORMAT, "ビデオフォーマット ")
        dialog = s.open_dialog(ids.IDM_VIDEO_FORMAT, "ビデオフォーマット ")
        s.shot("24-video-format-dialog", dialog)
        s.expect_items(dialog, ids.IDC_FORMAT_COMMON,
                       ["AHD 1920", "AHD  720", "TVI 1920", "TVI  720", "CVI 1920",
                        "CVI  720", "NTSC    "])
        s.set_line("all, defaults", dialog, ids.IDC_FORMAT_SET_ALL, b"VF11111111\r\n")
        dialog.select(ids.IDC_FORMAT_COMMON, 4)
        dialog.select(ids.IDC_FORMAT_CH2, 1)
        s.set_line("CVI 1920 for all, ch.02 AHD 720", dialog, ids.IDC_FORMAT_SET_ALL,
                   b"VF52555555\r\n")
        dialog.select(ids.IDC_FORMAT_CH8, 2)
        s.set_line("ch.08 TVI 1920", dialog, ids.IDC_FORMAT_CH8_SET, b"VF083\r\n")
        s.close_dialog(dialog)
        dialog = s.open_dialog(ids.IDM_VIDEO_FORMAT, "ビデオフォーマット ")
        s.expect_selected(dialog, ids.IDC_FORMAT_COMMON, 4)
        s.close_dialog(dialog)


def agc(s):
    ids = s.ids
    with s.report.part("AGC dialog"):
        open_by_toolbar(s, ids.IDT_AGC, "オート・ゲイン・コントロール ")
        dialog = s.open_dialog(ids.IDM_AGC, "オート・ゲイン・コントロール ")
        s.shot("25-agc-dialog", dialog)
        s.expect_items(dialog, ids.IDC_AGC_CH5, ["OFF", " ON"])
        s.set_line("ch.06 ON", dialog, ids.IDC_AGC_CH6_SET, b"AGC06ON\r\n")
        dialog.select(ids.IDC_AGC_CH1, 0)
        s.set_line("ch.01 OFF", dialog, ids.IDC_AGC_CH1_SET, b"AGC01OF\r\n")
        s.set_line("ch.05 ON", dialog, ids.IDC_AGC_CH5_SET, b"AGC05ON\r\n")
        s.close_dialog(dialog)


def slave_address(s):
    ids = s.ids
    with s.report.part("slave address dialog"):
        dialog = s.open_dialog(ids.IDM_SLAVE_ADDRESS, "機器のスレーブアドレス ")
        s.shot("26-slave-address-dialog", dialog)
        s.equal("the list is usable in RS-232C too", dialog.enabled(ids.IDC_SLAVE_ADDRESS),
                True)
        s.expect_selected(dialog, ids.IDC_SLAVE_ADDRESS, 0)
        dialog.select(ids.IDC_SLAVE_ADDRESS, 7)
        s.close_dialog(dialog)
        s.nothing_sent("choosing an address")
        dialog = s.open_dialog(ids.IDM_SLAVE_ADDRESS, "機器のスレーブアドレス ")
        s.expect_selected(dialog, ids.IDC_SLAVE_ADDRESS, 7)
        dialog.select(ids.IDC_SLAVE_ADDRESS, 0)
        s.close_dialog(dialog)


def display_channel(s):
    ids = s.ids
    with s.report.part("display channel dialog"):
        open_by_toolbar(s, ids.IDT_DISPLAY_CHANNEL, "表示チャンネル ")
        dialog = s.open_dialog(ids.IDM_DISPLAY_CHANNEL, "表示チャンネル ")
        s.shot("27-display-channel-dialog", dialog)
        screens = dialog.items(ids.IDC_SCREEN)
        s.check("the screen list holds 14, ending with 9分割 and 自動",
                len(screens) == 14 and screens[-2:] == ["9分割 ", "自動  "], f"found {screens}")
        s.expect_items(dialog, ids.IDC_LAYOUT_9_PANE8, [f"ch.0{n} " for n in range(1, 9)])
        s.set_line("screen ch.01", dialog, ids.IDC_SCREEN_SET, b"CS01\r\n")
        for index, line, name in ((7, b"CS08\r\n", "screen ch.08"),
                                  (12, b"CD9\r\n", "screen 9-split"),
                                  (13, b"CCAS\r\n", "automatic switching")):
            dialog.select(ids.IDC_SCREEN, index)
            s.set_line(name, dialog, ids.IDC_SCREEN_SET, line)
        s.set_line("4A", dialog, ids.IDC_LAYOUT_4A_SET, b"SPD4A01020304\r\n")
        s.set_line("4A Don't", dialog, ids.IDC_LAYOUT_4A_SET_N, b"SPD4AN01020304\r\n")
        s.set_line("4B", dialog, ids.IDC_LAYOUT_4B_SET, b"SPD4B05060708\r\n")
        s.set_line("6B Don't", dialog, ids.IDC_LAYOUT_6B_SET_N, b"SPD6BN010203040708\r\n")
        dialog.select(ids.IDC_LAYOUT_9_PANE1, 2)
        dialog.select(ids.IDC_LAYOUT_9_PANE8, 2)
        dialog.click(ids.IDC_LAYOUT_9_SET)
        s.expect_box("Error", "同じチャンネルは､設定できません！", 5, "28-box-duplicate-channel")
        s.nothing_sent("a duplicate 9-split")
        s.set_line("6A while 9 holds a duplicate", dialog, ids.IDC_LAYOUT_6A_SET,
                   b"SPD6A010203040506\r\n")
        dialog.select(ids.IDC_LAYOUT_9_PANE1, 0)
        dialog.select(ids.IDC_LAYOUT_9_PANE8, 7)
        s.set_line("9 Don't", dialog, ids.IDC_LAYOUT_9_SET_N, b"SPD9N0102030405060708\r\n")
        s.close_dialog(dialog)


def other_settings(s):
    ids = s.ids
    with s.report.part("other settings dialog"):
        open_by_toolbar(s, ids.IDT_OTHER_SETTINGS, "その他 ")
        dialog = s.open_dialog(ids.IDM_OTHER_SETTINGS, "その他 ")
        s.shot("29-other-settings-dialog", dialog)
        s.expect_items(dialog, ids.IDC_OTHER_BORDER_LINE, ["黒色", "灰色", "白色", "OFF"])
        s.expect_items(dialog, ids.IDC_OTHER_OSD_OFFSET_H, [f"{n:02d}" for n in range(16)])
        # Every set button with a choice changed in its list (the lines of
        # the defaults are pinned by the unit tests).
        for lst, index, button, line, name in (
            (ids.IDC_OTHER_CONNECTOR_INPUT, 1, ids.IDC_OTHER_CONNECTOR_INPUT_SET,
             b"CIR\r\n", "connector REMOTE"),
            (ids.IDC_OTHER_POWER_ON_SCREEN, 4, ids.IDC_OTHER_POWER_ON_SCREEN_SET,
             b"POSS05\r\n", "power-on ch.05"),
            (ids.IDC_OTHER_POWER_ON_SCREEN, 13, ids.IDC_OTHER_POWER_ON_SCREEN_SET,
             b"POSCAS\r\n", "power-on automatic"),
            (ids.IDC_OTHER_BORDER_LINE, 3, ids.IDC_OTHER_BORDER_LINE_SET, b"BLO\r\n",
             "border OFF"),
            (ids.IDC_OTHER_OSD_OFFSET_H, 15, ids.IDC_OTHER_OSD_OFFSET_H_SET, b"OOH15\r\n",
             "OSD offset horizontal 15"),
            (ids.IDC_OTHER_OSD_OFFSET_V, 0, ids.IDC_OTHER_OSD_OFFSET_V_SET, b"OOV00\r\n",
             "OSD offset vertical 00"),
            (ids.IDC_OTHER_OSD_SIZE_SINGLE, 0, ids.IDC_OTHER_OSD_SIZE_SINGLE_SET,
             b"CTFSSS\r\n", "OSD size single SMALL"),
            (ids.IDC_OTHER_OSD_SIZE_SPLIT, 1, ids.IDC_OTHER_OSD_SIZE_SPLIT_SET,
             b"CTFSDL\r\n", "OSD size split LARGE"),
            (ids.IDC_OTHER_BUTTON_LOCK, 1, ids.IDC_OTHER_BUTTON_LOCK_SET, b"LON\r\n",
             "button lock ON"),
            (ids.IDC_OTHER_NTSC_ASPECT, 1, ids.IDC_OTHER_NTSC_ASPECT_SET, b"NARF\r\n",
             "NTSC aspect FULL"),
        ):
            dialog.select(lst, index)
            s.set_line(name, dialog, button, line)
        enter_keeps_open(s, dialog)
        s.close_dialog(dialog)
        dialog = s.open_dialog(ids.IDM_OTHER_SETTINGS, "その他 ")
        s.expect_selected(dialog, ids.IDC_OTHER_BUTTON_LOCK, 1)
        s.close_dialog(dialog)


def adjustment_set_all_lines():
    """The 40 lines of 全設定 after the choices below: brightness, contrast,
    sharpness, hue, saturation, channels 1-8 each."""
    lines = b""
    for adjustment in ("B", "C", "SH", "H", "SA"):
        for channel in range(1, 9):
            value = {"B": "127" if channel == 2 else "000", "C": "064",
                     "SH": "31" if channel == 8 else "00",
                     "H": "255" if channel == 2 else "000", "SA": "080"}[adjustment]
            lines += f"VA{adjustment}0{channel}{value}\r\n".encode()
    return lines


def video_adjustment(s):
    ids = s.ids
    with s.report.part("video adjustment dialog"):
        open_by_toolbar(s, ids.IDT_VIDEO_ADJUSTMENT, "ビデオ映像の調整 ")
        dialog = s.open_dialog(ids.IDM_VIDEO_ADJUSTMENT, "ビデオ映像の調整 ")
        brightness = dialog.items(ids.IDC_ADJUST_BRIGHTNESS)
        s.check("the brightness list runs -64 .. 63",
                len(brightness) == 128 and brightness[0] == "-64 " and brightness[-1] == " 63 ",
                f"{len(brightness)} items, {brightness[:2]} .. {brightness[-2:]}")
        s.expect_items(dialog, ids.IDC_ADJUST_CHANNEL, [f"ch.0{n}  " for n in range(1, 9)])
        s.set_line("brightness ch.01", dialog, ids.IDC_ADJUST_BRIGHTNESS_SET,
                   b"VAB01000\r\n")
        s.set_line("contrast ch.01", dialog, ids.IDC_ADJUST_CONTRAST_SET, b"VAC01064\r\n")
        dialog.select(ids.IDC_ADJUST_CHANNEL, 7)
        dialog.select(ids.IDC_ADJUST_SHARPNESS, 31)
        s.set_line("sharpness ch.08 31", dialog, ids.IDC_ADJUST_SHARPNESS_SET,
                   b"VASH0831\r\n")
        dialog.select(ids.IDC_ADJUST_CHANNEL, 1)
        dialog.select(ids.IDC_ADJUST_HUE, 255)
        s.set_line("hue ch.02 255", dialog, ids.IDC_ADJUST_HUE_SET, b"VAH02255\r\n")
        dialog.select(ids.IDC_ADJUST_BRIGHTNESS, 63)
        s.set_line("brightness -01 travels as 127", dialog, ids.IDC_ADJUST_BRIGHTNESS_SET,
                   b"VAB02127\r\n")
        s.shot("30-video-adjustment-dialog", dialog)

        # "全設定": the 40 lines in order, about 100 ms apart, Close disabled
        # meanwhile.
        dialog.click(ids.IDC_ADJUST_SET_ALL)
        s.expect_enabled("set-all disables Close while it runs", dialog, IDCANCEL, False)
        s.wait_for("Close is enabled again after the run", lambda: dialog.enabled(IDCANCEL),
                   True, timeout=15)
        s.expect_line("set-all sends the 40 lines in order", adjustment_set_all_lines(), 40)
        times = s.wire.rx_times(40)
        span = times[-1] - times[0] if len(times) == 40 else -1
        s.check(f"set-all lines about 100 ms apart (39 gaps in {span} ms)",
                3500 <= span <= 5500, f"{span} ms")
        # The run's own "GO" answers show nothing; the run holds on for the
        # last one and then ends with a single "Success".
        s.expect_box("Success", "Success", 5)
        s.no_box("only one \"Success\"", "Success", 800)
        s.close_dialog(dialog)


def run(s, only):
    s.report.section("settings dialogs (RS-232C, on COM12)")
    s.env.stop_device()
    s.ini_set("rs_control", 0)
    # The device on a port above COM9, as USB adapters often get: opened
    # as \\.\COM12 and listed in the serial settings dialog.
    s.env.wine_env_command("port", "12", str(s.env.work / "com1"))
    try:
        s.ini_set("com_port", 11)
        s.start_device("dialogs")
        s.start_program()
        serial_port_list(s)
        video_loss(s)
        date_time(s)
        auto_switching(s)
        video_format(s)
        agc(s)
        slave_address(s)
        display_channel(s)
        other_settings(s)
        video_adjustment(s)
        # The choices made in the dialogs are unsaved work.
        with s.report.part("quit"):
            s.quit_unsaved()
    finally:
        s.end_program()
        s.env.wine_env_command("unmap-port", "12")
