#!/usr/bin/env bash
# Sets everything up, builds, and runs every test. The GL tests render on an
# offscreen context and need no display; the end-to-end tests (label "e2e")
# drive the viewer's window, so they alone run inside a virtual X display.
#   tools/test.sh                      builds and tests in build/
#   BUILD_DIR=build-x tools/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
BUILD_DIR=$build_dir bash tools/build.sh
status=0
ctest --test-dir "$build_dir" --output-on-failure -j2 -LE e2e || status=1
xvfb-run -a ctest --test-dir "$build_dir" --output-on-failure -j2 -L e2e || status=1
exit $status
