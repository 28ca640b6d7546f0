#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Native against WebAssembly on generated inputs, heavy ones included.

Usage: compare_native.py NATIVE_CLI WASM_CLI [--cases N] [--seed S] [--extreme] [--keep FILE]

Generates a batch of N cases (default 300) from a fixed seed: typical designs, many
comparisons (r in the thousands), large backgrounds, DCFPs near 1 and below 1e-8 written
in several ways, a rank bound below n, and texts that are refused. --extreme adds DCFPs
within 1e-6 of 1 with thousands of comparisons or tens of thousands of background values,
whose optimal ranks lie so deep that one case takes seconds even natively. Both command lines
compute it with `--batch FILE --format json`; their standard outputs and exit statuses
must be identical byte for byte. Exits 77 (skipped) when NATIVE_CLI does not exist.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

LIMIT = 32767  # n + 4 r may not exceed it


def dcfp_text(rng, kind):
    if kind == 'extreme':
        return rng.choice(['0.999999', '0.9999999', '.9999995'])
    if kind == 'near one':
        return rng.choice(['1', '0.9999', '.99', '0.95', '9.9e-1', '0.999'] +
                          ['%.5f' % rng.uniform(0.9, 0.9999)])
    if kind == 'tiny':
        exponent = rng.randint(9, 30)
        mantissa = rng.uniform(1, 9.99)
        return rng.choice(['%.3ge-%d' % (mantissa, exponent), '%.2gE-%d' % (mantissa, exponent),
                           '0.' + '0' * (exponent - 1) + str(rng.randint(1, 9))])
    return rng.choice(['%.4g' % rng.uniform(0.001, 0.5), '0.05', '0.1', '%.3g' % 10 ** rng.uniform(-8, -1)])


def case(rng, kind):
    """One batch line (DCFP,n,r[,j]) of the given kind."""
    if kind == 'extreme':
        if rng.random() < 0.5:
            r = rng.randint(1000, 5000)
            n = rng.randint(500, min(3000, LIMIT - 4 * r))
        else:
            n = rng.randint(10000, 25000)
            r = rng.randint(100, min(1000, (LIMIT - n) // 4))
        dcfp = dcfp_text(rng, kind)
    elif kind == 'many comparisons':
        r = rng.randint(1000, 7000)
        n = rng.randint(2, min(3000, LIMIT - 4 * r))
        dcfp = dcfp_text(rng, rng.choice(['typical', 'typical', 'near one', 'tiny']))
    elif kind == 'large background':
        n = rng.randint(2000, 30000)
        r = rng.randint(1, (LIMIT - n) // 4)
        r = min(r, rng.choice([3, 20, 200, 1000]))
        dcfp = dcfp_text(rng, rng.choice(['typical', 'near one', 'tiny']))
    elif kind in ('near one', 'tiny'):
        n = rng.randint(2, 2000)
        r = rng.randint(1, min(2000, (LIMIT - n) // 4))
        dcfp = dcfp_text(rng, kind)
    elif kind == 'refused':
        return rng.choice(['0,20,5', '1.5,20,5', '0.1,1,5', '0.1,20,0', '0.1,20.5,5', 'abc,20,5',
                           '0.1,20000,5000', '0.1,20,5,0', '0.1,20,5,21', ',,', '0.1,-3,5', '1e-46,20,5'])
    else:  # typical
        n = rng.randint(2, 300)
        r = rng.randint(1, 150)
        dcfp = dcfp_text(rng, 'typical')
    fields = [dcfp, str(n), str(r)]
    if rng.random() < 0.2:
        fields.append(str(rng.randint(1, n)))  # a rank bound below n
    return ','.join(fields)


def batch(count, seed, extreme):
    rng = random.Random(seed)
    kinds = (['typical'] * 40 + ['many comparisons'] * 15 + ['large background'] * 15 +
             ['near one'] * 12 + ['tiny'] * 12 + ['refused'] * 6 + ['extreme'] * (8 if extreme else 0))
    return ''.join(case(rng, rng.choice(kinds)) + '\n' for _ in range(count))


def run(cli, path):
    start = time.monotonic()
    done = subprocess.run([cli, '--batch', path, '--format', 'json'], capture_output=True)
    return done.returncode, done.stdout, time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('native')
    parser.add_argument('wasm')
    parser.add_argument('--cases', type=int, default=300)
    parser.add_argument('--seed', type=int, default=15)
    parser.add_argument('--extreme', action='store_true')
    parser.add_argument('--keep', help='write the generated batch here as well')
    options = parser.parse_args()
    if not os.path.exists(options.native):
        print('no native command line at %s: skipped' % options.native)
        return 77
    text = batch(options.cases, options.seed, options.extreme)
    if options.keep:
        with open(options.keep, 'w', encoding='ascii') as f:
            f.write(text)
    with tempfile.NamedTemporaryFile('w', suffix='.csv', encoding='ascii') as f:
        f.write(text)
        f.flush()
        native = run(options.native, f.name)
        wasm = run(options.wasm, f.name)
    lines = text.splitlines()
    native_lines = native[1].splitlines()
    wasm_lines = wasm[1].splitlines()
    print('%d cases: native %.1f s, WebAssembly %.1f s' % (len(lines), native[2], wasm[2]))
    differing = [i for i in range(max(len(native_lines), len(wasm_lines)))
                 if native_lines[i:i + 1] != wasm_lines[i:i + 1]]
    for i in differing[:5]:
        print('line %d (%s):\n  native: %s\n  wasm:   %s' % (
            i + 1, lines[i] if i < len(lines) else '-',
            native_lines[i].decode() if i < len(native_lines) else '(none)',
            wasm_lines[i].decode() if i < len(wasm_lines) else '(none)'))
    same = not differing and native[1] == wasm[1] and native[0] == wasm[0]
    if native[0] != wasm[0]:
        print('exit status: native %d, WebAssembly %d' % (native[0], wasm[0]))
    print('%d passed, %d failed' % ((len(lines), 0) if same else (len(lines) - len(differing), max(1, len(differing)))))
    return 0 if same else 1


if __name__ == '__main__':
    sys.exit(main())
