#!/usr/bin/env bash
# What only a real desktop shows, each on a private virtual display of its
# own: the window on a doubled (HiDPI) desktop, fullscreen, and minimised
# under a window manager. Prints the figures and saves a picture of each to
# OUT (default build/window-modes); exits 1 when one falls short:
#  - scale 2 (Xft.dpi 192 on a 2800x1600 display): the window opens at
#    2560x1440, 1280x720 in the desktop's units;
#  - F on a 1600x1000 display: the window fills the screen;
#  - minimised under openbox: under 5% of a core over 10 s (it would be
#    the whole core while drawing), and drawing again once restored.
# Needs a built vorlune; it builds nothing.
#   tools/check_window_modes.sh [--build BUILD_DIR] [OUT]
# (install-deps.sh window-modes installs openbox and xrdb.)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
if [ "${1:-}" = --build ]; then build_dir=$2; shift 2; fi
out=${1:-$build_dir/window-modes}
mkdir -p "$out"
out=$(cd "$out" && pwd)
viewer=$(cd "$build_dir" && pwd)/vorlune
# The minimised viewer may use at most this share of a core.
max_minimised_percent=5
# Clock ticks a second in /proc/PID/stat.
ticks=$(getconf CLK_TCK)

# Runs the rest of the script on its own display when called as a stage.
if [ "${STAGE:-}" != "" ]; then
  "$viewer" >"$out/$STAGE.log" 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --pid "$pid" --name '^Vorlune$' | head -1)
  # The scene loads after the window shows: wait for frames to be drawn.
  sleep 8
  cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
  status=0
  case $STAGE in
    scale2)
      geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
      echo "scale 2: window $geometry (wanted 2560x1440)"
      xdotool key --window "$window" h; sleep 4
      [ "$geometry" = 2560x1440 ] || status=1 ;;
    fullscreen)
      xdotool key --window "$window" f; sleep 4
      geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
      echo "fullscreen: window $geometry (screen 1600x1000)"
      [ "$geometry" = 1600x1000 ] || status=1 ;;
    minimised)
      xdotool windowminimize "$window"; sleep 2
      before=$(cpu); sleep 10; after=$(cpu)
      percent=$(( (after - before) * 100 / (10 * ticks) ))
      echo "minimised: $((after - before)) ticks of $((10 * ticks)) over 10 s, ${percent}% of a core"
      [ "$percent" -lt "$max_minimised_percent" ] || status=1
      xdotool windowactivate "$window"; sleep 4 ;;
  esac
  import -window root "$out/$STAGE.png"
  xdotool key --window "$window" Escape
  wait "$pid" || status=1
  exit $status
fi

self=tools/check_window_modes.sh
failed=0
# -noreset: the server would otherwise forget the resources when xrdb, its
# only client, leaves.
STAGE=scale2 xvfb-run -a -s "-screen 0 2800x1600x24 -noreset" \
  sh -c 'echo "Xft.dpi: 192" | xrdb -nocpp -merge && exec bash "$0" "$@"' "$self" --build "$build_dir" "$out" \
  || failed=1
STAGE=fullscreen xvfb-run -a -s "-screen 0 1600x1000x24" bash "$self" --build "$build_dir" "$out" || failed=1
STAGE=minimised xvfb-run -a -s "-screen 0 1600x1000x24" \
  sh -c 'openbox 2>/dev/null & sleep 1; exec bash "$0" "$@"' "$self" --build "$build_dir" "$out" || failed=1
echo "pictures in $out"
exit $failed
