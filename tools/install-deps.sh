#!/usr/bin/env bash
# Installs every Debian package Vorlune needs to build, run and test.
# Idempotent: when everything is already installed it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libassimp-dev libglm-dev libstb-dev libgtest-dev
  libgl1-mesa-dri mesa-utils
  # EGL: the capture program, the benchmark and the GL tests render without
  # a display server.
  libegl-dev
  xvfb xauth xdotool imagemagick
  # The shader test's reference compiler; tools/check_package.sh: cpack's
  # dependency scan needs file, and the desktop entry check.
  glslang-tools file desktop-file-utils
  # tools/fuzz.sh and tools/sanitize.sh: clang with libFuzzer, and
  # llvm-symbolizer so sanitizer reports name functions and lines.
  clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run this script as root to install them." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
