#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The exact tools, native against WebAssembly, on a generated set with heavy designs.

Usage: compare_tools.py NATIVE_CLI WASM_CLI [--seed S] [--typical N] [--only TOOL]

Runs the audit (one case and a batch), curves, strategies, plan, design and evaluate
through both command lines on the same arguments, in json and in text and csv: typical
designs from a fixed seed, heavy ones (many comparisons, large backgrounds, DCFPs near 1
and tiny), DCFPs that tie an exact CFP (the decision rests on exact fractions there),
requests the tools refuse, and generated monitoring data. Standard output, standard error
and the exit status must be identical byte for byte. Exits 77 (skipped) when NATIVE_CLI
does not exist. WASM_CLI (velmora-cli.mjs) runs every request in one Node.js process
(cli_server.mjs), as the page's worker runs its requests on one module.
"""
import argparse
import base64
import json
import os
import random
import subprocess
import sys
import tempfile
import time

FORMATS = ['json', 'text', 'csv']

# Heavy designs: DCFP, n, r.
HEAVY = [('0.05', '1000', '1000'), ('0.01', '5000', '200'), ('0.9999', '300', '2000'),
         ('1e-9', '3000', '50'), ('0.2', '20000', '100')]

# DCFPs equal to an exact CFP: 1:1 with one comparison has CFP k / (n + 1) at rank k.
TIES = [('0.05', '19', '1'), ('0.1', '39', '1'), ('0.03', '99', '1'), ('0.5', '3', '1')]


def typical(rng):
    n = rng.randint(4, 120)
    r = rng.randint(1, 60)
    dcfp = rng.choice(['%.4g' % rng.uniform(0.001, 0.5), '0.05', '0.1', '%.3g' % 10 ** rng.uniform(-6, -1)])
    return dcfp, str(n), str(r)


def data_file(rng, path):
    """A monitoring data file: background and compliance wells, non-detects and ties among them."""
    lines = ['well,role,event,constituent,unit,value']
    for constituent in ['arsenic', 'zinc']:
        for w in range(rng.randint(2, 5)):
            for event in range(1, rng.randint(4, 12)):
                lines.append('BG-%d,background,%d,%s,ppb,%s' % (w + 1, event, constituent, value(rng)))
        for w in range(rng.randint(1, 4)):
            for event in range(1, rng.randint(2, 8)):
                lines.append('CW-%d,compliance,%d,%s,ppb,%s' % (w + 1, event, constituent, value(rng, 1.2)))
    with open(path, 'w', encoding='ascii') as f:
        f.write('\n'.join(lines) + '\n')


def value(rng, scale=1.0):
    if rng.random() < 0.2:
        return '<' + rng.choice(['0.5', '1', '.50'])
    return '%.2f' % (rng.uniform(0.3, 3.0) * scale)


def requests(rng, typical_count, data_paths, batch_path):
    """Every argument vector to run, after the tool's name."""
    out = []
    designs = [typical(rng) for _ in range(typical_count)] + HEAVY + TIES
    for i, (dcfp, n, r) in enumerate(designs):
        fmt = FORMATS[i % 3]
        heavy = (dcfp, n, r) in HEAVY
        out.append(['--dcfp', dcfp, '--n', n, '--r', r, '--audit', '--format', fmt])
        out.append(['strategies', '--dcfp', dcfp, '--n', n, '--r', r, '--format', FORMATS[(i + 1) % 3]])
        if not heavy or int(n) <= 1000:
            out.append(['curves', '--dcfp', dcfp, '--n', n, '--r', r, '--format', FORMATS[(i + 2) % 3]])
        out.append(['plan', '--dcfp', dcfp, '--r', r, '--format', fmt])
    for fmt in FORMATS:
        out.append(['--batch', batch_path, '--audit', '--format', fmt])
        out.append(['strategies', '--dcfp', '0.02085164', '--n', '20', '--r', '10', '--rank', '2', '--shifted', '3',
                    '--rules', '1-of-2,california-3,1-of-2/median-3', '--format', fmt])
        out.append(['curves', '--dcfp', '0.05', '--n', '40', '--r', '20', '--rule', '2-of-3', '--format', fmt])
        out.append(['plan', '--dcfp', '0.0104807', '--r', '40', '--rule', 'modified-california', '--format', fmt])
        out.append(['plan', '--dcfp', '0.0104807', '--r', '40', '--rank', '2', '--test', '1:3', '--format', fmt])
        out.append(['design', '--wells', '20', '--constituents', '10', '--evaluations', '2', '--format', fmt])
        out.append(['design', '--wells', '7', '--constituents', '3', '--evaluations', '4', '--swfpr', '0.05',
                    '--n', '60', '--audit', '--format', fmt])
        for path in data_paths:
            out.append(['evaluate', '--data', path, '--rule', 'modified-california', '--rank', '1', '--format', fmt])
            out.append(['evaluate', '--data', path, '--rule', '1-of-2', '--dcfp', '0.05', '--r', '10', '--format', fmt])
    # Requests the tools refuse, each with its message and exit status.
    out += [['--dcfp', '0', '--n', '20', '--r', '5', '--audit'],
            ['strategies', '--dcfp', '0.05', '--n', 'x', '--r', '10'],
            ['strategies', '--dcfp', '0.05', '--n', '20', '--r', '10', '--rules', '5-of-2'],
            ['curves', '--dcfp', '2', '--n', '20', '--r', '5', '--format', 'json'],
            ['plan', '--dcfp', '0.05', '--r', '9000'],
            ['design', '--wells', '0', '--constituents', '10', '--evaluations', '2'],
            ['evaluate', '--data', data_paths[0], '--rule', '1-of-2', '--rank', '99999'],
            ['evaluate', '--data', data_paths[0], '--rule', '1-of-2', '--dcfp', '1e-12', '--r', '10']]
    return out


