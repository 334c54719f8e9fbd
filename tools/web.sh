#!/usr/bin/env bash
# Builds Vorlune for the browser (WebAssembly and WebGL 2) with Debian's
# Emscripten: installs the packages it needs, builds zlib, Assimp (OBJ
# only) and Dear ImGui from Debian's own source packages as static
# WebAssembly libraries into build-web/prefix (sources in build-web/src,
# build folders in build-web/deps), copies the header-only GLM and stb
# there, and installs the pinned puppeteer-core under tools/web/node_modules,
# which drives the system's Chromium and Firefox ESR for the page's checks.
#   tools/web.sh            everything; libraries already built are kept
#   tools/web.sh deps       only the packages, the libraries and puppeteer-core
#   tools/web.sh --serve    builds, then serves the page on this machine
#   tools/web.sh --check    builds, then checks the page in headless Chromium
#                           and Firefox ESR (under Xvfb): the test page
#                           (build-web/test_page: the site with the test
#                           hooks) and the site itself
# A library is rebuilt only when its stamp in build-web/prefix/stamps is gone
# (delete the stamp, or build-web/, to rebuild). Runs as root, or with sudo
# for apt-get. JOBS sets the build's parallelism (default: nproc).
#
# A CMake project built with `emcmake cmake` finds the prefix's libraries
# with -DCMAKE_FIND_ROOT_PATH=build-web/prefix: Emscripten's toolchain looks
# for packages, libraries and headers only under its root paths.
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD
out=$root/build-web
sources=$out/src
prefix=$out/prefix
stamps=$prefix/stamps
jobs=${JOBS:-$(nproc)}
web_tools=$root/tools/web
tool=web.sh
# shellcheck source=tools/debian_sources.sh
. "$root/tools/debian_sources.sh"

# Debian's emcc runs its JavaScript helpers with the system's node, which
# finds the packaged acorn and friends only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

