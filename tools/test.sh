#!/usr/bin/env bash
# Sets everything up, builds, and runs every test. GL tests create real
# contexts, so the whole run happens inside a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
xvfb-run -a ctest --test-dir build --output-on-failure -j2
