# Records every task result of a playbook run as one JSON document, for the
# fleet test to read: host, task, status, and what the module returned.

from __future__ import annotations

import json
import os

from ansible.plugins.callback import CallbackBase

DOCUMENTATION = r'''
name: record
type: aggregate
short_description: every task result into the file named by KORVEL_ANSIBLE_RECORD
description: For the fleet test only.
'''


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'aggregate'
    CALLBACK_NAME = 'record'
    CALLBACK_NEEDS_ENABLED = True

    def __init__(self):
        super().__init__()
        self.results = []

    def _keep(self, result, status):
        kept = {key: result._result.get(key) for key in ('msg', 'before', 'after', 'diff', 'cmd', 'rc')}
        kept.update(host=result._host.get_name(), task=result._task.get_name(), status=status,
                    changed=bool(result._result.get('changed')))
        self.results.append(kept)

    def v2_runner_on_ok(self, result):
        self._keep(result, 'changed' if result._result.get('changed') else 'ok')

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._keep(result, 'failed')

    def v2_runner_on_unreachable(self, result):
        self._keep(result, 'unreachable')

    def v2_playbook_on_stats(self, stats):
        with open(os.environ['KORVEL_ANSIBLE_RECORD'], 'w', encoding='utf-8') as out:
            json.dump(self.results, out, indent=1)
