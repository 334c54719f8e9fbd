#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs (when missing) and builds it in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
