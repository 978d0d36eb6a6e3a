# The web build (emscripten): SDL2, libpng, zlib and libjpeg-turbo come from a
# prefix built by scripts/build-web; GL is the browser's WebGL 2. Only the viewer
# and the libraries it links are built.
set(ORVIK_WEB_DEPS "" CACHE PATH "Install prefix of the web build's SDL2, libpng, zlib and libjpeg")
if(NOT ORVIK_WEB_DEPS OR NOT EXISTS "${ORVIK_WEB_DEPS}/lib/libSDL2.a")
  message(FATAL_ERROR "ORVIK_WEB_DEPS must name the prefix scripts/build-web fills (lib/libSDL2.a missing)")
endif()

function(orvik_web_library target)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${ARGN}")
endfunction()

orvik_web_library(ZLIB::ZLIB "${ORVIK_WEB_DEPS}/include")
target_link_libraries(ZLIB::ZLIB INTERFACE "${ORVIK_WEB_DEPS}/lib/libz.a")
orvik_web_library(PNG::PNG "${ORVIK_WEB_DEPS}/include")
target_link_libraries(PNG::PNG INTERFACE "${ORVIK_WEB_DEPS}/lib/libpng16.a" ZLIB::ZLIB)
orvik_web_library(JPEG::JPEG "${ORVIK_WEB_DEPS}/include")
target_link_libraries(JPEG::JPEG INTERFACE "${ORVIK_WEB_DEPS}/lib/libjpeg.a")
orvik_web_library(PkgConfig::SDL2 "${ORVIK_WEB_DEPS}/include/SDL2")
target_link_libraries(PkgConfig::SDL2 INTERFACE "${ORVIK_WEB_DEPS}/lib/libSDL2.a")
orvik_web_library(OpenGL::OpenGL "")
target_link_options(OpenGL::OpenGL INTERFACE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2)

set(ORVIK_FOLDERS
  platform/files platform/win32 platform/d3d8 platform/dmusic platform/dinput
  texload render music data input shell)
set(ORVIK_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(ORVIK_BUILD_BENCH OFF CACHE BOOL "" FORCE)
