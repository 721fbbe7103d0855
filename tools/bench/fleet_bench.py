#!/usr/bin/env python3
"""The Ansible collection over a fleet, against what it cannot go below.

Three lines of three simulated radios (one line a pseudo-terminal, two
behind ser2net on the loopback), one parameter differing on one radio of
each line. Each round measures, on simulators started afresh:

  playbook  ansible-playbook running korvel.radio.params on all nine radios
            at once (nine forks)
  no-op     the same inventory running ansible.builtin.ping: Ansible's own
            cost of nine hosts
  lines     each line's three korvelctl apply runs one after another, the
            lines side by side: the slowest line's time is what the radios
            themselves take

Goal: playbook <= no-op + 1.3 x slowest line. Prints a markdown table.

Usage: fleet_bench.py KORVELCTL KORVEL_DEVSIM COLLECTIONS_DIR [ROUNDS]
"""

import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

BAUD = 9600
RADIOS = (1, 2, 3)
WANTED = {'RfFrequency': 470, 'RfTxPower': 20, 'LocalNet': 5}


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def listening(port):
    local = '0100007F:%04X' % port
    with open('/proc/net/tcp', encoding='ascii') as table:
        return any(f[1] == local and f[3] == '0A' for f in (line.split() for line in table) if len(f) > 3)


class Fleet:
    """Three simulators paced at 9600 Bd, two behind ser2net."""

    def __init__(self, devsim, work):
        self.sims = [subprocess.Popen([devsim, '--pty', '--devices', '1,2,3', '--baud', str(BAUD), '--turnaround', '3'],
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
                     for _ in range(3)]
        ptys = [sim.stdout.readline().strip() for sim in self.sims]
        raw, telnet = free_port(), free_port()
        config = os.path.join(work, 'ser2net.yaml')
        with open(config, 'w', encoding='ascii') as out:
            for accepter, port, pty in (('tcp', raw, ptys[1]), ('telnet(rfc2217),tcp', telnet, ptys[2])):
                out.write('connection: &c%d\n  accepter: %s,127.0.0.1,%d\n  connector: serialdev,%s,%dn81,local\n'
                          % (port, accepter, port, pty, BAUD))
        self.server = subprocess.Popen(['ser2net', '-n', '-u', '-c', config, '-P', os.path.join(work, 'ser2net.pid')],
                                       stderr=subprocess.DEVNULL)
        end = time.monotonic() + 10
        while not (listening(raw) and listening(telnet)) and time.monotonic() < end:
            time.sleep(0.02)
        self.lines = [ptys[0], 'tcp://127.0.0.1:%d?baud=%d' % (raw, BAUD), 'rfc2217://127.0.0.1:%d' % telnet]

    def stop(self):
        self.server.kill()
        self.server.wait(10)
        for sim in self.sims:
            sim.terminate()
            sim.wait(10)


def values(line, radio):
    """One parameter differs on the middle radio of each line."""
    wanted = dict(WANTED)
    if radio == 2:
        wanted['RfFrequency'] = 433 + line
    return wanted


def inventory(work, korvelctl, fleet):
    hosts = {}
    for line, port in enumerate(fleet.lines):
        for radio in RADIOS:
            hosts['line%d-radio%d' % (line, radio)] = {'line': port, 'rs485': radio, 'wanted': values(line, radio)}
    path = os.path.join(work, 'inventory.json')
    with open(path, 'w', encoding='utf-8') as out:
        json.dump({'radios': {'vars': {'ansible_connection': 'local', 'ansible_python_interpreter': '/usr/bin/python3',
                                       'korvelctl': korvelctl},
                              'hosts': hosts}}, out)
    return path


PLAYBOOKS = {
    'apply': '''- hosts: radios
  gather_facts: false
  tasks:
    - korvel.radio.params:
        executable: "{{ korvelctl }}"
        port: "{{ line }}"
        address: "{{ rs485 }}"
        values: "{{ wanted }}"
''',
    'noop': '''- hosts: radios
  gather_facts: false
  tasks:
    - ansible.builtin.ping:
''',
}


def playbook(work, collections, hosts_file, name):
    path = os.path.join(work, name + '.yml')
    with open(path, 'w', encoding='utf-8') as out:
        out.write(PLAYBOOKS[name])
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=collections, ANSIBLE_LOCAL_TEMP=os.path.join(work, 'tmp'),
               ANSIBLE_HOME=os.path.join(work, 'home'), ANSIBLE_CONFIG=os.path.join(work, 'none.cfg'), ANSIBLE_NOCOLOR='1')
    started = time.monotonic()
    run = subprocess.run(['ansible-playbook', '-i', hosts_file, '-f', '9', path], cwd=work, env=env,
                         capture_output=True, text=True)
    took = time.monotonic() - started
    changed = run.stdout.count('changed: [')
    if run.returncode != 0:
        sys.exit('ansible-playbook %s failed:\n%s%s' % (name, run.stdout, run.stderr))
    return took, changed


