# The Debian package: `cpack -G DEB` in the build folder writes vexil_VERSION_ARCH.deb.
#
# Its dependencies come from the libraries the programs and libraries link (dpkg-shlibdeps),
# worked out when cpack runs (cmake/VexilDebDepends.cmake). The video library is the
# exception: the player loads it only for --video, so FFmpeg's libraries it links become a
# recommendation, and without them the player says what to install.
install(FILES dist/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(VEXIL_DEB_CHANGELOG ${CMAKE_BINARY_DIR}/dist/changelog.gz)
configure_file(dist/changelog ${CMAKE_BINARY_DIR}/dist/changelog @ONLY)
add_custom_command(OUTPUT ${VEXIL_DEB_CHANGELOG}
  COMMAND ${GZIP_PROGRAM} -9nf -k ${CMAKE_BINARY_DIR}/dist/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog)
add_custom_target(vexil_changelog ALL DEPENDS ${VEXIL_DEB_CHANGELOG})
install(FILES ${VEXIL_DEB_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexil)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the vexil developers")
set(CPACK_PACKAGE_CONTACT "vexil developers <vexil-maintainers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo player")
set(CPACK_PACKAGE_DESCRIPTION
  "vexil plays real-time demos: a timeline of rendered effects with music,\n"
  "described by an XML script or a .gma container. It renders with OpenGL\n"
  "behind its own Direct3D-9-compatible layer and plays the music through SDL.\n"
  "It also renders demos to PNG frames, videos and golden hashes, checks\n"
  "scripts, and reloads a demo while it is being edited.\n"
  "The package holds the showcase demo, and the headers, pkg-config file and\n"
  "CMake package for writing effect libraries.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vexil.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(VEXIL_DEB_SHLIBDEPS_BINARIES)
foreach(target IN LISTS VEXIL_INSTALLED_PROGRAMS VEXIL_INSTALLED_LIBRARIES)
  if(NOT target STREQUAL "vexil_video")
    list(APPEND VEXIL_DEB_SHLIBDEPS_BINARIES $<TARGET_FILE:${target}>)
  endif()
endforeach()
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/dist/deb-depends-input.cmake CONTENT
  "set(VEXIL_DEB_BINARIES \"${VEXIL_DEB_SHLIBDEPS_BINARIES}\")\n\
set(VEXIL_DEB_RECOMMENDED \"$<TARGET_FILE:vexil_video>\")\n\
set(VEXIL_DEB_PRIVATE_DIR \"$<TARGET_FILE_DIR:scenecore>\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/dist/VexilDebDepends.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/VexilDebDepends.cmake.in
  ${CMAKE_BINARY_DIR}/dist/VexilDebDepends.cmake @ONLY)
include(CPack)
