#!/usr/bin/env bash
# Sets everything up, builds, and runs every test. The GL tests render on an
# offscreen context and need no display; the end-to-end tests (label "e2e")
# drive the viewer's window, so they alone run inside a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
status=0
ctest --test-dir build --output-on-failure -j2 -LE e2e || status=1
xvfb-run -a ctest --test-dir build --output-on-failure -j2 -L e2e || status=1
exit $status
