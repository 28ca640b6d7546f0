#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up everything and runs every test (the dev preset: build/, or $VELMORA_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root"
if [ -n "${VELMORA_BUILD_DIR:-}" ]; then
  # ctest tests the preset's own folder whatever --test-dir says: a folder of one's own is
  # tested without the preset, in its environment.
  eval "$(scripts/preset-env.py dev)"
  ctest --test-dir "$(realpath -m "$VELMORA_BUILD_DIR")" --no-tests=error --output-on-failure --timeout "$VELMORA_PRESET_TIMEOUT" -j"$(nproc)"
else
  ctest --preset dev -j"$(nproc)"
fi
