#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds Velmora with the dev preset (CMakePresets.json) into build/, or into
# $VELMORA_BUILD_DIR when that is set. Further arguments go to the configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:+$(realpath -m "$VELMORA_BUILD_DIR")}
cd "$root"
if [ -n "$build" ]; then
  # A build preset always builds its configure preset's folder; another folder is built by name.
  cmake --preset dev -B "$build" "$@" >/dev/null
  cmake --build "$build" -j"$(nproc)"
else
  cmake --preset dev "$@" >/dev/null
  cmake --build --preset dev -j"$(nproc)"
fi
