#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, testing and running Velmora need.
# Does nothing when they are all present already. Needs root (or sudo).
set -euo pipefail

packages=(
  # build (every preset puts ccache in front of the compiler)
  g++ cmake make pkg-config ccache
  # scripts/tidy.sh: clang-tidy with the repository's .clang-tidy
  clang-tidy-14
  # engine and command-line tests, benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev libboost-dev python3
  # command line: options and JSON records
  libcli11-dev nlohmann-json3-dev
  # reading and writing the engine's numbers (the same libraries on the WebAssembly build)
  libfast-float-dev libfmt-dev
  # Expected<T>: a value or the Problem that refused it (header only)
  libexpected-dev
  # window
  qt6-base-dev libgl-dev
  # the analysis window's and the report's charts (Debian's Qt Charts package leaves out
  # the OpenGL development files its CMake package needs)
  qt6-charts-dev libqt6opengl6-dev
  # printing: asks the print system whether a job was accepted
  libcups2-dev
  # the window's caption face (the small sans serif rendition kept in /usr/share/wine/fonts)
  fonts-wine
  # the bold and large captions (frame captions, the heading)
  fonts-liberation
  # offscreen and virtual-display runs
  xvfb xauth
  # the report test reads the exported PDF back as text
  poppler-utils
  # Debian package (cpack -G DEB reads run-time dependencies with dpkg-shlibdeps)
  dpkg-dev
  # the page: the engine as WebAssembly, velmora-cli.mjs and the build's scripts on Node.js,
  # the browser test in headless Chromium (its driver from the npm registry)
  emscripten nodejs chromium
)
# npm comes with some builds of nodejs (which then conflict with Debian's npm package)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
