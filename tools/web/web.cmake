# The viewer as a web page: WebAssembly and WebGL2 through emscripten, built
# by tools/web.sh with emcmake. It makes build-web/site/: index.html (from
# shell.html), index.js, index.wasm and index.data, which any static file
# host serves, and the test page that the browser check drives (target
# vorlune_web_test_page). Zlib, Assimp, GLM and stb come from
# VORLUNE_WEB_PREFIX, where tools/web.sh builds them from Debian's sources;
# the shaders and models come from VORLUNE_WEB_DATA, data/ with the shaders
# made GLSL ES 3.00.
set(VORLUNE_WEB_PREFIX "" CACHE PATH "zlib, Assimp, GLM and stb built for the web")
set(VORLUNE_WEB_DATA "" CACHE PATH "the page's data/ folder, shaders converted")
if(NOT VORLUNE_WEB_PREFIX OR NOT VORLUNE_WEB_DATA)
  message(FATAL_ERROR "The web build needs VORLUNE_WEB_PREFIX and VORLUNE_WEB_DATA: run tools/web.sh")
endif()

# The most the page's heap may grow to: the loading limits are cut from it
# (src/loading/request/load_request.h). The hallway needs well under 100 MiB; a
# quarter of the 4 GiB a 32-bit page can address leaves room for heavier
# models without asking a phone for more than it has.
set(VORLUNE_WEB_HEAP_MAXIMUM 1073741824)

# tools/web.sh adds the prefix to CMAKE_FIND_ROOT_PATH: Emscripten's
# toolchain searches nowhere else.
find_package(assimp REQUIRED CONFIG)

file(GLOB_RECURSE VORLUNE_WEB_SOURCES CONFIGURE_DEPENDS src/*.cpp)
# Not the desktop's entry point, nor the worker process (src/worker/): a
# page can start no process, so its requests run in the page
# (src/loading/loader.h), their allocations counted by the worker's own
# operator new.
list(FILTER VORLUNE_WEB_SOURCES EXCLUDE REGEX ".*/src/app/main\\.cpp$")
list(FILTER VORLUNE_WEB_SOURCES EXCLUDE REGEX ".*/src/worker/.*")
# The web's imgui library (tools/web.sh) keeps stb's font code inside it.
list(FILTER VORLUNE_WEB_SOURCES EXCLUDE REGEX ".*/src/render/stb_font_packing\\.cpp$")
list(APPEND VORLUNE_WEB_SOURCES src/worker/counting_new.cpp)

# The viewer's code, compiled once for the shipped page and the test page.
add_library(vorlune_web_code OBJECT ${VORLUNE_WEB_SOURCES})
target_include_directories(vorlune_web_code PUBLIC src)
target_include_directories(vorlune_web_code SYSTEM PUBLIC "${VORLUNE_WEB_PREFIX}/include"
                           "${VORLUNE_WEB_PREFIX}/include/stb")
target_compile_definitions(vorlune_web_code PUBLIC VORLUNE_WEB_HEAP_MAXIMUM=${VORLUNE_WEB_HEAP_MAXIMUM}ULL)
# Exceptions on, as Assimp was built: without them a malformed model would
# end the page instead of being reported.
# EM_ASM, the way C++ reaches the page, writes its arguments $0, $1...
target_compile_options(vorlune_web_code PUBLIC -Wall -Wextra -Wpedantic -Wno-dollar-in-identifier-extension
                       -fexceptions)
# Dear ImGui for the overlay, and its OpenGL 3 renderer's source, which
# src/render/imgui_opengl3.cpp compiles for WebGL 2.
target_include_directories(vorlune_web_code SYSTEM PUBLIC "${VORLUNE_WEB_PREFIX}/include/imgui"
                           "${VORLUNE_WEB_PREFIX}/share/imgui/backends")
set_source_files_properties(src/render/imgui_opengl3.cpp PROPERTIES
  COMPILE_DEFINITIONS "VORLUNE_IMGUI_OPENGL3_BACKEND=\"${VORLUNE_WEB_PREFIX}/share/imgui/backends/imgui_impl_opengl3.cpp\""
  COMPILE_OPTIONS "-w")
target_link_libraries(vorlune_web_code PUBLIC assimp::assimp "${VORLUNE_WEB_PREFIX}/lib/libimgui.a")

# A page: index.html (from shell.html), index.js, index.wasm and index.data
# in `directory`, made of the viewer's code and the sources after the
# arguments. The data package is made at link time: a changed model or
# shader links again.
file(GLOB_RECURSE VORLUNE_WEB_DATA_FILES CONFIGURE_DEPENDS "${VORLUNE_WEB_DATA}/*")
function(vorlune_web_page target directory)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE vorlune_web_code)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME index SUFFIX .html RUNTIME_OUTPUT_DIRECTORY "${directory}")
  target_link_options(${target} PRIVATE
    -fexceptions
    -sUSE_GLFW=3
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=${VORLUNE_WEB_HEAP_MAXIMUM}
    -sENVIRONMENT=web
    "--preload-file=${VORLUNE_WEB_DATA}@/data"
    "--shell-file=${PROJECT_SOURCE_DIR}/tools/web/shell.html"
    -sMINIFY_HTML=0)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${PROJECT_SOURCE_DIR}/tools/web/shell.html"
               ${VORLUNE_WEB_DATA_FILES})
endfunction()

# The page a visitor gets: it exports no function of its own, and no runtime
# method, since shell.html calls none.
vorlune_web_page(vorlune_web "${CMAKE_BINARY_DIR}/site")

# The page tools/web/check.mjs drives: the same page with the test hooks
# (tools/web/test_page), which render as the capture program does and judge
# a change as the reference images are judged, and the runtime methods the
# check calls (the file system, to hand renders out and to break a model).
vorlune_web_page(vorlune_web_test_page "${CMAKE_BINARY_DIR}/test_page" tools/web/test_page/page_hooks.cpp
                 tools/capture/capture_options.cpp tools/capture/png_file.cpp)
target_include_directories(vorlune_web_test_page PRIVATE tools tests)
target_link_options(vorlune_web_test_page PRIVATE -sEXPORTED_RUNTIME_METHODS=ccall,FS)
