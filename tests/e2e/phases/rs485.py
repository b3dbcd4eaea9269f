"""Phase 2: RS-485. After a restart against a device in RS-485 mode at
address 03: the slave-address list, addressed lines, a broadcast, the
address kept between dialogs. Then a read-all that keeps its address while
it reads (device 05, stopped by an "E3"), and an address scan whose one
answer comes after the scan has ended (device 31, 600 ms late)."""

from phases.alarm import broadcast


def addressed_lines(s):
    ids = s.ids
    with s.report.part("RS-485 device at address 03"):
        s.start_device("rs485", "--rs485", "--address", "3")
        s.start_program()
        alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
        s.equal("the slave address list is enabled after a restart in RS-485",
                alarm.enabled(ids.IDC_SLAVE_ADDRESS), True)
        s.expect_selected(alarm, ids.IDC_SLAVE_ADDRESS, 0)
        s.expect_items(alarm, ids.IDC_SLAVE_ADDRESS,
                       [f"{n:02d}" for n in range(32)] + ["Bloadcast"])
        alarm.select(ids.IDC_SLAVE_ADDRESS, 3)
        s.shot("13-alarm-dialog-rs485", alarm)
        s.send_and_expect("address 03 display ON", alarm, ids.IDC_ALARM_DISPLAY_SET,
                          b"03ADON\r\n")
        s.send_and_expect("address 03 mode Internal", alarm, ids.IDC_ALARM_MODE_SET,
                          b"03AMI\r\n")
        alarm.select(ids.IDC_SLAVE_ADDRESS, 32)
        broadcast(s, alarm, ids.IDC_ALARM_DISPLAY_SET, b"FFADON\r\n")
        s.close_dialog(alarm)
        alarm = s.open_dialog(ids.IDM_ALARM, "アラーム ")
        s.expect_selected(alarm, ids.IDC_SLAVE_ADDRESS, 32)
        s.close_dialog(alarm)
        s.quit_check()


def read_all_keeps_its_address(s):
    """A different address chosen mid-run would read the rest from another
    device: the list is off while the read-all runs, and on again once an
    error reply has stopped it."""
    ids = s.ids
    with s.report.part("read-all keeps its address (device 05, E3 to the 10th read)"):
        s.start_device("rs485-e3", "--rs485", "--address", "5", "--reply", "10=E3")
        s.start_program()
        dialog = s.open_dialog(ids.IDM_READ_ALL, "設定項目の読み込み")
        s.equal("the address list is enabled before the run",
                dialog.enabled(ids.IDC_SLAVE_ADDRESS), True)
        dialog.select(ids.IDC_SLAVE_ADDRESS, 5)
        dialog.click(ids.IDC_READ_ALL_START)
        s.expect_enabled("the address list is disabled while it reads", dialog,
                         ids.IDC_SLAVE_ADDRESS, False)
        s.shot("42-read-all-address-locked", dialog)
        s.expect_box("Error", "Command Error", 10, "43-box-read-all-stopped")
        s.expect_enabled("the address list is enabled again after the stop", dialog,
                         ids.IDC_SLAVE_ADDRESS, True)
        s.check("the dialog stays open", not dialog.is_gone(0.3), "it closed")
        reads = [line for _, line in s.wire.received()]
        s.check(f"the ten reads all went to 05 ({len(reads)} lines)",
                len(reads) == 10 and all(line.startswith(b"05R") for line in reads),
                f"the device received {reads!r}")
        s.close_dialog(dialog)
        s.quit_check()


def late_scan_answer(s):
    """The one device answers its probe 600 ms late, after the scan gave up
    on the last address and ended: no "Success" for it, and no row twice."""
    ids = s.ids
    with s.report.part("a late answer to the address scan (device 31, 600 ms)"):
        s.start_device("rs485-late", "--rs485", "--address", "31", "--delay-ms", "600")
        s.start_program()
        dialog = s.open_dialog(ids.IDM_SLAVE_ADDRESS, "機器のスレーブアドレス ")
        dialog.click(ids.IDC_SCAN_START)
        s.wait_for("the scan starts", lambda: dialog.text(ids.IDC_SCAN_START), "停止")
        s.wait_for("the scan ends", lambda: dialog.text(ids.IDC_SCAN_START), "検索",
                   timeout=40, interval=0.1)
        s.no_box("no \"Success\" within 1.5 s after the scan", "Success", 1500)
        s.check("the device did answer 31's probe",
                any(b" TX " in line and b"31VN" in line
                    for line in s.wire.sim_log.read_bytes().splitlines()),
                "no reply in the device's log")
        rows = dialog.lines(ids.IDC_SCAN_ANSWERS)
        s.check(f"31 is listed once or not at all: {rows}", rows in ([], ["31  VN1.00"]),
                f"found {rows}")
        s.shot("44-address-scan-late-answer", dialog)
        s.close_dialog(dialog)
        s.quit_check()


def run(s, only):
    # Phase 1 chose RS-485 in the serial settings dialog; alone, this phase
    # starts from that choice in the INI file.
    if only and "1" not in only:
        s.ini_set("rs_control", 1)
    for part in (addressed_lines, read_all_keeps_its_address, late_scan_answer):
        part(s)
        s.end_program()  # left running by a failed step
