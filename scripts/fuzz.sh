#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with the fuzz preset (CMakePresets.json: clang,
# AddressSanitizer and UndefinedBehaviorSanitizer) into build-fuzz/ (or
# $VELMORA_FUZZ_BUILD_DIR) and runs each one for FUZZ_SECONDS (default 60) over a scratch
# copy of its seed corpus. Any crash, leak, sanitizer report or timeout (an input taking
# over 10 s) fails the script; libFuzzer leaves the input as crash-*, leak-* or timeout-*
# in the artifact folder it names.
#
#   scripts/fuzz.sh                 every target, 60 s each
#   FUZZ_SECONDS=1800 scripts/fuzz.sh fuzz_batch
#   FUZZ_BUILD_ONLY=1 scripts/fuzz.sh   the clang packages and the build, no run (.ci/run
#                                       builds early and fuzzes once the other trees are done)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_FUZZ_BUILD_DIR:+$(realpath -m "$VELMORA_FUZZ_BUILD_DIR")}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(fuzz_numbers fuzz_calculation fuzz_batch fuzz_monitoring); fi

# clang and its libFuzzer runtime: only the fuzz runs need them.
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cd "$root"
if [ -n "$build" ]; then
  cmake --preset fuzz -B "$build" >/dev/null
  cmake --build "$build" -j2 --target "${targets[@]}"
else
  build=$root/build-fuzz
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j2 --target "${targets[@]}"
fi
if [ -n "${FUZZ_BUILD_ONLY:-}" ]; then exit 0; fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The targets run side by side (each for the full time), so that CI spends one
# FUZZ_SECONDS on them rather than one per target.
declare -A work pids
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  work[$target]=$(mktemp -d "/tmp/velmora-fuzz-$name.XXXXXX")
  cp -r "$root/fuzz/corpus/$name" "${work[$target]}/corpus"
  mkdir -p "${work[$target]}/artifacts"
  echo "== $target: ${seconds}s (scratch corpus, log and artifacts in ${work[$target]})"
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -artifact_prefix="${work[$target]}/artifacts/" -print_final_stats=1 "${work[$target]}/corpus" \
    >"${work[$target]}/log" 2>&1 &
  pids[$target]=$!
done

status=0
for target in "${targets[@]}"; do
  if wait "${pids[$target]}"; then
    echo "== $target passed:"
    grep -E '^#[0-9]+.*DONE|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "${work[$target]}/log" || true
    rm -rf "${work[$target]}"
  else
    echo "== $target FAILED; last lines of ${work[$target]}/log:"
    tail -n 40 "${work[$target]}/log"
    status=1
  fi
done
exit $status
