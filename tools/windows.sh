#!/usr/bin/env bash
# Cross-builds Vorlune for 64-bit Windows on Debian: installs MinGW-w64, Wine
# and the other packages it needs, builds GLFW, GLEW, Assimp (OBJ only, with
# minizip) and Dear ImGui from Debian's own source packages and GoogleTest
# from /usr/src/googletest as static MinGW libraries into
# build-windows/prefix (sources in build-windows/src), then configures and
# builds the project in build-windows/vorlune with
# tools/windows/mingw-w64.cmake, so that vorlune.exe needs no DLL beside
# Windows' own.
#   tools/windows.sh            everything; libraries already built are kept
#   tools/windows.sh deps       only the packages and the libraries
# A library is rebuilt only when its stamp in build-windows/prefix/stamps is
# gone (delete the stamp, or build-windows/, to rebuild). Runs as root, or
# with sudo for apt-get. JOBS sets the build's parallelism (default: nproc).
# Try the result with: xvfb-run -a wine build-windows/vorlune/vorlune.exe
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD
out=$root/build-windows
sources=$out/src
prefix=$out/prefix
stamps=$prefix/stamps
jobs=${JOBS:-$(nproc)}
toolchain=$root/tools/windows/mingw-w64.cmake
tool=windows.sh
# shellcheck source=tools/debian_sources.sh
. "$root/tools/debian_sources.sh"
triple=x86_64-w64-mingw32
# MinGW's zlib comes as an import library and a static one; the static one
# keeps the programs free of zlib1.dll.
mingw_zlib=/usr/$triple/lib/libz.a

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

install_packages() {
  enable_source_index
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev cmake make pkg-config \
    libstb-dev libutfcpp-dev libz-mingw-w64-dev libglm-dev googletest xvfb xauth patch
}

# Configures, builds and installs one CMake project into the prefix.
cmake_install() {
  local name=$1 source_dir=$2
  shift 2
  local build_dir=$out/deps/$name
  cmake -S "$source_dir" -B "$build_dir" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVORLUNE_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@"
  nice -n 10 cmake --build "$build_dir" -j"$jobs"
  cmake --install "$build_dir"
}

build_glfw() {
  cmake_install glfw "$(fetch_source glfw3 glfw3-3.3.8)" \
    -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
}

build_glew() {
  # The static library only; glewinfo and visualinfo are not needed.
  cmake_install glew "$(fetch_source glew glew-2.2.0)/build/cmake" -DBUILD_UTILS=OFF
}

build_assimp() {
  local source_dir
  source_dir=$(prepare_assimp_source)
  cmake_install assimp "$source_dir" \
    -DCMAKE_CXX_FLAGS="-I$source_dir/contrib/utf8cpp/source" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_OBJ_IMPORTER=ON \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
    -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_ZLIB=OFF \
    -DZLIB_INCLUDE_DIR=/usr/$triple/include -DZLIB_LIBRARY="$mingw_zlib"
}

build_imgui() {
  install_imgui "$triple-ar" "$triple-g++-posix"
}

# Header-only glm and stb, from the build machine's packages, go into the
# prefix, which is the only place the cross build looks; the library compiles
# stb_image_write's code itself, so stb.pc names no library. Cheap, so done on
# every run.
install_headers() {
  mkdir -p "$prefix/include" "$prefix/share/cmake" "$prefix/lib/pkgconfig"
  cp -r /usr/include/glm "$prefix/include/"
  cp -r /usr/share/cmake/glm "$prefix/share/cmake/"
  cp -r /usr/include/stb "$prefix/include/"
  rm -f "$prefix/lib/libstb.a" "$stamps/headers"
  cat >"$prefix/lib/pkgconfig/stb.pc" <<EOF
prefix=$prefix
includedir=\${prefix}/include/stb

Name: stb
Description: single-file image libraries (headers only)
Version: 0.0
Cflags: -I\${includedir}
EOF
}

build_googletest() {
  cmake_install googletest /usr/src/googletest -DBUILD_GMOCK=OFF
}

