#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every test with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer
# into build-asan/ (or $VELMORA_ASAN_BUILD_DIR) and runs them. Every report stops the
# program that makes it (-fno-sanitize-recover=all) and is also written to a log folder,
# so that a report in a subprocess whose failure a test expects still fails this script.
# The window tests run offscreen when Qt is present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# The asan preset (CMakePresets.json): -O1 with line tables only, so that the sanitized
# build is compiled in a fraction of the time of -O2 -g and reports still name file and
# line. On x86-64 the optimisation level changes no float32 or float64 rounding (the engine
# keeps -ffp-contract=off; the conformance test runs in this build too).
build=${VELMORA_ASAN_BUILD_DIR:+$(realpath -m "$VELMORA_ASAN_BUILD_DIR")}
cd "$root"
if [ -n "$build" ]; then
  cmake --preset asan -B "$build" "$@" >/dev/null
  cmake --build "$build" -j2
else
  cmake --preset asan "$@" >/dev/null
  cmake --build --preset asan -j2
fi

logs=$(mktemp -d /tmp/velmora-sanitize.XXXXXX)
# The preset's test environment holds the sanitizer options (every report stops the
# program; LeakSanitizer suppresses only the toolkit's and fontconfig's own one-time
# allocations, see tests/reliability/lsan_toolkit.supp, never a frame of ours) and appends
# what is given here: the log folder.
export ASAN_OPTIONS="log_path=$logs/asan"
export UBSAN_OPTIONS="log_path=$logs/ubsan"

status=0
if [ -n "$build" ]; then
  # ctest tests the preset's own folder whatever --test-dir says: a folder of one's own is
  # tested without the preset, in its environment (the options above appended).
  eval "$(scripts/preset-env.py asan)"
  ctest --test-dir "$build" --no-tests=error --output-on-failure --timeout "$VELMORA_PRESET_TIMEOUT" -j2 || status=1
else
  ctest --preset asan -j2 || status=1
fi
if compgen -G "$logs/*" >/dev/null; then
  echo "sanitizer reports:"
  for f in "$logs"/*; do echo "== $f"; head -n 60 "$f"; done
  status=1
fi
rm -rf "$logs"
exit $status
