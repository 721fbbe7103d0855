# -*- coding: utf-8 -*-
# korvel.radio.params: a radio's parameters brought to the values given,
# through korvelctl apply params.

from __future__ import annotations

DOCUMENTATION = r'''
module: params
short_description: Set a Korvel LoRa radio's parameters, writing only what differs
description:
  - Reads the parameters named from the radio with C(korvelctl apply params).
    When the radio holds them already, nothing is written and nothing is
    committed, and the task is C(ok).
  - Otherwise only the parameters that differ are written, then committed;
    the radio is followed to a new C(ModbusID) or C(BaudRate) and read back.
    The task is C(changed) and returns the values before and after.
  - A radio that echoes another value than was written gets no commit; the
    task fails naming the parameter.
version_added: 1.0.0
extends_documentation_fragment:
  - korvel.radio.line
options:
  values:
    description:
      - The parameters as a mapping NAME -> value, with the names of a
        korvelctl parameter file (C(ModbusID), C(BaudRate), C(OffLineTime),
        C(DataUplinkCycle), C(LocalNet), C(TimeMark), C(RfTxPower),
        C(RfFrequency), C(RfBandWidth), C(RfSf), C(RfLeadCode), C(TxTimeout),
        C(RxTimeout), C(RssiOut)).
      - Each value is a whole number, or a string of one as a template gives
        it. A list field holds its item index; C(BaudRate) also takes the
        speed in Bd (C(115200)).
      - Names and ranges are checked by korvelctl before anything is sent.
      - Exactly one of I(values) and I(src).
    type: dict
  src:
    description:
      - A korvelctl parameter file (one JSON object, as C(korvelctl read params)
        writes it) on the host the module runs on.
      - Exactly one of I(values) and I(src).
    type: path
author:
  - Korvel developers
'''

EXAMPLES = r'''
# Radios behind serial device servers: each radio is an inventory host whose
# task runs on the control node, all lines at once.
#
# inventory.yml:
#   radios:
#     vars:
#       ansible_connection: local
#       ansible_python_interpreter: /usr/bin/python3
#     hosts:
#       cab7-radio5:  {line: "rfc2217://cabinet-7:2217", rs485: 5}
#       cab7-radio17: {line: "rfc2217://cabinet-7:2217", rs485: 17}
#       cab9-radio5:  {line: "tcp://192.0.2.9:4001?baud=9600", rs485: 5}
- name: Radio network settings
  korvel.radio.params:
    port: "{{ line }}"
    address: "{{ rs485 }}"
    values:
      LocalNet: "{{ network_id }}"
      RfFrequency: 433
      RfTxPower: 20

# Radios on a cabinet PC's USB adapter: the task runs on the cabinet PC over
# SSH, where the adapter is.
#
# inventory.yml:
#   radios:
#     hosts:
#       cab3-radio5:  {ansible_host: cabinet-3.example.org, rs485: 5}
#       cab3-radio6:  {ansible_host: cabinet-3.example.org, rs485: 6}
- name: Radio settings from a file kept for each radio
  korvel.radio.params:
    port: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
    address: "{{ rs485 }}"
    src: "/etc/korvel/{{ inventory_hostname }}.json"
'''

RETURN = r'''
before:
  description: The values the radio held, of the parameters that differ.
  returned: always
  type: dict
  sample: {"RfFrequency": 470}
after:
  description: The values written (in check mode, that would be written).
  returned: always
  type: dict
  sample: {"RfFrequency": 433}
address:
  description: The address the radio answers at now (0 for 0x00).
  returned: success
  type: int
baud:
  description: The speed the radio answers at now.
  returned: success
  type: int
baud_at_restart:
  description: The speed a radio that takes a new speed over only at a restart will answer at then.
  returned: when the radio kept its old speed
  type: int
'''

import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korvel.radio.plugins.module_utils.korvelctl import (
    LINE_ARGS, apply, check_line, whole_number)


def assignments(module):
    words = []
    for name, value in module.params['values'].items():
        if not re.match(r'^[A-Za-z][A-Za-z0-9]*$', str(name)):
            module.fail_json(msg="values: %r is no parameter name" % (name,))
        number = whole_number(value)
        if number is None:
            module.fail_json(msg="values: %s must be a whole number, not %r" % (name, value))
        words.append('%s=%d' % (name, number))
    if not words:
        module.fail_json(msg="values must name at least one parameter")
    return words


def main():
    module = AnsibleModule(
        argument_spec=dict(LINE_ARGS, values=dict(type='dict'), src=dict(type='path')),
        mutually_exclusive=[('values', 'src')],
        required_one_of=[('values', 'src')],
        supports_check_mode=True,
    )
    check_line(module)
    arguments = ['-i', module.params['src']] if module.params['src'] else assignments(module)
    apply(module, 'params', arguments)


if __name__ == '__main__':
    main()
