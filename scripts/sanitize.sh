#!/usr/bin/env bash
# Builds every test with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer
# into build-asan/ (or $VELMORA_ASAN_BUILD_DIR) and runs them. Every report stops the
# program that makes it (-fno-sanitize-recover=all) and is also written to a log folder,
# so that a report in a subprocess whose failure a test expects still fails this script.
# The window tests run offscreen when Qt is present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/install-deps.sh"

# -O1 with line tables only: the sanitized build is compiled in a fraction of the time of
# -O2 -g, and reports still name file and line. On x86-64 the optimisation level changes
# no float32 or float64 rounding (the engine keeps -ffp-contract=off; the conformance test
# runs in this build too).
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DVELMORA_SANITIZE="address,undefined,float-cast-overflow" "$@" >/dev/null
cmake --build "$build" -j2

logs=$(mktemp -d /tmp/velmora-sanitize.XXXXXX)
# LeakSanitizer: only the toolkit's and fontconfig's own one-time allocations are
# suppressed (see the file); never a frame of ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$logs/asan"
export LSAN_OPTIONS="suppressions=$root/tests/reliability/lsan_toolkit.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

status=0
(cd "$build" && ctest --output-on-failure -j2 --timeout 600) || status=1
if compgen -G "$logs/*" >/dev/null; then
  echo "sanitizer reports:"
  for f in "$logs"/*; do echo "== $f"; head -n 60 "$f"; done
  status=1
fi
rm -rf "$logs"
exit $status
