#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up everything and runs every test (the dev preset: build/, or $VELMORA_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
test_dir=()
if [ -n "${VELMORA_BUILD_DIR:-}" ]; then test_dir=(--test-dir "$(realpath -m "$VELMORA_BUILD_DIR")"); fi
cd "$root"
ctest --preset dev "${test_dir[@]}" -j"$(nproc)"
