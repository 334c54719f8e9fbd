#!/usr/bin/env bash
# Builds the Debian package in build/ (`cpack -G DEB`, as the README says)
# and checks it: dependencies on the GLFW, GLEW and Assimp libraries (read
# from the programs by shlibdeps), the programs and the loading worker, the data, a valid desktop
# entry and the icon. Scanning and compression take half a minute, so CI
# runs this beside the test suite, not in it.
#   BUILD_DIR=build-x tools/check_package.sh      (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
bash tools/install-deps.sh package
bash tools/configure.sh "$build_dir"
cmake --build "$build_dir" -j"$(nproc)" --target vorlune vorlune_worker capture frame_bench
rm -f "$build_dir"/vorlune_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(echo "$build_dir"/vorlune_*_amd64.deb)
fail() {
  echo "package check FAILED: $*" >&2
  exit 1
}

depends=$(dpkg-deb -f "$deb" Depends)
for library in libglfw3 'libglew[0-9.]+' 'libassimp[0-9]+'; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends has no $library: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in bin/vorlune bin/vorlune-capture bin/vorlune-bench libexec/vorlune/vorlune-worker share/vorlune/data/shader/pointLightNormal.fs \
  share/vorlune/data/models/textures/wall_diffuse.png share/applications/vorlune.desktop \
  share/icons/hicolor/256x256/apps/vorlune.png; do
  grep -qxF "./usr/$path" <<<"$contents" || fail "./usr/$path is not in the package"
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
desktop-file-validate "$scratch/usr/share/applications/vorlune.desktop" || fail "invalid desktop entry"

echo "package OK: $deb, $(du -k "$deb" | cut -f1) KiB; Depends: $depends"