build_vorlune() {
  local build_dir=$out/vorlune status=0
  cmake -S "$root" -B "$build_dir" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVORLUNE_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
  # -k builds every target it can, so one failing program does not hide
  # the state of the others.
  nice -n 10 cmake --build "$build_dir" -j"$jobs" -- -k || status=$?
  # Anything beyond Windows' own DLLs would have to ship beside the programs.
  for program in vorlune vorlune-worker; do
    if [ -f "$build_dir/$program.exe" ]; then
      echo "windows.sh: $program.exe imports:" $($triple-objdump -p "$build_dir/$program.exe" | sed -n 's/^\s*DLL Name: //p')
    fi
  done
  return "$status"
}

# Runs a command on a virtual X display with Wine quiet, so Wine's own
# chatter does not bury the programs' output. Wine reads the environment and
# command lines in the locale's character set: UTF-8, for the folder names.
on_display() {
  LC_ALL=C.UTF-8 WINEDEBUG=-all xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
}

# Windows path of a build-machine path: Wine shows / as drive Z:.
windows_path() {
  echo "Z:$1" | tr / '\\'
}

# The number in gtest's closing summary line that starts with $1, or 0.
summary_count() {
  local count
  count=$(grep -o "^$1 [0-9]* tests\?[ .,]" "$2" | tail -1 | grep -o '[0-9]\+')
  echo "${count:-0}"
}

# The three test programs under Wine, the reference frames rendered by the
# packaged vorlune-capture.exe. Prints each program's counts and the tests
# it skipped, and the largest difference from the Linux reference images.
run_tests() {
  local tests_dir=$out/vorlune/tests capture=$1 status=0 log
  mkdir -p "$out/logs"
  for program in vorlune_tests vorlune_gl_tests vorlune_e2e_tests; do
    log=$out/logs/$program.txt
    (cd "$tests_dir" && VORLUNE_CAPTURE_PROGRAM=$(windows_path "$capture") \
      on_display timeout 1500 wine "$program.exe") 2>&1 | tr -d '\r' >"$log" || status=1
    # gtest's closing summary: "[==========] N tests from M test suites ran.",
    # then "[  PASSED  ] N tests." and, where there are any, SKIPPED and FAILED.
    echo "windows.sh: $program under Wine: $(summary_count '\[==========\]' "$log") run," \
      "$(summary_count '\[  PASSED  \]' "$log") passed, $(summary_count '\[  SKIPPED \]' "$log") skipped," \
      "$(summary_count '\[  FAILED  \]' "$log") failed ($log)"
    # gtest writes each skip's place and, on the next line, its reason.
    grep -A1 ': Skipped$' "$log" | grep -v ': Skipped$\|^--$' | sort | uniq -c | sed 's/^ */  skipped: /' || true
  done
  echo "windows.sh: file identity under Wine:" \
    "$(grep -c '^\[       OK \] ModelGL\.\(TexturesAreAsManyAsTheFiles\|SharedImageIsLoadedOnce\|ModelsOfOneStartUpShare\)' \
      "$out/logs/vorlune_gl_tests.txt") of 3 passed"
  grep -o 'largest difference [0-9]*' "$out/logs/vorlune_e2e_tests.txt" | sort -k3 -n | tail -1 |
    sed 's/^/windows.sh: reference frames (packaged capture under Wine against the Linux images): /' || true
  grep -o '^[0-9.e-]*% of pixels differ' "$out/logs/vorlune_e2e_tests.txt" | sort -g | tail -1 |
    sed 's/^/windows.sh: largest share of pixels over the threshold: /' || true
  return "$status"
}

# Makes the zip and unpacks it into a folder named outside ASCII.
package() {
  local build_dir=$out/vorlune
  rm -f "$build_dir"/vorlune-*-win64.zip
  (cd "$build_dir" && cpack -G ZIP >/dev/null)
  zip=$(ls "$build_dir"/vorlune-*-win64.zip)
  unpacked="$out/check/Vorlune é 雪"
  rm -rf "$out/check"
  mkdir -p "$unpacked" "$out/check/elsewhere"
  (cd "$unpacked" && python3 -m zipfile -e "$zip" .)
  unpacked=$(echo "$unpacked"/vorlune-*-win64)
  echo "windows.sh: $(basename "$zip"): $(du -k "$zip" | cut -f1) KiB"
  # The viewer loads every model and image through the worker beside it.
  [ -f "$unpacked/vorlune-worker.exe" ] || { echo "windows.sh: the zip holds no vorlune-worker.exe"; return 1; }
}

