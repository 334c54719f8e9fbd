#!/usr/bin/env bash
# Remakes the pictures the README shows, in docs/images/: the hallway with
# every effect on and, for each effect, a view where it stands out next to
# the same view with it switched off; each pass view (V); and an animated
# GIF of the camera tour.
# Everything is rendered by the capture program, so the pictures are the
# real viewer's frames and the same every time (without a display the
# capture program renders them offscreen, to the same pixels).
#   tools/make_readme_images.sh            builds in build/
#   BUILD_DIR=build-x tools/make_readme_images.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
images=docs/images
capture=$build_dir/capture

bash tools/configure.sh "$build_dir"
cmake --build "$build_dir" -j"$(nproc)" --target capture

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$images"

# still NAME CAPTURE-ARGUMENTS...: one full-size screenshot. JPEG at quality
# 90 without chroma subsampling keeps the red edges sharp at a tenth of the
# PNG's size (130-270 kB instead of 1-1.5 MB).
still() {
  local name=$1
  shift
  "$capture" --out "$scratch" --prefix "$name" "$@" >/dev/null
  convert "$scratch/$name-000.png" -strip -sampling-factor 4:4:4 -quality 90 "$images/$name.jpg"
}

# Closing in on the beacon: shadows of the pipes and the spinning shields
# sweep the walls and the floor.
still hallway 3.0
still hallway-no-shadows --shadows off 3.0
# Stopped short of the beacon, looking up into the lamp: the god rays.
still beacon --free-look 0,30 3.5
still beacon-no-god-rays --god-rays off --free-look 0,30 3.5
# Looking down at the slimes on the floor: the bloom.
still slimes --free-look 0,-30 2.5
still slimes-no-bloom --bloom off --free-look 0,-30 2.5
# The overlay H shows: keys and switches, frame and pass times.
still overlay --overlay 3.0

# view NAME: the pass view NAME (V) at 3.0 s, at half size: the images are
# flat or blurred, so half the pixels lose nothing and keep each small.
view() {
  "$capture" --out "$scratch" --prefix "view-$1" --view "$1" 3.0 >/dev/null
  convert "$scratch/view-$1-000.png" -strip -resize 50% -quality 90 "$images/view-$1.jpg"
}
for name in god-rays bloom-bright bloom-blur shadow-map; do
  view "$name"
done

# One lap of the tour (the forward leg ends at 8.5 s, the turn at 9.5 s),
# a frame every 0.2 s shown for 0.1 s: twice real speed, 47 frames.
# Each frame gets its own 256-colour palette and no dithering: error
# diffusion shimmers from frame to frame and adds a third to the size,
# while the textures' own grain hides the few bands it would smooth.
# LC_ALL=C keeps seq's decimal point a point.
tour_times=$(LC_ALL=C seq -f %.1f 0.2 0.2 9.4)
# shellcheck disable=SC2086  # one argument per time
"$capture" --out "$scratch" --prefix tour $tour_times >/dev/null
convert -delay 10 -loop 0 "$scratch"/tour-*.png -resize 480x270 +dither -colors 256 "$images/tour.gif"

du -ch "$images"/* | tail -n 1
