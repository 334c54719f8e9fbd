#!/usr/bin/env bash
# Regenerates the reference images in tests/reference/images/ after an
# intended change to what the viewer draws: renders every frame listed in
# tests/reference/frames.txt with the capture program (through the reference
# test's update mode, so the images are made exactly as the test compares
# them) into a scratch folder, replaces the references with them only when
# every frame rendered, then runs the test to confirm the new set. A failed
# run leaves the old references as they were.
#   tools/update_references.sh            builds in build/
#   BUILD_DIR=build-x tools/update_references.sh
# Review the new images (git diff shows which changed) before committing.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
images=tests/reference/images
test_binary=$build_dir/tests/vorlune_e2e_tests

bash tools/configure.sh "$build_dir"
cmake --build "$build_dir" -j"$(nproc)" --target capture vorlune_e2e_tests

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The offscreen renders become the references (the window's are the same
# pixels; the check below compares both).
VORLUNE_UPDATE_REFERENCES=$scratch "$test_binary" --gtest_filter='ReferenceFrames/RenderedFrame.*_offscreen'

# A filter that matched no test would pass with nothing rendered.
for frame in $(awk '$1 !~ /^#/ && NF { print $1 }' tests/reference/frames.txt); do
  if [ ! -f "$scratch/$frame-000.png" ]; then
    echo "update_references.sh: $frame was not rendered; the references are unchanged." >&2
    exit 1
  fi
done

# stb writes quick but loose PNGs; recompressing is lossless and takes a
# third off. Without the time chunks an unchanged image stays byte-identical.
if command -v mogrify >/dev/null; then
  mogrify -strip -define png:exclude-chunk=date,time -define png:compression-level=9 "$scratch"/*.png
fi

# Every frame rendered: the new set replaces the old one whole, so frames
# dropped from the list leave no images behind.
mkdir -p "$images"
rm -f "$images"/*.png
mv "$scratch"/*.png "$images"/

# Checking the window's renders needs an X display; without one, make a
# virtual one.
display=()
if [ -z "${DISPLAY:-}" ]; then
  display=(xvfb-run -a)
fi
"${display[@]}" "$test_binary" --gtest_filter='ReferenceFrames/*:ReferenceTolerance.*'
du -ch "$images"/*.png | tail -n 1
