"""The phases of the end-to-end suite, in the order they run. A phase is a
function of the session and the phases asked for (VQX_E2E_ONLY, empty for
all); it starts its own device and program and quits the program at its
end."""

from . import (alarm, dpi, files_and_sequences, network, no_com1, rs485, settings_dialogs,
               toolkit, unsaved_work)

PHASES = [
    (1, "the alarm dialog, errors and start-up (RS-232C)", alarm.run),
    (2, "RS-485: addressed lines, the read-all's address, a late scan answer", rs485.run),
    (3, "every settings dialog", settings_dialogs.run),
    (4, "titles, files, read-all and send-all at both paces", files_and_sequences.run),
    (5, "the installer's tools on an echoing RS-485 line", toolkit.run),
    (6, "no COM1", no_com1.run),
    (8, "screens of 100 %, 150 % and 200 % scaling", dpi.run),
    # Before 7, which ends the session of every program in the prefix.
    (9, "the device behind a serial server on the network (RFC 2217)", network.run),
    (7, "unsaved work and the end of the session", unsaved_work.run),
]
