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
    (10, "send-all refused in part, at both paces", files_and_sequences.run_refused),
    (5, "the installer's tools on an echoing RS-485 line", toolkit.run),
    (6, "no COM1", no_com1.run),
    (8, "screens of 100 %, 150 % and 200 % scaling", dpi.run),
    # Before 7, which ends the session of every program in the prefix.
    (9, "the device behind a serial server on the network (RFC 2217)", network.run),
    (7, "unsaved work and the end of the session", unsaved_work.run),
]

# About how long each phase takes, in seconds, measured in scripts/test
# (builds run beside the suite there): what the groups of --jobs are
# balanced by.
PHASE_SECONDS = {1: 25, 2: 38, 3: 38, 4: 103, 5: 30, 6: 6, 7: 16, 8: 43, 9: 20, 10: 47}


def phase_groups(numbers, count):
    """The phases split into `count` groups of about equal time, longest
    phase first into the group with the least; each group keeps the suite's
    order (phase 7 ends the session of every program in its prefix, so it
    comes last in its group)."""
    groups = [[] for _ in range(count)]
    load = [0] * count
    for number in sorted(numbers, key=lambda n: -PHASE_SECONDS.get(n, 30)):
        lightest = load.index(min(load))
        groups[lightest].append(number)
        load[lightest] += PHASE_SECONDS.get(number, 30)
    order = [number for number, _, _ in PHASES]
    return [sorted(group, key=order.index) for group in groups if group]
