#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs velmora-cli over the conformance cases and compares every record.

Usage: check_conformance.py PATH/TO/velmora-cli CASES.jsonl

All cases go to the calculator as one CSV batch on standard input (RFC 4180 quoting,
CRLF line ends, each field verbatim), with `--batch - --format json`. Each output line
is parsed as JSON and compared with the expected record of the same case. Prints the
first differences and "N passed, M failed"; exits 0 only when every case matches.
"""
import csv
import io
import json
import subprocess
import sys

INPUTS = ('dcfp', 'n', 'r', 'j')
SHOWN = 10


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip())
        return 2
    cli, cases_path = argv
    with open(cases_path, encoding='utf-8') as f:
        cases = [json.loads(line) for line in f if line.strip()]
    if not cases:
        print('no cases in %s' % cases_path)
        return 1

    batch = io.StringIO()
    writer = csv.writer(batch, lineterminator='\r\n')
    for case in cases:
        writer.writerow([case[k] for k in INPUTS])
    run = subprocess.run([cli, '--batch', '-', '--format', 'json'],
                         input=batch.getvalue().encode('utf-8'),
                         capture_output=True)
    lines = [line for line in run.stdout.decode('utf-8', 'replace').splitlines() if line.strip()]
    if len(lines) != len(cases):
        print('%d records for %d cases (exit %d)' % (len(lines), len(cases), run.returncode))

    refused = sum(1 for case in cases if 'error' in case)
    expected_status = 2 if refused else 0
    passed = shown = 0
    for i, want in enumerate(cases):
        try:
            got = json.loads(lines[i]) if i < len(lines) else None
        except ValueError:
            got = lines[i][:300]
        if got == want:
            passed += 1
        elif shown < SHOWN:
            shown += 1
            print('case %d %s' % (i + 1, json.dumps([want[k] for k in INPUTS])))
            print('  want %s' % json.dumps(want)[:600])
            print('  got  %s' % json.dumps(got)[:600])
    failed = len(cases) - passed
    if run.returncode != expected_status:
        print('exit status %d, expected %d' % (run.returncode, expected_status))
        failed = max(failed, 1)
    print('%d passed, %d failed' % (passed, len(cases) - passed))
    return 0 if failed == 0 else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
