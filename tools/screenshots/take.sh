#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's screenshots, taken of a virtual display: the main window with its menu bar (at
# device pixel ratios 1 and 2, and with a box changed after the run), the analysis window after DCFP 0.1, n 20, r 5, the CFP chart
# of a heavy design (DCFP 0.05, n 1000, r 1000: sampled ranks, a test exceeded at rank 1),
# the Retest Strategies page of Example 19-5's design and its CFP chart with 1-of-2 on
# medians of 3 drawn and its power chart,
# both dialogs, the Evaluate Data window on examples/mercury.csv and the report's first page.
# Needs xvfb, openbox, imagemagick and poppler-utils.
#
#   tools/screenshots/take.sh BUILD_DIR [OUT_DIR]     (OUT_DIR defaults to docs/screenshots)
set -euo pipefail
build=${1:?build directory}
out=${2:-$(dirname "$0")/../../docs/screenshots}
mkdir -p "$out"
cmake --build "$build" --target velmora-screenshots >/dev/null
tool="$build/app/velmora-screenshots"

display=:97
Xvfb $display -screen 0 1400x1000x24 -nolisten tcp &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display openbox &
wm=$!
sleep 1

# shot NAME SCALE ARGS...: runs the tool in the given state and keeps the windows' part of the
# screen (the root window, trimmed to what is drawn on it), SETTLE seconds (4) after its start.
shot() {
  local name=$1 scale=$2
  shift 2
  DISPLAY=$display QT_SCALE_FACTOR=$scale "$tool" "$@" &
  local app=$!
  sleep "${SETTLE:-4}"
  DISPLAY=$display import -window root "$out/$name.png"
  kill $app
  wait $app 2>/dev/null || true
  convert "$out/$name.png" -trim +repage "$out/$name.png"
}

shot main-window 1 main
shot main-window-ratio-2 2 main
shot main-window-stale 1 stale
shot analysis-cfp 1 analysis 0
shot analysis-power 1 analysis 1
shot analysis-audit 1 analysis 2
shot analysis-every-rank 1 analysis 3
SETTLE=20 shot analysis-cfp-heavy 1 analysis 0 0.05 1000 1000
shot analysis-strategies 1 strategies
shot analysis-strategies-cfp 1 strategies 0
shot analysis-strategies-power 1 strategies 1
shot program-design 1 design
shot sample-size-planning 1 planning
shot evaluate-verdicts 1 evaluate "$(dirname "$0")/../../examples/mercury.csv"

report=$(mktemp --suffix=.pdf)
QT_QPA_PLATFORM=offscreen "$tool" report "$report"
pdftoppm -r 80 -f 1 -l 1 -png -singlefile "$report" "$out/report-page-1"
rm -f "$report"
