#!/usr/bin/env python3
"""The korvel.radio collection under the real ansible-playbook.

Three lines of three simulated radios each: one on a pseudo-terminal, two
behind ser2net on the loopback (raw tcp:// and rfc2217://); a fourth line
whose radio echoes every write wrongly; a radio nobody answers for, hosts
whose arguments are refused, and EID lists from spreadsheets, one refused. Every host runs at once (forks above the
host count). Runs: check mode with diffs (nothing written, what would change
reported), the first real run (exactly the radios that differ changed, the
faulty ones failed alone), a second run (nothing changed).

Usage: fleet_test.py KORVELCTL KORVEL_DEVSIM COLLECTIONS_DIR
"""

import json
import os
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FREQUENCY = '40302'  # RfFrequency in a state file; 470 from the factory

failures = []


def check(ok, what):
    print(('ok: ' if ok else 'FAIL: ') + what)
    if not ok:
        failures.append(what)


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def listening(port):
    """From the kernel's table: connecting would make ser2net open the line."""
    local = '0100007F:%04X' % port
    with open('/proc/net/tcp', encoding='ascii') as table:
        return any(f[1] == local and f[3] == '0A' for f in (line.split() for line in table) if len(f) > 3)


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.02)
    return True


class Line:
    """korvel-devsim on a pseudo-terminal of its own, with a state file."""

    def __init__(self, devsim, work, name, options):
        self.state = os.path.join(work, name + '.json')
        self.process = subprocess.Popen([devsim, '--pty', '--state', self.state] + options,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.pty = self.process.stdout.readline().strip()

    def image(self):
        """The committed images, one a device."""
        with open(self.state, encoding='utf-8') as state:
            document = json.load(state)
        return document.get('Devices', [document])

    def raw(self):
        """The file's bytes; None before the first commit writes it."""
        if not os.path.exists(self.state):
            return None
        with open(self.state, 'rb') as state:
            return state.read()

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


def ser2net(work, pty_raw, pty_telnet):
    raw, telnet = free_port(), free_port()
    config = os.path.join(work, 'ser2net.yaml')
    with open(config, 'w', encoding='ascii') as out:
        for accepter, port, pty in (('tcp', raw, pty_raw), ('telnet(rfc2217),tcp', telnet, pty_telnet)):
            out.write('connection: &c%d\n  accepter: %s,127.0.0.1,%d\n  connector: serialdev,%s,9600n81,local\n'
                      % (port, accepter, port, pty))
    process = subprocess.Popen(['ser2net', '-n', '-u', '-c', config, '-P', os.path.join(work, 'ser2net.pid')])
    up = wait_for(lambda: listening(raw) and listening(telnet), 10)
    return process, up, 'tcp://127.0.0.1:%d?baud=9600' % raw, 'rfc2217://127.0.0.1:%d' % telnet


def sheet(work, name, rows):
    path = os.path.join(work, name)
    with open(path, 'w', encoding='utf-8') as out:
        out.write('meter;place;EID\n' + ''.join('%d;cabinet;%s\n' % (n, eid) for n, eid in enumerate(rows, 1)))
    return path


def inventory(work, korvelctl, lines):
    a, b, c, d = lines
    hosts = {
        'a1': {'line': a, 'rs485': 1}, 'a2': {'line': a, 'rs485': 2, 'rf_frequency': '433'},
        'a3': {'line': a, 'rs485': 3},
        'b1': {'line': b, 'rs485': 1, 'rf_frequency': 433}, 'b2': {'line': b, 'rs485': 2, 'radio_eids': [1001, '1002']},
        'b3': {'line': b, 'rs485': 3, 'radio_eid_file': sheet(work, 'b3.csv', ['501', '502'])},
        'c1': {'line': c, 'rs485': 1, 'radio_eid_file': sheet(work, 'c1.csv', ['12 345'])}, 'c2': {'line': c, 'rs485': 2}, 'c3': {'line': c, 'rs485': 3, 'rf_frequency': 433},
        'silent': {'line': a, 'rs485': 9, 'reply_wait': 100},
        'echo': {'line': d, 'rs485': 7, 'rf_frequency': 433},
        'bad-address': {'line': a, 'rs485': 300},
        'bad-type': {'line': a, 'rs485': 1, 'rf_frequency': 'fast'},
        'bad-range': {'line': b, 'rs485': 1, 'rf_frequency': 99999},
    }
    document = {'radios': {'vars': {'ansible_connection': 'local', 'ansible_python_interpreter': '/usr/bin/python3',
                                    'korvelctl': korvelctl},
                           'hosts': hosts}}
    path = os.path.join(work, 'inventory.json')
    with open(path, 'w', encoding='utf-8') as out:
        json.dump(document, out)
    return path, len(hosts)


def playbook(work, collections, hosts_file, forks, *options):
    record = os.path.join(work, 'record.json')
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=collections, ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, 'callback_plugins'),
               ANSIBLE_CALLBACKS_ENABLED='record', KORVEL_ANSIBLE_RECORD=record, ANSIBLE_LOCAL_TEMP=os.path.join(work, 'tmp'),
               ANSIBLE_REMOTE_TEMP=os.path.join(work, 'tmp'), ANSIBLE_NOCOLOR='1', ANSIBLE_CONFIG=os.path.join(work, 'none.cfg'),
               ANSIBLE_HOME=os.path.join(work, 'home'))
    started = time.monotonic()
    run = subprocess.run(['ansible-playbook', '-i', hosts_file, '-f', str(forks), os.path.join(HERE, 'fleet.yml')]
                         + list(options), cwd=work, env=env, capture_output=True, text=True, timeout=240)
    print('ansible-playbook %s: exit %d in %.1f s' % (' '.join(options), run.returncode, time.monotonic() - started))
    with open(record, encoding='utf-8') as results:
        return run, json.load(results)


