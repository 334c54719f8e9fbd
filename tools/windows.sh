#!/usr/bin/env bash
# Cross-builds Vorlune for 64-bit Windows on Debian: installs MinGW-w64, Wine
# and the other packages it needs, builds GLFW, GLEW, Assimp (OBJ only, with
# minizip) from Debian's own source packages and GoogleTest from
# /usr/src/googletest as static MinGW libraries into build-windows/prefix
# (sources in build-windows/src), then configures and builds the project in
# build-windows/vorlune with tools/windows/mingw-w64.cmake, so that
# vorlune.exe needs no DLL beside Windows' own.
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
triple=x86_64-w64-mingw32
# MinGW's zlib comes as an import library and a static one; the static one
# keeps the programs free of zlib1.dll.
mingw_zlib=/usr/$triple/lib/libz.a

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

install_packages() {
  # apt-get source needs the archive's source index: derived from the
  # binary entry, so it follows whatever mirror the machine uses.
  if ! grep -qs '^\(Types: *deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources; then
    local binary=/etc/apt/sources.list.d/debian.sources
    if [ -f "$binary" ]; then
      sed 's/^Types: *deb$/Types: deb-src/' "$binary" | "${as_root[@]}" tee /etc/apt/sources.list.d/vorlune-deb-src.sources >/dev/null
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | "${as_root[@]}" tee /etc/apt/sources.list.d/vorlune-deb-src.list >/dev/null
    fi
  fi
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev cmake make pkg-config \
    libstb-dev libutfcpp-dev libz-mingw-w64-dev libglm-dev googletest xvfb xauth patch
}

# Unpacks a Debian source package (patches applied) into $sources once;
# prints the folder.
fetch_source() {
  local package=$1 folder=$2
  if [ ! -d "$sources/$folder" ]; then
    mkdir -p "$sources"
    (cd "$sources" && apt-get source -qq "$package" >&2)
  fi
  echo "$sources/$folder"
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

# Runs a library's build function unless its stamp says it is installed.
build_once() {
  local name=$1
  if [ -f "$stamps/$name" ]; then
    echo "windows.sh: $name already built"
    return
  fi
  local start=$SECONDS
  "build_$name"
  mkdir -p "$stamps"
  touch "$stamps/$name"
  echo "windows.sh: $name built in $((SECONDS - start)) s"
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
  local source_dir minizip_dir
  source_dir=$(fetch_source assimp 'assimp-5.2.5~ds0')
  minizip_dir=$(fetch_source minizip minizip-1.1)
  # Debian's source leaves out the bundled stb_image, utfcpp and minizip in
  # favour of its own packages; the same files are put back where Assimp
  # looks. Minizip keeps its decryption in crypt.h alone, so Assimp's
  # separate crypt.c is dropped from the list.
  mkdir -p "$source_dir/contrib/stb" "$source_dir/contrib/utf8cpp/source" "$source_dir/contrib/unzip"
  cp /usr/include/stb/stb_image.h "$source_dir/contrib/stb/"
  cp -r /usr/include/utf8cpp/utf8.h /usr/include/utf8cpp/utf8 "$source_dir/contrib/utf8cpp/source/"
  cp "$minizip_dir"/{unzip.c,unzip.h,ioapi.c,ioapi.h,crypt.h} "$source_dir/contrib/unzip/"
  sed -i '\|\.\./contrib/unzip/crypt\.c|d' "$source_dir/code/CMakeLists.txt"
  # Debian links its own Draco build into every Assimp; the OBJ importer
  # needs none.
  if grep -q '^find_package(draco CONFIG REQUIRED)' "$source_dir/code/CMakeLists.txt"; then
    (cd "$source_dir" && patch -R -p1 -s <debian/patches/use-system-libdraco.patch)
  fi
  cmake_install assimp "$source_dir" \
    -DCMAKE_CXX_FLAGS="-I$source_dir/contrib/utf8cpp/source" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_OBJ_IMPORTER=ON \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
    -DASSIMP_INSTALL_PDB=OFF -DASSIMP_BUILD_ZLIB=OFF \
    -DZLIB_INCLUDE_DIR=/usr/$triple/include -DZLIB_LIBRARY="$mingw_zlib"
}

# Header-only glm and stb, from the build machine's packages, go into the
# prefix, which is the only place the cross build looks. Debian's stb.pc
# names a shared libstb holding stb_image_write's code; a static one stands
# in for it.
build_headers() {
  mkdir -p "$prefix/include" "$prefix/share/cmake" "$prefix/lib/pkgconfig" "$out/deps/stb"
  cp -r /usr/include/glm "$prefix/include/"
  cp -r /usr/share/cmake/glm "$prefix/share/cmake/"
  cp -r /usr/include/stb "$prefix/include/"
  printf '#define STB_IMAGE_WRITE_IMPLEMENTATION\n#include <stb_image_write.h>\n' >"$out/deps/stb/stb_image_write.c"
  $triple-gcc-posix -O2 -I"$prefix/include/stb" -c "$out/deps/stb/stb_image_write.c" -o "$out/deps/stb/stb_image_write.o"
  $triple-ar rcs "$prefix/lib/libstb.a" "$out/deps/stb/stb_image_write.o"
  cat >"$prefix/lib/pkgconfig/stb.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include/stb

Name: stb
Description: single-file image libraries (stb_image_write's code built in)
Version: 0.0
Libs: -L\${libdir} -lstb
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
  # Anything beyond Windows' own DLLs would have to ship beside the program.
  if [ -f "$build_dir/vorlune.exe" ]; then
    echo "windows.sh: vorlune.exe imports:" $($triple-objdump -p "$build_dir/vorlune.exe" | sed -n 's/^\s*DLL Name: //p')
  fi
  return "$status"
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
for library in glfw glew assimp googletest headers; do
  build_once "$library"
done
echo "windows.sh: libraries ready in $((SECONDS - deps_start)) s"
if [ "${1:-all}" = all ]; then
  build_vorlune
fi
