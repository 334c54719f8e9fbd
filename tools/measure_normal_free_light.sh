#!/usr/bin/env bash
# Measures how much of the alarm's red light the hallway keeps when its model
# carries no normals, so the viewer has to make its own. A scratch copy of
# data/ gets a hallway.obj without vn lines and without the normal index of
# every face corner; the frame at 3 s is rendered offscreen by
# BUILD_DIR/capture from the shipped data and from the stripped copy, and for
# each it prints mean red minus mean green over the whole frame (0 to 1),
# then the ratio stripped / shipped. Needs a built capture; it builds nothing.
#   tools/measure_normal_free_light.sh [--build BUILD_DIR]
# BUILD_DIR defaults to build (relative to the repository root).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

usage() {
  sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
}

build_dir=build
while [ $# -gt 0 ]; do
  case $1 in
    --help) usage; exit 0 ;;
    --build) build_dir=$2; shift 2 ;;
    *) echo "measure_normal_free_light.sh: unknown argument $1" >&2; usage >&2; exit 2 ;;
  esac
done
build=$(cd "$build_dir" && pwd)
[ -x "$build/capture" ] || { echo "measure_normal_free_light.sh: no $build/capture; build it first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Pillow where an interpreter has it, else ImageMagick, which the project's
# dependencies include anyway.
python=""
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import PIL' 2>/dev/null; then
    python=$candidate
    break
  fi
done

# red_minus_green PNG: mean red minus mean green, channels scaled to 0..1.
red_minus_green() {
  if [ -n "$python" ]; then
    "$python" - "$1" <<'EOF'
import sys
from PIL import Image, ImageStat
r, g = ImageStat.Stat(Image.open(sys.argv[1]).convert("RGB")).mean[:2]
print(f"{(r - g) / 255:.4f}")
EOF
  else
    convert "$1" -format '%[fx:mean.r] %[fx:mean.g]' info: | awk '{ printf "%.4f\n", $1 - $2 }'
  fi
}

# render NAME: the frame at 3 s from $scratch/NAME/data, as NAME.png.
render() {
  (cd "$scratch/$1" && "$build/capture" --offscreen --out "$scratch/$1/out" 3 >/dev/null)
  mv "$scratch/$1/out/frame-000.png" "$scratch/$1.png"
}

for name in shipped stripped; do
  mkdir -p "$scratch/$name/data"
  ln -s "$repo/data/shader" "$scratch/$name/data/shader"
  cp -r "$repo/data/models" "$scratch/$name/data/models"
done
# a/b/c becomes a/b and a//c becomes a: the positions and texture
# coordinates stay as they were.
awk '
  /^vn[ \t]/ { next }
  /^f[ \t]/ {
    line = $1
    for (i = 2; i <= NF; i++) {
      n = split($i, index_of, "/")
      corner = index_of[1]
      if (n >= 2 && index_of[2] != "") corner = corner "/" index_of[2]
      line = line " " corner
    }
    print line
    next
  }
  { print }
' "$repo/data/models/hallway.obj" >"$scratch/stripped/data/models/hallway.obj"
if grep -q '^vn' "$scratch/stripped/data/models/hallway.obj" ||
   grep '^f' "$scratch/stripped/data/models/hallway.obj" | grep -q '/[^ ]*/'; then
  echo "measure_normal_free_light.sh: the stripped hallway still has normals" >&2
  exit 1
fi

render shipped
render stripped
shipped=$(red_minus_green "$scratch/shipped.png")
stripped=$(red_minus_green "$scratch/stripped.png")
printf 'red - green, shipped hallway:          %s\n' "$shipped"
printf 'red - green, hallway without normals:  %s\n' "$stripped"
awk -v a="$stripped" -v b="$shipped" 'BEGIN {
  if (b == 0) print "ratio stripped / shipped: - (the shipped frame has no red excess)"
  else printf "ratio stripped / shipped:              %.2fx\n", a / b
}'
