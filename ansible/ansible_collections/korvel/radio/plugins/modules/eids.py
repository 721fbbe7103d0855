# -*- coding: utf-8 -*-
# korvel.radio.eids: a radio's EID list brought to the list given, through
# korvelctl apply eids.

from __future__ import annotations

DOCUMENTATION = r'''
module: eids
short_description: Set a Korvel LoRa radio's EID list, writing only the blocks that differ
description:
  - Reads the radio's whole list of 200 EIDs with C(korvelctl apply eids).
    When it holds the list given already (the entries after the last one
    given are 0), nothing is written and nothing is committed, and the task is
    C(ok).
  - Otherwise only the blocks of 25 entries that hold a difference are
    written, then committed, and the list is read back. The task is
    C(changed) and returns the entries before and after.
version_added: 1.0.0
extends_documentation_fragment:
  - korvel.radio.line
options:
  eids:
    description:
      - The list, entry 1 first, at most 200 EIDs, each a whole number from 0 to
        10000000, or -1 for an unprogrammed entry; strings of them as a
        template gives them are taken too.
      - An empty list clears the radio's list (every entry 0).
      - Exactly one of I(eids) and I(src).
    type: list
    elements: raw
  src:
    description:
      - An EID file on the host the module runs on, as C(korvelctl write eids)
        takes it; one EID a line, or CSV as a spreadsheet saves it.
      - Exactly one of I(eids) and I(src).
    type: path
  column:
    description:
      - With I(src) as CSV, the column holding the EIDs, its number from 1 or
        its heading. Left out, the column headed C(EID), else the first.
    type: str
author:
  - Korvel developers
'''

EXAMPLES = r'''
- name: The meters this radio serves, from the installer's spreadsheet
  korvel.radio.eids:
    port: ttyUSB0
    address: "{{ rs485 }}"
    src: "meters-{{ inventory_hostname }}.csv"
    column: EID

- name: A short list given in the inventory
  korvel.radio.eids:
    port: "rfc2217://cabinet-7:2217"
    address: 5
    eids: "{{ meter_eids }}"
'''

RETURN = r'''
before:
  description: The entries that differ, by number from 1, as the radio held them.
  returned: always
  type: dict
  sample: {"3": 0}
after:
  description: Those entries as written (in check mode, as they would be).
  returned: always
  type: dict
  sample: {"3": 1234567}
address:
  description: The address the radio answers at (0 for 0x00).
  returned: success
  type: int
baud:
  description: The speed the radio answers at.
  returned: success
  type: int
'''

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korvel.radio.plugins.module_utils.korvelctl import (
    LINE_ARGS, apply, check_line, whole_number)

EID_COUNT = 200
EID_MAX = 10000000


def list_text(module):
    eids = module.params['eids']
    if len(eids) > EID_COUNT:
        module.fail_json(msg="eids holds %d EIDs; a radio takes at most %d" % (len(eids), EID_COUNT))
    lines = []
    for entry, value in enumerate(eids, 1):
        number = whole_number(value)
        if number is None or not -1 <= number <= EID_MAX:
            module.fail_json(msg="eids: entry %d must be a whole number from 0 to %d or -1, not %r"
                             % (entry, EID_MAX, value))
        lines.append('%d\n' % number)
    # korvelctl refuses a file without an EID, so that an export that came
    # out empty wipes nothing; an empty list here is asked for: the one
    # line 0 is korvelctl's way to say "every entry 0".
    return ''.join(lines) or '0\n'



def main():
    module = AnsibleModule(
        argument_spec=dict(LINE_ARGS, eids=dict(type='list', elements='raw'), src=dict(type='path'),
                           column=dict(type='str')),
        mutually_exclusive=[('eids', 'src'), ('eids', 'column')],
        required_one_of=[('eids', 'src')],
        supports_check_mode=True,
    )
    check_line(module)
    if module.params['src']:
        arguments = ['-i', module.params['src']]
        if module.params['column']:
            arguments += ['--column', module.params['column']]
        apply(module, 'eids', arguments)
        return
    text = list_text(module)
    handle, path = tempfile.mkstemp(prefix='korvel-eids-', suffix='.txt', dir=module.tmpdir)
    with os.fdopen(handle, 'w') as listing:
        listing.write(text)
    apply(module, 'eids', ['-i', path])


if __name__ == '__main__':
    main()