def hosts_with(results, task, status):
    return {r['host'] for r in results if r['task'] == task and r['status'] == status}


def result_of(results, task, host):
    return next(r for r in results if r['task'] == task and r['host'] == host)


PARAMS, EIDS = 'Radio parameters', 'Radio EIDs'
REFUSED = {'bad-address', 'bad-type', 'bad-range'}


def main():
    korvelctl, devsim, collections = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix='korvel-fleet-') as work:
        lines = [Line(devsim, work, name, options) for name, options in
                 (('a', ['--devices', '1,2,3']), ('b', ['--devices', '1,2,3']), ('c', ['--devices', '1,2,3']),
                  ('d', ['--devices', '7', '--fault', 'echo-value']))]
        server = None
        try:
            check(all(line.pty.startswith('/dev/') for line in lines), 'four simulators on pseudo-terminals')
            server, up, raw, telnet = ser2net(work, lines[1].pty, lines[2].pty)
            check(up, 'ser2net listens on the loopback')
            hosts_file, count = inventory(work, korvelctl, [lines[0].pty, raw, telnet, lines[3].pty])
            forks = count + 2
            before = [line.raw() for line in lines]

            for module, option in (('params', '- values'), ('eids', '- column')):
                doc = subprocess.run(['ansible-doc', 'korvel.radio.' + module], capture_output=True, text=True,
                                     env=dict(os.environ, ANSIBLE_COLLECTIONS_PATH=collections, ANSIBLE_NOCOLOR='1',
                                              ANSIBLE_HOME=os.path.join(work, 'home')))
                check(doc.returncode == 0 and option in doc.stdout and 'check mode' in doc.stdout,
                      'ansible-doc korvel.radio.%s documents the module' % module)

            run, results = playbook(work, collections, hosts_file, forks, '--check', '--diff')
            check([line.raw() for line in lines] == before, 'check mode: every state file as it was')
            check(hosts_with(results, PARAMS, 'changed') == {'a2', 'b1', 'c3', 'echo'},
                  'check mode: the radios that differ would change: %s' % sorted(hosts_with(results, PARAMS, 'changed')))
            check(hosts_with(results, EIDS, 'changed') == {'b2', 'b3'}, 'check mode: the EID lists that differ would change')
            a2 = result_of(results, PARAMS, 'a2')
            check(a2['diff'] and a2['diff']['before'] == 'RfFrequency: 470\n' and a2['diff']['after'] == 'RfFrequency: 433\n',
                  'check mode: the diff shows the value before and after: %r' % (a2['diff'],))
            check('RfFrequency: 470' in run.stdout and 'RfFrequency: 433' in run.stdout, '--diff prints it')
            check(hosts_with(results, PARAMS, 'failed') == {'silent'} | REFUSED, 'check mode: the silent and refused fail')

            run, results = playbook(work, collections, hosts_file, forks)
            check(run.returncode == 2, 'first run: ansible-playbook says hosts failed')
            check(hosts_with(results, PARAMS, 'changed') == {'a2', 'b1', 'c3'},
                  'first run: exactly the radios that differ changed: %s' % sorted(hosts_with(results, PARAMS, 'changed')))
            check(hosts_with(results, PARAMS, 'ok') == {'a1', 'a3', 'b2', 'b3', 'c1', 'c2'}, 'first run: the rest ok')
            check(hosts_with(results, PARAMS, 'failed') == {'silent', 'echo'} | REFUSED,
                  'first run: the faulty radios failed alone')
            check(hosts_with(results, EIDS, 'changed') == {'b2', 'b3'} and len(hosts_with(results, EIDS, 'ok')) == 6,
                  'first run: the EID lists that differ changed, the others not')
            bad_sheet = result_of(results, EIDS, 'c1')['msg']
            check(bad_sheet.startswith('korvelctl: %s: line 2, column 3: "12 345" is no EID' % os.path.join(work, 'c1.csv')),
                  'an EID file korvelctl refuses fails with its line: %s' % bad_sheet)
            frequencies = [[device['Parameters'][FREQUENCY] for device in line.image()] for line in lines[:3]]
            check(frequencies == [[470, 433, 470], [433, 470, 470], [470, 470, 433]],
                  'first run: the committed images hold the new values: %s' % frequencies)
            eids = [[lines[1].image()[device]['Eids'][register] for register in ('47001', '47003', '47005')]
                    for device in (1, 2)]
            check(eids == [[1001, 1002, 0], [501, 502, 0]], 'first run: the EID lists written: %s' % eids)
            echo = result_of(results, PARAMS, 'echo')['msg']
            check('writing RfFrequency (register 40302)' in echo and 'nothing committed' in echo,
                  'a radio whose echo differs fails uncommitted: %s' % echo)
            check(lines[3].raw() == before[3], 'its state file is as it was')
            silent = result_of(results, PARAMS, 'silent')['msg']
            check('reading RfTxPower (register 40301): no reply' in silent, 'a silent radio is named: %s' % silent)
            refused = {host: result_of(results, PARAMS, host) for host in REFUSED}
            check(refused['bad-address']['msg'] == 'address must be a whole number from 1 to 247, not 300'
                  and refused['bad-address']['cmd'] is None, 'an address out of range fails before korvelctl runs')
            check(refused['bad-type']['msg'] == "values: RfFrequency must be a whole number, not 'fast'"
                  and refused['bad-type']['cmd'] is None, 'a value of the wrong type fails before korvelctl runs')
            check(refused['bad-range']['msg'] == 'korvelctl: "RfFrequency" must be a whole number from 150 to 960, '
                  'not "99999"', "a value korvelctl refuses fails with its line: %s" % refused['bad-range']['msg'])

            after_first = [line.raw() for line in lines]
            run, results = playbook(work, collections, hosts_file, forks)
            changed = hosts_with(results, PARAMS, 'changed') | hosts_with(results, EIDS, 'changed')
            check(not changed, 'second run: nothing changed: %s' % sorted(changed))
            check(hosts_with(results, PARAMS, 'failed') == {'silent', 'echo'} | REFUSED, 'second run: the same failed')
            check([line.raw() for line in lines] == after_first, 'second run: no state file written')
        finally:
            if server:
                server.kill()
                server.wait(10)
            for line in lines:
                line.stop()
    print('%d failed' % len(failures) if failures else 'all passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
