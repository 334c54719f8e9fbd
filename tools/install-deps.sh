#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs: with no argument, what it takes
# to build, run and test it; a stage's name adds what that stage alone needs.
# This is the one list of packages; the other scripts call it.
#   tools/install-deps.sh              build, run, test, `cpack -G DEB`
#   tools/install-deps.sh sanitize     ... and tools/sanitize.sh
#   tools/install-deps.sh fuzz         ... and tools/fuzz.sh
#   tools/install-deps.sh package      ... and tools/check_package.sh
#   tools/install-deps.sh bench        ... and tools/bench_loading.sh
#   tools/install-deps.sh trace        ... and tools/compare_gl_traces.sh
#   tools/install-deps.sh strace       ... and tracing the loading worker
# Idempotent: when everything is already installed it only checks and returns.
# Installing needs root; other users go through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libassimp-dev libglm-dev libstb-dev libgtest-dev
  libgl1-mesa-dri mesa-utils
  # EGL: the capture program, the benchmark and the GL tests render without
  # a display server.
  libegl-dev
  # The loading worker's system-call filter.
  libseccomp-dev
  # Dear ImGui, for the overlay of keys and timings.
  libimgui-dev
  xvfb xauth xdotool imagemagick
  # The shader test's reference compiler; cpack's dependency scan of the
  # programs needs file.
  glslang-tools file
)

for stage in "$@"; do
  case $stage in
    # gcc's sanitizers come with build-essential; llvm-symbolizer lets their
    # reports name functions and lines.
    sanitize) packages+=(llvm) ;;
    # clang with libFuzzer, and llvm-symbolizer for the fuzzers' reports.
    fuzz) packages+=(clang libclang-rt-14-dev llvm) ;;
    # The desktop entry check.
    package) packages+=(desktop-file-utils) ;;
    # Peak memory of a whole run.
    bench) packages+=(time) ;;
    # The GL call recorder, and the interpreter of the script that
    # normalises its dumps.
    trace) packages+=(apitrace python3) ;;
    # The system calls the loading worker makes, for its filter's list.
    strace) packages+=(strace) ;;
    # A scaled desktop's resources and a window manager that minimises.
    window-modes) packages+=(x11-xserver-utils openbox) ;;
    *)
      echo "install-deps.sh: unknown stage '$stage' (sanitize, fuzz, package, bench, trace, strace or window-modes)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing packages: ${missing[*]}; run this script as root, or with sudo available, to install them." >&2
    exit 1
  fi
  as_root=(sudo)
fi

"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
