# -*- coding: utf-8 -*-
# What the korvel.radio modules share: the options of the line, checked
# before korvelctl runs, and one run of `korvelctl apply ... --json` turned
# into a task result (changed, diff, the failure's own line).

from __future__ import annotations

import json

SPEEDS = [4800, 9600, 19200, 38400, 57600, 115200]

LINE_ARGS = dict(
    port=dict(type='str', required=True),
    address=dict(type='int'),
    baud=dict(type='int', choices=SPEEDS),
    wait=dict(type='int'),
    line_wait=dict(type='int'),
    executable=dict(type='path', default='korvelctl'),
)

# Whole-number options and the range korvelctl takes.
RANGES = dict(address=(1, 247), wait=(10, 1500), line_wait=(0, 3600))


def whole_number(value):
    """An integer, or a string of one as a template gives it; else None."""
    if isinstance(value, bool):
        return None
    if isinstance(value, int):
        return value
    if isinstance(value, str):
        text = value.strip()
        digits = text[1:] if text[:1] in '+-' else text
        if digits.isdigit():
            return int(text)
    return None


def check_line(module):
    """Fails the task on an option out of range, before anything runs."""
    if not module.params['port'].strip():
        module.fail_json(msg="port must name a serial port or a server (tcp://HOST:PORT, rfc2217://HOST:PORT)")
    for name, (low, high) in RANGES.items():
        value = module.params[name]
        if value is not None and not low <= value <= high:
            module.fail_json(msg="%s must be a whole number from %d to %d, not %r" % (name, low, high, value))


def line_arguments(module):
    args = ['--port', module.params['port'].strip()]
    for name, option in (('address', '--address'), ('baud', '--baud'), ('wait', '--wait'),
                         ('line_wait', '--line-wait')):
        if module.params[name] is not None:
            args += [option, str(module.params[name])]
    return args


def executable(module):
    given = module.params['executable']
    if '/' in given:
        return given
    return module.get_bin_path(given, required=True)


def _diff_text(values):
    return ''.join('%s: %s\n' % (key, values[key]) for key in values)


def _failure(stdout, stderr):
    """korvelctl's own message: its lines on stderr, without the usage hint."""
    lines = [line for line in stderr.splitlines()
             if line.strip() and not line.startswith("Try 'korvelctl --help'")]
    if not lines:
        lines = [line for line in stdout.splitlines() if line.strip()]
    return '\n'.join(lines) or 'korvelctl failed without a message'


def apply(module, kind, arguments):
    """Runs korvelctl apply KIND with the line's options and ARGUMENTS;
    exits the module with its result."""
    command = [executable(module), 'apply', kind] + line_arguments(module) + ['--json'] + arguments
    if module.check_mode:
        command.append('--check')
    rc, stdout, stderr = module.run_command(command, environ_update=dict(LC_ALL='C'))
    if rc != 0:
        module.fail_json(msg=_failure(stdout, stderr), rc=rc, cmd=command, stdout=stdout, stderr=stderr)
    try:
        report = json.loads(stdout)
    except ValueError:
        module.fail_json(msg='korvelctl gave no JSON document', rc=rc, cmd=command, stdout=stdout, stderr=stderr)
    where = module.params['port'].strip()
    if module.params['address'] is not None:
        where += ' address %d' % module.params['address']
    result = dict(
        changed=bool(report.get('changed')),
        before=report.get('before', {}),
        after=report.get('after', {}),
        address=report.get('address'),
        baud=report.get('baud'),
        diff=dict(before=_diff_text(report.get('before', {})), after=_diff_text(report.get('after', {})),
                  before_header='%s (device)' % where, after_header='%s (wanted)' % where),
    )
    if 'baud_at_restart' in report:
        result['baud_at_restart'] = report['baud_at_restart']
    for line in stderr.splitlines():
        if line.strip():
            module.warn(line)
    module.exit_json(**result)
