"""Phase 2: after a restart against a device in RS-485 mode at address 03:
the slave-address list, addressed lines, a broadcast, the address kept
between dialogs."""

from phases.alarm import broadcast


def run(s, only):
    ids = s.ids
    with s.report.part("RS-485 device at address 03"):
        # Phase 1 chose RS-485 in the serial settings dialog; alone, this
        # phase starts from that choice in the INI file.
        if only and "1" not in only:
            s.ini_set("rs_control", 1)
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
