#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs (when missing) and builds it in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
  bash tools/install-deps.sh
elif ! bash tools/install-deps.sh 2>/dev/null; then
  sudo bash tools/install-deps.sh
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
