#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks `velmora-cli strategies` against exact values of the retest strategies.

Usage: check_strategies.py PATH/TO/velmora-cli CASES.jsonl [--show N]

Each line of CASES.jsonl holds a strategy, n, r and a fixed rank, with either the exact CFP
or the exact power of one shifted comparison at 2, 3 and 4 standard deviations (each from
exact rational arithmetic or 30-digit quadrature). The cases of one n, r and rank go to the
command together (--rank K --rules LIST --format json); a value passes within a relative
error of 1e-9. Ends with "N passed, M failed" and exits 0 only when none failed.
"""
import json
import subprocess
import sys
from collections import defaultdict


def main(argv):
    show = 5
    if '--show' in argv:
        i = argv.index('--show')
        show = int(argv[i + 1])
        del argv[i:i + 2]
    if len(argv) != 2:
        print(__doc__.strip())
        return 64
    cli, path = argv
    with open(path, encoding='utf-8') as f:
        cases = [json.loads(line) for line in f if line.strip()]
    groups = defaultdict(list)
    for c in cases:
        groups[(c['n'], c['r'], c['rank'])].append(c)
    passed = failed = 0
    for (n, r, k), group in sorted(groups.items()):
        args = [cli, 'strategies', '--dcfp', '0.5', '--n', str(n), '--r', str(r), '--rank', str(k),
                '--rules', ','.join(sorted({c['rule'] for c in group})), '--format', 'json']
        got = {}
        try:
            run = subprocess.run(args, capture_output=True, timeout=120)
            got = {s['rule']: s for s in json.loads(run.stdout.decode('utf-8'))['strategies']}
        except (OSError, subprocess.TimeoutExpired, ValueError, KeyError) as e:
            print('n %d r %d rank %d: %s' % (n, r, k, e))
        for c in group:
            row = got.get(c['rule'], {})
            what = 'cfp' if 'cfp' in c else 'power'
            pairs = [(row.get('cfp'), c['cfp'])] if what == 'cfp' else list(zip(row.get('power') or [None] * 3, c['power']))
            try:
                ok = all(abs(float(g) - w) <= 1e-9 * abs(w) for g, w in pairs)
            except (TypeError, ValueError):
                ok = False
            if ok:
                passed += 1
                continue
            failed += 1
            if failed <= show:
                print('%s n %d r %d rank %d: %s %s, exact %s' % (c['rule'], n, r, k, what, row.get(what), c[what]))
    print('%d passed, %d failed' % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
