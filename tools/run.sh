#!/usr/bin/env bash
# Sets everything up, builds and starts the viewer from the repository root,
# where it finds data/. Without a display it runs inside a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running Vorlune inside a virtual X display (xvfb-run -a)."
  echo "Nothing will be visible; stop it with Ctrl+C."
  exec xvfb-run -a ./build/vorlune
fi
exec ./build/vorlune
