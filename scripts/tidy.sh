#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy 14 with the repository's .clang-tidy over the project's own translation
# units, as the dev build compiles them (its compile_commands.json), and fails on any
# finding or on a file clang-tidy cannot read. Which checks run is the configuration's
# business: this script only chooses the files.
#
#   scripts/tidy.sh            the files changed against the merge base with main (a changed
#                              header brings every file that includes it), committed or not
#   scripts/tidy.sh --all      every translation unit of the project
#   scripts/tidy.sh --since REV  the files changed since commit REV (continuous integration
#                              gives the commit in .ci/tidy-clean); every file when REV is
#                              not in the history or .clang-tidy changed since it
#   scripts/tidy.sh --all --record   every file, and on no finding writes the commit checked
#                              into .ci/tidy-clean (only from a worktree without changes)
#
# The dev build (build/, or $VELMORA_BUILD_DIR) must have been configured and built first
# (scripts/build.sh): the window's files include headers that the build generates.
# TIDY_JOBS sets how many clang-tidy processes run at once (default: the processor count).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${VELMORA_BUILD_DIR:-$root/build}")
jobs=${TIDY_JOBS:-$(nproc)}
all=false
since=
record=false
case "${1:-}" in
  --all) all=true; [ "${2:-}" = --record ] && record=true ;;
  --since) since=${2:?"usage: $0 --since REV"} ;;
  "") ;;
  *) echo "usage: $0 [--all [--record] | --since REV]" >&2; exit 64 ;;
esac

if ! command -v run-clang-tidy-14 >/dev/null; then
  echo "run-clang-tidy-14 is missing (scripts/install-deps.sh installs clang-tidy-14)" >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "$build/compile_commands.json is missing: configure and build the dev preset first (scripts/build.sh)" >&2
  exit 1
fi
cd "$root"
# Without a configuration clang-tidy would run its own default checks, which nobody chose.
if [ ! -f .clang-tidy ]; then
  echo "tidy: no .clang-tidy in $root: nothing to check"
  exit 0
fi

# The files to read, one absolute path a line.
list=$(mktemp /tmp/velmora-tidy-files.XXXXXX)
db=$(mktemp -d /tmp/velmora-tidy-db.XXXXXX)
trap 'rm -rf "$list" "$db"' EXIT
# A file unchanged since a commit at which every file passed can only gain a finding
# through a header it includes (which brings it in below) or a changed configuration.
if [ -n "$since" ]; then
  if ! git cat-file -e "$since^{commit}" 2>/dev/null; then
    echo "tidy: $since is not in this clone's history: every file"
    all=true
  elif ! git diff --quiet "$since" -- .clang-tidy scripts/tidy.sh; then
    echo "tidy: the configuration changed since $(git rev-parse --short "$since"): every file"
    all=true
  fi
fi
if $record && [ -n "$(git status --porcelain)" ]; then
  echo "tidy: --record needs a worktree without changes (the record names a commit)" >&2
  exit 64
fi
if $all; then
  changed=()
