#!/usr/bin/env bash
# Sets everything up, builds and starts the viewer from the repository root,
# where it finds data/. Without a display there is no window to show, so it
# renders a stretch of the camera tour offscreen to PNG files instead.
#   tools/run.sh                       builds in build/
#   BUILD_DIR=build-x tools/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
BUILD_DIR=$build_dir bash tools/build.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$PWD/capture"
  echo "No display found: rendering the camera tour offscreen with the capture program instead."
  "$build_dir/capture" --out "$out" --prefix tour 0.5 1.5 2.5 3.5 4.5 5.5 6.5 7.5 >/dev/null
  echo "Wrote 8 frames of the tour to $out/tour-000.png ... tour-007.png"
  exit 0
fi
exec "$build_dir/vorlune"