# The unpacked viewer started from another folder: its "Vorlune" window
# must open and show a picture, its scene must load through the worker with
# nothing reported, and Escape must end it with status 0. Alone in a folder
# without data it must say so in one line and exit 1.
check_package() {
  local shot=$out/check/viewer.png
  on_display bash -c '
    cd "$2" && wine "$1" >viewer-output.txt 2>&1 &
    wine_pid=$!
    window=$(timeout 120 xdotool search --sync --onlyvisible --name "^Vorlune\$" | head -1)
    [ -n "$window" ] || { echo "windows.sh: no Vorlune window"; exit 1; }
    # The window appears before the scene has loaded: look until it shows a
    # drawn picture, as long as a slow machine may need.
    until import -window "$window" "$3" 2>/dev/null && [ "$(identify -format %k "$3")" -gt 1000 ]; do
      [ $SECONDS -lt 300 ] || break
      sleep 0.5
    done
    # xdotool complains about Xvfb'\''s focus; the key still arrives.
    xdotool key --window "$window" Escape 2>/dev/null
    wait "$wine_pid"
  ' check "$(windows_path "$unpacked/vorlune.exe")" "$out/check/elsewhere" "$shot" ||
    { echo "windows.sh: the packaged viewer did not exit with status 0 after Escape"; return 1; }
  local colours
  colours=$(identify -format '%k' "$shot")
  echo "windows.sh: packaged viewer: window opened, $colours colours drawn, Escape gave status 0"
  [ "$colours" -gt 1000 ] || { echo "windows.sh: the window shows no picture ($shot)"; return 1; }
  # Every model and texture comes through vorlune-worker.exe: one it could
  # not load is reported, and the hallway drawn without it.
  local output=$out/check/elsewhere/viewer-output.txt
  if grep -q '^ERROR::\(ASSIMP\|TEXTURE\)::' "$output"; then
    echo "windows.sh: the packaged viewer did not load its whole scene:"
    tr -d '\r' <"$output" | sed 's/^/  /'
    return 1
  fi
  echo "windows.sh: packaged viewer: every model and texture loaded through vorlune-worker.exe"

  mkdir -p "$out/check/alone"
  cp "$unpacked/vorlune.exe" "$out/check/alone/"
  local said status=0
  said=$(cd "$out/check/alone" && on_display wine vorlune.exe 2>&1) || status=$?
  if [ "$status" -ne 1 ] || [ "$(printf '%s\n' "$said" | wc -l)" -ne 1 ]; then
    echo "windows.sh: without data the viewer gave status $status and said: $said"
    return 1
  fi
  echo "windows.sh: packaged viewer without data: one line, status 1"
}

case ${1:-all} in
  all | deps) ;;
  *)
    echo "windows.sh: unknown argument '$1' (deps, or nothing)" >&2
    exit 2
    ;;
esac

install_packages
export VORLUNE_WINDOWS_PREFIX=$prefix
deps_start=$SECONDS
for library in glfw glew assimp googletest imgui; do
  build_once "$library"
done
install_headers
echo "windows.sh: libraries ready in $((SECONDS - deps_start)) s"
if [ "${1:-all}" = all ]; then
  step_start=$SECONDS
  build_vorlune
  echo "windows.sh: built in $((SECONDS - step_start)) s"
  step_start=$SECONDS
  package
  check_package
  echo "windows.sh: package checked in $((SECONDS - step_start)) s"
  step_start=$SECONDS
  run_tests "$unpacked/vorlune-capture.exe"
  echo "windows.sh: tests under Wine in $((SECONDS - step_start)) s"
fi