else
  if [ -n "$since" ]; then
    base=$since
  else
    base=$(git merge-base HEAD main 2>/dev/null || git merge-base HEAD origin/main)
  fi
  # Committed since the merge base, staged, unstaged and new files alike; deleted ones are gone.
  mapfile -t changed < <({ git diff --name-only --diff-filter=d "$base"; git ls-files --others --exclude-standard; } |
                         grep -E '\.(cpp|h|hpp)$' | sort -u)
  if [ ${#changed[@]} -eq 0 ]; then
    echo "tidy: no C++ file changed since $(git rev-parse --short "$base")"
    exit 0
  fi
fi

# The database clang-tidy reads: the dev build's, less what only GCC understands. The
# precompiled headers are GCC's own format (clang refuses them as corrupt, so their forced
# -include goes: every file includes what it uses), and -Werror would turn clang's own
# warnings, which are not this check's business, into findings. A unity build's file
# (VELMORA_UNITY_BUILD: CMake's Unity/unity_N_cxx.cxx, which includes a program's sources,
# and unity_GROUP_cxx.cxx, a library's group)
# stands for each source it includes, read with the same command.
python3 - "$build/compile_commands.json" "$db/compile_commands.json" "$root" "$build" "$list" "$all" "${changed[@]}" <<'EOF'
import json, os, re, shlex, sys
source, target, root, build, listing, everything, *changed = sys.argv[1:]
root, build = os.path.realpath(root), os.path.realpath(build)
entries = json.load(open(source))
unity = re.compile(r'/Unity/unity_\w+_cxx\.cxx$')
expanded = []
for entry in entries:
    if not unity.search(entry['file']):
        expanded.append(entry)
        continue
    text = open(os.path.join(entry['directory'], entry['file']), encoding='utf-8').read()
    for included in re.findall(r'^#include "([^"]+)"', text, re.M):
        one = dict(entry)
        if 'arguments' in one:
            one['arguments'] = [included if a == entry['file'] else a for a in one['arguments']]
        else:
            one['command'] = one['command'].replace(entry['file'], included)
        one['file'] = included
        expanded.append(one)
entries = expanded
def own(path):
    path = os.path.realpath(path)
    # the build folders' generated files (moc, resources) are not the project's to tidy
    return path.startswith(root + os.sep) and not path.startswith(build + os.sep) \
        and not os.path.relpath(path, root).startswith('build')
kept = []
for entry in entries:
    args = entry['arguments'] if 'arguments' in entry else shlex.split(entry['command'])
    out, skip = [], False
    for i, arg in enumerate(args):
        if skip:
            skip = False
            continue
        if arg == '-include' and i + 1 < len(args) and 'cmake_pch' in args[i + 1]:
            skip = True
            continue
        if arg in ('-Werror', '-Winvalid-pch') or (arg.startswith('-include') and 'cmake_pch' in arg):
            continue
        out.append(arg)
    entry.pop('command', None)
    entry['arguments'] = out
    kept.append(entry)
json.dump(kept, open(target, 'w'), indent=1)

files = sorted({os.path.realpath(os.path.join(e['directory'], e['file'])) for e in kept})
files = [f for f in files if own(f)]
if everything != 'true':
    wanted = set()
    changed = [os.path.join(root, c) for c in changed]
    headers = [os.path.basename(c) for c in changed if not c.endswith('.cpp')]
    include = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)
    for f in files:
        if f in changed:
            wanted.add(f)
        elif headers:
            text = open(f, encoding='utf-8', errors='replace').read()
            if any(os.path.basename(h) in headers for h in include.findall(text)):
                wanted.add(f)
    files = sorted(wanted)
open(listing, 'w').write(''.join(f + '\n' for f in files))
EOF

count=$(wc -l <"$list")
if [ "$count" -eq 0 ]; then
  echo "tidy: no translation unit of the dev build is among the changed files"
  exit 0
fi
echo "tidy: $count translation units, $jobs at a time"
# run-clang-tidy takes regular expressions over the database's paths: each file exactly.
mapfile -t patterns < <(sed -e 's/[][\.|$^*+?(){}]/\\&/g' -e 's/^/^/' -e 's/$/$/' "$list")
log=$db/tidy.log
status=0
run-clang-tidy-14 -clang-tidy-binary "$(command -v clang-tidy-14)" -p "$db" -j "$jobs" -quiet \
  -extra-arg=-Wno-unknown-warning-option "${patterns[@]}" >"$log" 2>&1 || status=$?
# Its own lines (each command it ran, the counts of suppressed warnings) stay out of the
# way; a finding is any diagnostic with a file and line.
sed -e 's/\x1b\[[0-9;]*m//g' "$log" |
  grep -vE '^([^ ]*clang-tidy-14 |Suppressed [0-9]+ warnings|Use -header-filter|[0-9]+ warnings? (and [0-9]+ errors? )?generated\.|Error while processing )' >"$log.shown" || true
findings=$(grep -cE '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' "$log.shown" || true)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  cat "$log.shown"
  echo "tidy: $findings findings in $count translation units (run-clang-tidy exit status $status)"
  exit 1
fi
echo "tidy: no findings in $count translation units"
if $record; then
  git rev-parse HEAD >.ci/tidy-clean
  echo "tidy: recorded $(git rev-parse --short HEAD) in .ci/tidy-clean (commit it)"
fi
