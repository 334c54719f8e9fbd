#!/usr/bin/env bash
# Remakes the application icon, packaging/vorlune.png: the alarm beacon
# as the viewer shows it (the god-ray view of the README), cut to a square
# around the lamp and scaled to 256x256. The PNG is committed, so installing
# needs no GL context; rerun this after a change to how the beacon looks.
#   tools/make_icon.sh            builds in build/
#   BUILD_DIR=build-x tools/make_icon.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
icon=packaging/vorlune.png

bash tools/configure.sh "$build_dir"
cmake --build "$build_dir" -j"$(nproc)" --target capture

# The capture program needs an X display; without one, make a virtual one.
display=()
if [ -z "${DISPLAY:-}" ]; then
  display=(xvfb-run -a)
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"${display[@]}" "$build_dir/capture" --out "$scratch" --prefix beacon --free-look 0,30 3.5 >/dev/null
# The lamp sits a little above the frame's centre; 520 pixels around it
# keep the cage, its glow and the pipes beside it. One 256-colour palette
# without dithering is a third of the size and looks the same at icon size.
convert "$scratch/beacon-000.png" -crop 520x520+380+20 +repage -resize 256x256 -strip \
  +dither -colors 256 -define png:exclude-chunk=date,time -define png:compression-level=9 "$icon"
du -h "$icon"
