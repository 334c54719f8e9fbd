#!/usr/bin/env bash
# Gathers what the GPU check needs into gpu/ (ignored by git), so that it can
# travel as one folder to a bare machine with a GPU and run there in one
# call: the viewer, capture, frame_bench, the GL test program and the two
# helpers the check uses (stripped), the shared libraries they link except
# glibc's own and the GL/EGL ones (the machine's driver provides those),
# glvnd's packages for a machine that lacks them, data/, the reference
# frames, and check.sh. Reuses build/ (or $BUILD_DIR), building what is
# missing.
#   tools/gpu_bundle.sh           make gpu/
#   tools/gpu_bundle.sh --prove   also copy it elsewhere and run its check
#                                 there, offscreen on this machine's GL (CI)
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD
build_dir=${BUILD_DIR:-build}
bundle=$root/gpu
# What may travel to the GPU machine with the working tree is 64 MiB in all.
max_bundle_mib=50
glvnd_packages=(libegl1 libglvnd0 libopengl0 libgl1 libglx0)
# Built program, and its name in the bundle.
programs=(vorlune vorlune-worker capture frame_bench heavy_inputs compare_frames tests/vorlune_gl_tests)
# The libraries left to the machine are the check's own list, so that what
# the bundle leaves out and what the check allows from outside cannot drift.
machine_libraries=$(sed -n "s/^machine_libraries='\(.*\)'$/\1/p" tools/gpu/check.sh)

prove=false
case ${1:-} in
  '') ;;
  --prove) prove=true ;;
  -h | --help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "gpu_bundle.sh: unknown option $1" >&2; exit 2 ;;
esac

BUILD_DIR=$build_dir bash tools/build.sh >/dev/null

rm -rf "$bundle"
mkdir -p "$bundle/lib" "$bundle/debs" "$bundle/reference"
for program in "${programs[@]}"; do
  strip --strip-unneeded -o "$bundle/$(basename "$program")" "$build_dir/$program"
done
for program in "${programs[@]}"; do
  ldd "$build_dir/$program"
done | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' | sort -u | while read -r name path; do
  if ! [[ $name =~ $machine_libraries ]]; then
    strip --strip-unneeded -o "$bundle/lib/$name" "$path"
  fi
done

# Downloaded once into the build folder; apt's lists may need a refresh.
debs=$build_dir/glvnd-debs
if ! ls "$debs"/*.deb >/dev/null 2>&1 || [ "$(ls "$debs"/*.deb | wc -l)" -lt ${#glvnd_packages[@]} ]; then
  mkdir -p "$debs"
  (cd "$debs" && { apt-get download -qq "${glvnd_packages[@]}" 2>/dev/null ||
    { apt-get update -qq && apt-get download -qq "${glvnd_packages[@]}"; }; })
fi
cp "$debs"/*.deb "$bundle/debs/"

cp -rL data "$bundle/data"
cp -r tests/reference/frames.txt tests/reference/images "$bundle/reference/"
cp tools/gpu/check.sh "$bundle/check.sh"

size_mib=$(du -sm "$bundle" | cut -f1)
echo "gpu/: ${size_mib} MiB, $(ls "$bundle/lib" | wc -l) libraries, $(ls "$bundle/debs" | wc -l) packages"
if [ "$size_mib" -gt "$max_bundle_mib" ]; then
  echo "gpu_bundle.sh: gpu/ is over ${max_bundle_mib} MiB" >&2
  exit 1
fi

if $prove; then
  # Moved away from the source and build folders, so nothing it needs can
  # come from them, and without a display, as on the GPU machine.
  elsewhere=$(mktemp -d)
  trap 'rm -rf "$elsewhere"' EXIT
  cp -a "$bundle" "$elsewhere/bundle"
  started=$SECONDS
  status=0
  (cd / && env -u DISPLAY OUT="$elsewhere/out" bash "$elsewhere/bundle/check.sh" >/dev/null) || status=$?
  echo "check.sh ran in $((SECONDS - started)) s with status $status; its report:"
  cat "$elsewhere/out/gpu-report.txt"
  exit "$status"
fi