def lines_by_hand(korvelctl, fleet):
    """Each line's radios one after another, the lines at once; each line's time."""
    took = [0.0] * len(fleet.lines)

    def one_line(line):
        started = time.monotonic()
        for radio in RADIOS:
            words = ['%s=%d' % item for item in values(line, radio).items()]
            subprocess.run([korvelctl, 'apply', 'params', '--port', fleet.lines[line], '--address', str(radio)] + words,
                           check=True, capture_output=True)
        took[line] = time.monotonic() - started

    threads = [threading.Thread(target=one_line, args=(line,)) for line in range(len(fleet.lines))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return took


def spread(samples):
    return '%.2f (%.2f–%.2f)' % (statistics.median(samples), min(samples), max(samples))


def main():
    korvelctl, devsim, collections = (os.path.abspath(path) for path in sys.argv[1:4])
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    figures = {'apply': [], 'noop': [], 'slowest': [], 'each': []}
    with tempfile.TemporaryDirectory(prefix='korvel-fleet-bench-') as work:
        for _ in range(rounds):
            for measure in ('apply', 'noop', 'lines'):
                fleet = Fleet(devsim, work)
                try:
                    hosts_file = inventory(work, korvelctl, fleet)
                    if measure == 'lines':
                        each = lines_by_hand(korvelctl, fleet)
                        figures['slowest'].append(max(each))
                        figures['each'].append(each)
                        continue
                    took, changed = playbook(work, collections, hosts_file, measure)
                    if measure == 'apply' and changed != 3:
                        sys.exit('the playbook changed %d radios, not 3' % changed)
                    figures[measure].append(took)
                finally:
                    fleet.stop()
    apply, noop, slowest = (statistics.median(figures[k]) for k in ('apply', 'noop', 'slowest'))
    goal = noop + 1.3 * slowest
    per_line = [statistics.median(round_[line] for round_ in figures['each']) for line in range(3)]
    print('| Measure | Time, s: median (min–max) of %d rounds |' % rounds)
    print('|---|---|')
    print('| Playbook: `korvel.radio.params` on 9 radios, 3 lines, 9 forks, 3 radios changed | %s |'
          % spread(figures['apply']))
    print('| Playbook: `ansible.builtin.ping` on the same 9 hosts (no-op) | %s |' % spread(figures['noop']))
    print('| korvelctl apply by hand, each line\'s 3 radios in turn, lines side by side: slowest line | %s |'
          % spread(figures['slowest']))
    print('| … each line (pty, tcp://, rfc2217://), medians | %s |' % ', '.join('%.2f' % t for t in per_line))
    print()
    print('Goal: playbook ≤ no-op + 1.3 × slowest line = %.2f + 1.3 × %.2f = %.2f s; measured %.2f s: %s.'
          % (noop, slowest, goal, apply, 'met' if apply <= goal else 'not met'))
    print('Playbook minus no-op: %.2f s, %.2f × the slowest line.' % (apply - noop, (apply - noop) / slowest))


if __name__ == '__main__':
    main()
