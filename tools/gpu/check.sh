#!/usr/bin/env bash
# Vorlune's GPU check. Runs from a bundle that tools/gpu_bundle.sh made (the
# programs, the GL test program, their libraries, data/, the reference
# frames and the glvnd packages), on a machine with a GPU and no display, or
# anywhere else to prove the bundle. Writes one report, gpu-report.txt, with
# a few rendered frames beside it, into $OUT (default gpu-out/ beside this
# script):
#   - the libraries each program resolves, and any from outside the bundle
#     other than glibc's and the GL/EGL ones (a problem);
#   - the EGL platform, GL renderer, version and driver;
#   - the GL tests' result;
#   - start-up to the first frame, with its breakdown;
#   - frame_bench offscreen at 1280x720: each effect combination's median and
#     first frame, and each pass's GPU time from timer queries;
#   - the reference frames rendered here and compared with the references;
#   - a heavier case: the pipe given six 4096 px textures, its start-up and
#     frame times.
# Every step has a time limit, so a hang stops the step, not the check. Exit
# status 0 when every step ran and passed, 1 otherwise.
#   bash check.sh
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${OUT:-$here/gpu-out}
mkdir -p "$out"
report=$out/gpu-report.txt
: >"$report"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The bundle's own libraries first; GL and EGL come from the machine (its
# driver, through glvnd).
export LD_LIBRARY_PATH=$here/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# Headless: the programs then render offscreen through EGL, on the GPU's EGL
# device when there is one, else on Mesa's surfaceless platform.
unset DISPLAY

programs=(vorlune vorlune-worker capture frame_bench vorlune_gl_tests heavy_inputs compare_frames)
# Left to the machine: glibc's own libraries, the loader, and GL/EGL, which
# must be the machine's to reach its driver.
machine_libraries='^(linux-vdso|ld-linux|libc|libm|libdl|libpthread|librt|libGL|libGLX|libEGL|libOpenGL|libGLdispatch|libGLESv2)\.so'
# Frames copied beside the report, for looking at.
kept_frames=(near-beacon-000.png looking-up-at-beacon-000.png turn-leg-001.png)

problems=()

say() { printf '%s\n' "$*" | tee -a "$report"; }
section() { say ""; say "== $*"; }
problem() {
  problems+=("$1")
  say "PROBLEM: $1"
}

# step NAME LIMIT_SECONDS COMMAND...: runs COMMAND with its output in the
# report, stopped if it outlasts the limit. Its status is returned.
step() {
  local name=$1 limit=$2
  shift 2
  local started=$SECONDS status
  timeout --kill-after=10 "$limit" "$@" 2>&1 | tee -a "$report"
  status=${PIPESTATUS[0]}
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    problem "$name was stopped after ${limit} s"
  fi
  say "($name: exit status $status, $((SECONDS - started)) s)"
  return "$status"
}

nvidia_driver_present() {
  [ -e /dev/nvidiactl ] || [ -d /proc/driver/nvidia ]
}

# glvnd's libGL, libEGL and friends, which dispatch to the NVIDIA driver,
# unpacked into / as the machine's own. Only where that driver is: anywhere
# else they would replace the system's libraries.
install_glvnd() {
  local deb
  for deb in "$here"/debs/*.deb; do
    dpkg -x "$deb" /
  done
  ldconfig
  local vendor=/usr/local/nvidia/share/glvnd/egl_vendor.d/10_nvidia.json
  if ! ls /usr/share/glvnd/egl_vendor.d/*nvidia* >/dev/null 2>&1 && [ -f "$vendor" ]; then
    export __EGL_VENDOR_LIBRARY_FILENAMES=$vendor
  fi
}

section "libraries"
ldd --version 2>&1 | head -n 1 | tee -a "$report"
for program in "${programs[@]}"; do
  say "-- $program"
  ldd "$here/$program" 2>&1 | tee -a "$report"
done

section "driver"
if nvidia_driver_present; then
  command -v nvidia-smi >/dev/null && nvidia-smi --query-gpu=name,driver_version --format=csv,noheader 2>&1 | tee -a "$report"
  install_glvnd
  say "glvnd packages unpacked: $(ls "$here"/debs | tr '\n' ' ')"
else
  say "no NVIDIA driver: the machine's own GL and EGL are used"
fi
outside=$(for program in "${programs[@]}"; do ldd "$here/$program"; done 2>&1 |
  awk -v lib="$here/lib/" '
    /not found/ { print $1 " (not found)"; next }
    $2 == "=>" && index($3, lib) != 1 { print $1 " => " $3 }' |
  grep -Ev "$machine_libraries" | sort -u)
if [ -n "$outside" ]; then
  problem "libraries from outside the bundle: $(echo "$outside" | tr '\n' ' ')"
else
  say "every library but glibc's and GL/EGL comes from the bundle"
fi

section "context and start-up (frame_bench --offscreen --startup-only)"
cd "$here" || exit 1
step "start-up" 180 ./frame_bench --offscreen --startup-only || problem "frame_bench --startup-only failed"

section "GL tests"
if ! step "GL tests" 600 ./vorlune_gl_tests --gtest_brief=1; then
  problem "GL tests failed"
fi

section "frames (frame_bench --offscreen, 1280x720)"
step "frame_bench" 300 ./frame_bench --offscreen || problem "frame_bench failed"

section "reference frames (capture --offscreen, compared at half size)"
frames=$scratch/frames
mkdir -p "$frames"
while read -r name arguments; do
  case $name in '' | '#'*) continue ;; esac
  # Word splitting is wanted: the arguments are the capture's own.
  # shellcheck disable=SC2086
  if ! step "capture $name" 120 ./capture --offscreen --out "$frames" --prefix "$name" $arguments >/dev/null; then
    problem "capture $name failed"
    continue
  fi
  for render in "$frames/$name"-[0-9][0-9][0-9].png; do
    image=$(basename "$render")
    printf '%-36s ' "$image" | tee -a "$report"
    ./compare_frames "reference/images/$image" "$render" 2>&1 | tee -a "$report"
    [ "${PIPESTATUS[0]}" -eq 0 ] || problem "$image differs from its reference beyond the tolerance"
  done
done <reference/frames.txt
for image in "${kept_frames[@]}"; do
  cp "$frames/$image" "$out/" 2>/dev/null || true
done

section "heavier case: the pipe with six 4096 px textures"
heavy=$scratch/heavy
mkdir -p "$heavy"
cp -r data "$heavy/data"
if step "texture generation" 300 bash -c 'cd "$1/data/models" && "$2/heavy_inputs" textures 4096 $(awk "/^map_/ {print \$2}" pipe.mtl)' _ "$heavy" "$here"; then
  (cd "$heavy" && step "frame_bench, heavy pipe" 300 "$here/frame_bench" --offscreen --frames 20) ||
    problem "frame_bench with the heavy pipe failed"
else
  problem "the heavy textures could not be made"
fi

section "result"
if [ ${#problems[@]} -eq 0 ]; then
  say "every step ran and passed"
  exit 0
fi
say "${#problems[@]} problem(s):"
for p in "${problems[@]}"; do say "  - $p"; done
exit 1
