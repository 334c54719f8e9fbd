# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables below are the sourcing script's
# What tools/windows.sh and tools/web.sh share: both build the libraries a
# cross build needs from Debian's own source packages, each into a prefix
# of its own. Sourced by them, not run. They set, before calling:
#   tool     the script's name, which starts its lines
#   sources  where source packages are unpacked
#   prefix   where the libraries are installed; stamps, its built-library notes
#   out      the script's build folder (deps/NAME for a library's objects)
#   jobs     how many compilers run at once
#   as_root  the command prefix apt-get needs (empty as root, else sudo)

# Whether apt-get can fetch source packages: some deb-src entry is enabled.
has_source_index() {
  grep -qs '^\(Types: *deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
}

# apt-get source needs the archive's source index: derived from the binary
# entry, so it follows whatever mirror the machine uses. The caller runs
# apt-get update after.
enable_source_index() {
  has_source_index && return
  local binary=/etc/apt/sources.list.d/debian.sources
  if [ -f "$binary" ]; then
    sed 's/^Types: *deb$/Types: deb-src/' "$binary" | "${as_root[@]}" tee /etc/apt/sources.list.d/vorlune-deb-src.sources >/dev/null
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | "${as_root[@]}" tee /etc/apt/sources.list.d/vorlune-deb-src.list >/dev/null
  fi
}

# Unpacks a Debian source package (patches applied) into $sources once;
# prints the folder. A machine whose packages were all present may have
# skipped apt-get update, so a missing source index is fetched here. An
# archive may list a new version before its mirror serves the files (a
# security update, say): then the versions before it are tried, newest first.
fetch_source() {
  local package=$1 folder=$2 versions version
  if [ ! -d "$sources/$folder" ]; then
    mkdir -p "$sources"
    versions=$(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -urV)
    if [ -z "$versions" ]; then
      "${as_root[@]}" apt-get update -qq
      versions=$(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -urV)
    fi
    for version in $versions; do
      if (cd "$sources" && apt-get source -qq "$package=$version" >&2); then
        echo "$tool: $package $version unpacked" >&2
        break
      fi
      echo "$tool: $package $version could not be fetched" >&2
    done
    # Called in a command substitution, where set -e does not reach.
    if [ ! -d "$sources/$folder" ]; then
      echo "$tool: no source of $package unpacked into $sources/$folder" >&2
      return 1
    fi
  fi
  echo "$sources/$folder"
}

# Runs a library's build function unless its stamp says it is installed.
build_once() {
  local name=$1
  if [ -f "$stamps/$name" ]; then
    echo "$tool: $name already built"
    return
  fi
  local start=$SECONDS
  "build_$name"
  mkdir -p "$stamps"
  touch "$stamps/$name"
  echo "$tool: $name built in $((SECONDS - start)) s"
}

# Unpacks Assimp's source and makes it build on its own; prints its folder.
# Debian's source leaves out the bundled stb_image, utfcpp and minizip in
# favour of its own packages; the same files are put back where Assimp
# looks. Minizip keeps its decryption in crypt.h alone, so Assimp's separate
# crypt.c is dropped from the list. Debian links its own Draco build into
# every Assimp; the OBJ importer needs none.
prepare_assimp_source() {
  local source_dir minizip_dir
  source_dir=$(fetch_source assimp 'assimp-5.2.5~ds0')
  minizip_dir=$(fetch_source minizip minizip-1.1)
  mkdir -p "$source_dir/contrib/stb" "$source_dir/contrib/utf8cpp/source" "$source_dir/contrib/unzip"
  cp /usr/include/stb/stb_image.h "$source_dir/contrib/stb/"
  cp -r /usr/include/utf8cpp/utf8.h /usr/include/utf8cpp/utf8 "$source_dir/contrib/utf8cpp/source/"
  cp "$minizip_dir"/{unzip.c,unzip.h,ioapi.c,ioapi.h,crypt.h} "$source_dir/contrib/unzip/"
  sed -i '\|\.\./contrib/unzip/crypt\.c|d' "$source_dir/code/CMakeLists.txt"
  if grep -q '^find_package(draco CONFIG REQUIRED)' "$source_dir/code/CMakeLists.txt"; then
    (cd "$source_dir" && patch -R -p1 -s <debian/patches/use-system-libdraco.patch >&2)
  fi
  echo "$source_dir"
}

# install_imgui ARCHIVER COMPILER [FLAG...]: Dear ImGui's core into the
# prefix. It has no build system of its own: the core is four C++ files,
# compiled directly. Debian's package builds them against the system's
# stb_truetype and stb_rect_pack and leaves that code to libstb, which has
# no cross build; the same two headers from the build machine are compiled
# into imgui_draw.cpp instead, which keeps them static, so the fonts are
# rasterised by the same stb code as on Linux and nothing clashes with the
# program's own stb. They are named by full path, so the cross compiler is
# never handed /usr/include. The public headers need only the bundled
# imstb_textedit.h. The OpenGL 3 renderer is installed as source: the
# project compiles it against its own GL entry points.
install_imgui() {
  local archiver=$1 source_dir build_dir=$out/deps/imgui version
  shift
  source_dir=$(fetch_source imgui imgui-1.86+ds)
  rm -rf "$build_dir"
  mkdir -p "$build_dir" "$prefix/lib/pkgconfig" "$prefix/include/imgui" "$prefix/share/imgui/backends"
  printf '%s\n' imgui imgui_draw imgui_tables imgui_widgets |
    nice -n 10 xargs -P "$jobs" -I{} "$@" -O2 \
      '-DIMGUI_STB_TRUETYPE_FILENAME="/usr/include/stb/stb_truetype.h"' \
      '-DIMGUI_STB_RECT_PACK_FILENAME="/usr/include/stb/stb_rect_pack.h"' \
      -c "$source_dir/{}.cpp" -o "$build_dir/{}.o"
  rm -f "$prefix/lib/libimgui.a"
  "$archiver" rcs "$prefix/lib/libimgui.a" "$build_dir"/*.o
  cp "$source_dir"/{imgui.h,imconfig.h,imgui_internal.h,imstb_textedit.h} "$prefix/include/imgui/"
  cp "$source_dir"/backends/imgui_impl_opengl3{.cpp,.h,_loader.h} "$prefix/share/imgui/backends/"
  version=$(sed -n 's/^#define IMGUI_VERSION *"\(.*\)"$/\1/p' "$source_dir/imgui.h")
  cat >"$prefix/lib/pkgconfig/imgui.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include/imgui

Name: imgui
Description: Dear ImGui's core, static, with stb_truetype and stb_rect_pack inside
Version: $version
Libs: -L\${libdir} -limgui
Cflags: -I\${includedir}
PC
}
