#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs (when missing) and builds it in
# build/, or in $BUILD_DIR (relative to the repository root).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
bash tools/install-deps.sh
bash tools/configure.sh "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j"$(nproc)"
