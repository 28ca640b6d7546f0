#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the page with the wasm preset into build-wasm/ (or $VELMORA_WASM_BUILD_DIR) and runs
# its tests: the shown powers on both C libraries, every conformance case through Node.js,
# the page in headless Chromium, and a generated batch with heavy designs against the native
# command line of build/ (or $VELMORA_BUILD_DIR; scripts/test.sh builds it; without it that
# comparison is skipped). puppeteer-core, which drives the browser, comes from the npm
# registry as tests/web/package-lock.json pins it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cd "$root"

native=$(realpath -m "${VELMORA_BUILD_DIR:-build}")/cli/velmora-cli
build=${VELMORA_WASM_BUILD_DIR:+$(realpath -m "$VELMORA_WASM_BUILD_DIR")}

# npm ci again only when the lock file has changed since the last install.
stamp=tests/web/node_modules/.velmora-installed-lock
if ! cmp -s tests/web/package-lock.json "$stamp"; then
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
  cp tests/web/package-lock.json "$stamp"
fi

if [ -n "$build" ]; then
  # A build preset always builds its configure preset's folder; another folder is built by name
  # (with the preset's NODE_PATH, which Emscripten's optimiser needs to find Debian's acorn).
  cmake --preset wasm -B "$build" -DVELMORA_NATIVE_CLI="$native" >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build "$build" -j2
  test_dir=$build
else
  cmake --preset wasm -DVELMORA_NATIVE_CLI="$native" >/dev/null
  cmake --build --preset wasm -j2
  test_dir=$root/build-wasm
fi
ctest --test-dir "$test_dir" --output-on-failure -j2
