#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints a test preset's environment (CMakePresets.json, with what it inherits) as shell
export lines, and its timeout as VELMORA_PRESET_TIMEOUT.

  eval "$(scripts/preset-env.py asan)"

ctest tests the folder of a preset's configure preset whatever --test-dir names, so a
script that builds a folder of its own runs ctest there without the preset, in this
environment. Only what the presets use is expanded: ${sourceDir} and $penv{NAME}.
"""
import json
import os
import re
import shlex
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
with open(os.path.join(root, 'CMakePresets.json'), encoding='utf-8') as f:
    presets = {p['name']: p for p in json.load(f)['testPresets']}


def chain(name):
    preset = presets[name]
    parents = preset.get('inherits', [])
    for parent in [parents] if isinstance(parents, str) else parents:
        yield from chain(parent)
    yield preset


environment, timeout = {}, ''
for preset in chain(sys.argv[1]):
    environment.update(preset.get('environment', {}))
    timeout = str(preset.get('execution', {}).get('timeout', timeout))


def expand(value):
    value = value.replace('${sourceDir}', root)
    return re.sub(r'\$penv\{(\w+)\}', lambda m: os.environ.get(m.group(1), ''), value)


for key, value in environment.items():
    print(f'export {key}={shlex.quote(expand(value))}')
print(f'VELMORA_PRESET_TIMEOUT={shlex.quote(timeout or "1500")}')
