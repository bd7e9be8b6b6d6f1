# Settings of the browser build, read before the libraries are looked for. The libraries
# come from VEXIL_WEB_PREFIX (scripts/web-libs.sh builds them there with emscripten), never
# from the system; Debian's stb headers are plain headers and serve as they are.
set(VEXIL_WEB_PREFIX "" CACHE PATH "Folder of the libraries built for the browser")
if(NOT VEXIL_WEB_PREFIX)
  message(FATAL_ERROR "The browser build needs -DVEXIL_WEB_PREFIX=<folder of the libraries "
                      "built by scripts/web-libs.sh>; scripts/web-build.sh sets it")
endif()
set(ENV{PKG_CONFIG_LIBDIR} "${VEXIL_WEB_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_FIND_ROOT_PATH "${VEXIL_WEB_PREFIX}")
list(APPEND CMAKE_PREFIX_PATH "${VEXIL_WEB_PREFIX}")
set(STB_INCLUDE_DIR /usr/include/stb CACHE PATH "Debian's stb headers")
# One thread: the page's. Plug-ins are linked in, so every library is a static one.
set(BUILD_SHARED_LIBS OFF)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
# Sources that write <stb/...> find Debian's stb headers through a folder of their own: the
# rest of /usr/include must stay out of a browser build.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/web-include)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/web-include/stb SYMBOLIC)
include_directories(SYSTEM ${CMAKE_BINARY_DIR}/web-include)
