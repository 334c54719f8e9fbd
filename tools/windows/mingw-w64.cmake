# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# since the loading worker uses std::thread). Libraries are looked up only in
# the prefix that tools/windows.sh fills and in MinGW's own sysroot, never
# among the build machine's Linux libraries.
#   cmake -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64.cmake -DVORLUNE_WINDOWS_PREFIX=<prefix> ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLUNE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLUNE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLUNE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLUNE_MINGW_TRIPLE}-windres)

# try_compile projects do not see the cache, so the prefix travels in the
# environment as well.
if(NOT VORLUNE_WINDOWS_PREFIX AND DEFINED ENV{VORLUNE_WINDOWS_PREFIX})
  set(VORLUNE_WINDOWS_PREFIX $ENV{VORLUNE_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH ${VORLUNE_WINDOWS_PREFIX} /usr/${VORLUNE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads only the prefix's .pc files: the build machine's would
# hand over Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${VORLUNE_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The GCC runtime, libstdc++ and winpthread go into each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Programs built here run under Wine on the build machine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