install_packages() {
  local packages=(
    emscripten cmake make python3 dpkg-dev patch
    libglm-dev libstb-dev libutfcpp-dev
    # The shaders' ES conversion is checked with the reference compiler.
    glslang-tools
    # The browsers the page is checked in; Firefox draws WebGL only with an
    # X display, which Xvfb gives a machine without one.
    chromium firefox-esr xvfb xauth
  )
  # A machine that took Node.js from elsewhere (NodeSource's package carries
  # its own npm and conflicts with Debian's) keeps it; on plain Debian both
  # come from Debian.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ] && has_source_index; then
    return
  fi
  enable_source_index
  "${as_root[@]}" apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build_zlib() {
  local source_dir build_dir=$out/deps/zlib file
  source_dir=$(fetch_source zlib zlib-1.2.13.dfsg)
  # zlib's own CMake build wants the Windows resource file that Debian's
  # source leaves out, and its configure script probes the host compiler;
  # the library is fifteen C files, compiled directly.
  rm -rf "$build_dir"
  mkdir -p "$build_dir" "$prefix/lib" "$prefix/include"
  for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    echo "$file"
  done | nice -n 10 xargs -P "$jobs" -I{} \
    emcc -O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$source_dir/{}.c" -o "$build_dir/{}.o"
  rm -f "$prefix/lib/libz.a"
  emar rcs "$prefix/lib/libz.a" "$build_dir"/*.o
  cp "$source_dir/zlib.h" "$source_dir/zconf.h" "$prefix/include/"
}

build_assimp() {
  local source_dir build_dir=$out/deps/assimp
  source_dir=$(prepare_assimp_source)
  # Emscripten builds without exception support by default, and then a throw
  # ends the whole program: a malformed OBJ has to come back as the import's
  # error instead, so the library and everything linked with it catch
  # exceptions. pkg-config sees only the prefix: the build machine's own
  # minizip.pc would otherwise replace the bundled unzip code with a host
  # library and its headers.
  rm -rf "$build_dir"
  PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH='' \
    emcmake cmake -S "$source_dir" -B "$build_dir" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DCMAKE_C_FLAGS="-fexceptions" \
    -DCMAKE_CXX_FLAGS="-fexceptions -I$source_dir/contrib/utf8cpp/source" \
    -DCMAKE_EXE_LINKER_FLAGS="-fexceptions" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_OBJ_IMPORTER=ON \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
    -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_BUILD_MINIZIP=ON \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
  nice -n 10 cmake --build "$build_dir" -j"$jobs"
  cmake --install "$build_dir"
}

# Compiled with exceptions, like everything else linked into the page.
build_imgui() {
  install_imgui emar em++ -fexceptions
}

# Header-only GLM and stb go into the prefix, so that em++ is never handed
# the build machine's /usr/include, whose system headers are not
# Emscripten's. Cheap, so done on every run.
install_headers() {
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  rm -rf "$prefix/include/glm" "$prefix/include/stb" "$prefix/share/cmake/glm"
  cp -r /usr/include/glm /usr/include/stb "$prefix/include/"
  cp -r /usr/share/cmake/glm "$prefix/share/cmake/"
}

# puppeteer-core from tools/web/package-lock.json, without install scripts:
# it drives the system's Chromium and downloads no browser. Installed again
# only when the lock file changes.
install_npm() {
  local lock=$web_tools/package-lock.json installed=$web_tools/node_modules/.vorlune-lock.sha256
  # Every package comes from the npm registry: a lock file that names any
  # other address (a git host, a tarball elsewhere) is refused.
  if grep -n '"resolved": *"' "$lock" | grep -v '"resolved": *"https://registry\.npmjs\.org/'; then
    echo "web.sh: $lock names a download outside the npm registry (above)" >&2
    return 1
  fi
  local sum
  sum=$(sha256sum "$lock" | cut -d' ' -f1)
  if [ -f "$installed" ] && [ "$(cat "$installed")" = "$sum" ]; then
    echo "web.sh: puppeteer-core already installed"
    return
  fi
  (cd "$web_tools" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  echo "$sum" >"$installed"
  echo "web.sh: puppeteer-core $(node -p "require('$web_tools/node_modules/puppeteer-core/package.json').version") installed"
}

# Copies data/ to $1 as the page loads it: WebGL 2 has no geometry stage, so
# geometry shaders stay behind, and every other shader is turned from GLSL
# 3.30 into GLSL ES 3.00 from the same source. Rebuilt on every call.
stage_data() {
  local dest=$1 shader relative
  rm -rf "$dest"
  mkdir -p "$dest"
  cp -r "$root/data/." "$dest/"
  find "$dest" -name '*.gs' -delete
  while IFS= read -r -d '' shader; do
    relative=${shader#"$root/data/"}
    python3 "$web_tools/glsl_es.py" "$shader" "$dest/$relative"
  done < <(find "$root/data" \( -name '*.vs' -o -name '*.fs' \) -print0)
}

# A page: the viewer built with emcmake against the prefix (the CMake
# branch in tools/web/web.cmake) as target $1, with the data staged in
# build-web/data, and the four files a static host serves copied to
# build-web/$2.
build_page() {
  local target=$1 folder=$2
  emcmake cmake -S "$root" -B "$out/viewer" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DVORLUNE_WEB_PREFIX="$prefix" -DVORLUNE_WEB_DATA="$out/data" >/dev/null
  nice -n 10 cmake --build "$out/viewer" -j"$jobs" --target "$target"
  rm -rf "${out:?}/$folder"
  mkdir -p "$out/$folder"
  cp "$out/viewer/$folder"/index.{html,js,wasm,data} "$out/$folder/"
  echo "web.sh: $target is in $out/$folder:" $(cd "$out/$folder" && ls)
}

# Any static file server does; Python's names .wasm's type, which lets the
# browser compile the module while it downloads.
serve_site() {
  local port=${PORT:-8080}
  echo "web.sh: the page is at http://127.0.0.1:$port/ (Ctrl-C stops serving)"
  exec python3 -m http.server --bind 127.0.0.1 --directory "$out/site" "$port"
}

# The browser check (tools/web/check.mjs) with the native programs it
# measures and judges against: compare_frames holds the browser's renders to
# the reference images as the test suite does, and frame_bench gives the
# desktop's frame times on this machine in the same run.
check_site() {
  local native=$root/${BUILD_DIR:-build}
  BUILD_DIR=${BUILD_DIR:-build} bash "$root/tools/build.sh" >/dev/null
  local status=0
  # A display of its own even where there is one: the same llvmpipe for
  # Firefox on every machine, and none of the desktop's windows.
  xvfb-run -a node "$web_tools/check.mjs" "$out/site" "$out/test_page" "$out/check" "$root/tests/reference" \
    "$native/compare_frames" || status=$?
  echo
  echo "web.sh: native frame times on this machine (frame_bench --offscreen, llvmpipe), for comparison:"
  local bench=$out/check/native-bench.txt
  (cd "$root" && "$native/frame_bench" --offscreen --frames 30) >"$bench"
  sed -n '/^configuration/,/^present/p' "$bench" | sed 's/^/  /'
  # Browser over native, per browser and the renderer it ran on.
  node -e '
    const fs = require("fs");
    const browser = JSON.parse(fs.readFileSync(process.argv[1], "utf8"));
    const native = {};
    for (const line of fs.readFileSync(process.argv[2], "utf8").split("\n")) {
      const match = line.match(/^(all effects (?:on|off))\s+([0-9.]+)\s+[0-9.]+$/);
      if (match && !(match[1] in native)) native[match[1]] = Number(match[2]);
    }
    for (const [browserOnRenderer, times] of Object.entries(browser)) {
      for (const [name, ms] of Object.entries(times)) {
        console.log(`web.sh: ${name}: ${browserOnRenderer} ${ms.toFixed(1)} ms, native ${native[name].toFixed(1)} ms:` +
          ` ${(ms / native[name]).toFixed(2)}x`);
      }
    }' "$out/check/browser-frame-times.json" "$bench" || true
  return "$status"
}

mode=${1:-all}
case $mode in
  all | deps | --serve | --check) ;;
  *)
    echo "web.sh: unknown argument '$1' (deps, --serve, --check, or nothing)" >&2
    exit 2
    ;;
esac

deps_start=$SECONDS
install_packages
for library in zlib assimp imgui; do
  build_once "$library"
done
install_headers
install_npm
echo "web.sh: libraries ready in $((SECONDS - deps_start)) s"
[ "$mode" = deps ] && exit 0

step_start=$SECONDS
stage_data "$out/data"
build_page vorlune_web site
echo "web.sh: built in $((SECONDS - step_start)) s"
case $mode in
  --serve) serve_site ;;
  --check)
    step_start=$SECONDS
    build_page vorlune_web_test_page test_page
    echo "web.sh: test page built in $((SECONDS - step_start)) s"
    step_start=$SECONDS
    check_site
    echo "web.sh: page checked in $((SECONDS - step_start)) s"
    ;;
esac
