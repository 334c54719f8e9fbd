#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs (when missing) and builds it in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
bash tools/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
