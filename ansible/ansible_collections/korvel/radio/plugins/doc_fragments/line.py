# -*- coding: utf-8 -*-
# The options every korvel.radio module shares: where the radio is and how
# korvelctl reaches it.

from __future__ import annotations


class ModuleDocFragment:
    DOCUMENTATION = r'''
options:
  port:
    description:
      - The line the radio is on, as C(korvelctl --port) takes it, on the host
        the module runs on.
      - A serial port by name (C(ttyUSB0)) or path (C(/dev/serial/by-id/...)).
      - A serial device server, C(tcp://HOST:PORT) (the frames as they are;
        the server's own setting fixes the speed, so I(baud) is refused) or
        C(rfc2217://HOST:PORT) (Telnet with COM port control).
    type: str
    required: true
  address:
    description:
      - The radio's RS-485 address (ModbusID), 1 to 247, on a line shared by
        several radios.
      - Left out, requests go to address 0x00, which a radio alone on its
        cable answers whatever its address.
    type: int
  baud:
    description:
      - The line speed the radio answers at.
      - Left out, 9600.
    type: int
    choices: [4800, 9600, 19200, 38400, 57600, 115200]
  wait:
    description:
      - The wait for each reply in milliseconds, 10 to 1500.
      - Left out, 1500.
    type: int
  line_wait:
    description:
      - How long, in seconds (0 to 3600), to wait while another korvelctl uses
        the same line, as the tasks of the other radios of that line do.
        Radios of one line are served one after another; different lines at
        the same time.
      - Left out, 120.
    type: int
  executable:
    description:
      - The korvelctl program to run.
    type: path
    default: korvelctl
notes:
  - Runs C(korvelctl apply) on the host the task runs on. For radios on a
    cabinet PC's USB adapter, that is the cabinet PC (over SSH, as for any
    task); for radios behind serial device servers, the control node
    (C(ansible_connection=local), or C(delegate_to=localhost) on the task).
  - Nothing is written when the radio holds the values already; then
    C(changed) is false and no commit reaches the radio.
  - Supports check mode (nothing written; C(changed) says whether anything
    would be) and diff mode (the values before and after, of what differs).
  - A failure is the radio's host's alone and names the transaction that
    failed, as korvelctl's message does.
requirements:
  - korvelctl (the korvel package) on the host the module runs on
'''
