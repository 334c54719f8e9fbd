#!/usr/bin/env bash
# Configures a build folder without CMake's progress lines, but when
# configuring fails shows all of its output: the error, and the lines before
# it that say which library or module was not found.
#   tools/configure.sh BUILD_DIR [CMAKE_ARGUMENT...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=$1
shift
if ! output=$(cmake -S . -B "$build_dir" "$@" 2>&1); then
  printf '%s\n' "$output" >&2
  echo "Configuring $build_dir failed; CMake's output is above." >&2
  exit 1
fi