def run(cli, args):
    start = time.monotonic()
    done = subprocess.run([cli] + args, capture_output=True)
    return done.returncode, done.stdout, done.stderr, time.monotonic() - start


class WasmServer:
    """velmora-cli.mjs's requests, one after another, in one Node.js process."""

    def __init__(self, mjs):
        server = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'cli_server.mjs')
        self.process = subprocess.Popen(['node', server, mjs], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def run(self, args):
        start = time.monotonic()
        self.process.stdin.write((json.dumps(args) + '\n').encode())
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError('cli_server.mjs ended at: %s' % ' '.join(args))
        answer = json.loads(line)
        return (answer['status'], base64.b64decode(answer['stdout']), base64.b64decode(answer['stderr']),
                time.monotonic() - start)

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('native')
    parser.add_argument('wasm')
    parser.add_argument('--seed', type=int, default=27)
    parser.add_argument('--typical', type=int, default=12)
    parser.add_argument('--only', help='run only the requests whose first word is this')
    options = parser.parse_args()
    if not os.path.exists(options.native):
        print('no native command line at %s: skipped' % options.native)
        return 77
    rng = random.Random(options.seed)
    failed = 0
    total = 0
    times = [0.0, 0.0]
    wasm_server = WasmServer(options.wasm)
    with tempfile.TemporaryDirectory() as folder:
        data_paths = []
        for i in range(2):
            path = os.path.join(folder, 'data%d.csv' % i)
            data_file(rng, path)
            data_paths.append(path)
        data_paths.append(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'examples',
                                       'mercury.csv'))
        batch_path = os.path.join(folder, 'batch.csv')
        with open(batch_path, 'w', encoding='ascii') as f:
            f.write('dcfp,n,r,j\n' + ''.join('%s,%s,%s\n' % typical(rng) for _ in range(20)) +
                    '0.1,20,0\n0.05,19,1\n0.2,300,400,250\n')
        for args in requests(rng, options.typical, data_paths, batch_path):
            if options.only and args[0] != options.only:
                continue
            total += 1
            native = run(options.native, args)
            wasm = wasm_server.run(args)
            times[0] += native[3]
            times[1] += wasm[3]
            if native[:3] == wasm[:3]:
                continue
            failed += 1
            print('differs: %s' % ' '.join(args))
            for what, i in (('exit status', 0), ('standard output', 1), ('standard error', 2)):
                if native[i] != wasm[i]:
                    show = (lambda v: v.decode(errors='replace')[:600]) if i else str
                    print('  %s:\n    native: %s\n    wasm:   %s' % (what, show(native[i]), show(wasm[i])))
    wasm_server.close()
    print('%d requests: native %.1f s, WebAssembly %.1f s' % (total, times[0], times[1]))
    print('%d passed, %d failed' % (total - failed, failed))
    return 0 if failed == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
