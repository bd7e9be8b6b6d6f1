# What `cmake --install` puts where, and the Debian package made from it (`cpack -G DEB`).
#
#   bin/                      vexil, vexil-gma and the demo's generators, vexil-join
#   lib/vexil/                the engine, the effect library, the platform libraries and the
#                             video library: the program's library folder, where the player
#                             looks for plug-ins first
#   include/vexil/            the headers an effect library is written against
#   lib/pkgconfig/            vexil-plugin.pc;  lib/cmake/vexil-plugin/: the CMake package
#   share/vexil/demo/         the bundled demo
#   share/doc/vexil/, share/man/man1/, desktop entry, MIME types, icon, bash completion
#
# Programs find the library folder through $ORIGIN, the libraries find each other the same
# way, so an installation works under any prefix and can be moved. Targets are named here
# rather than in their folders' CMakeLists so the source layout can change beneath.
include(GNUInstallDirs)

set(VEXIL_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/vexil)
set(VEXIL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vexil)
set(VEXIL_INSTALL_DEMODIR ${CMAKE_INSTALL_DATADIR}/vexil/demo)
file(RELATIVE_PATH VEXIL_BIN_TO_PKGLIB /${CMAKE_INSTALL_BINDIR} /${VEXIL_INSTALL_PKGLIBDIR})

set(VEXIL_INSTALLED_LIBRARIES scenecore effectpack vexil_d3d9 vexil_d3dx9 vexil_fsound
  vexil_system vexil_video)
set(VEXIL_INSTALLED_PROGRAMS vexil vexil-gma vexil-imagegen vexil-xmeshgen vexil-synth
  vexil-join)

set_target_properties(${VEXIL_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(${VEXIL_INSTALLED_PROGRAMS} PROPERTIES
  INSTALL_RPATH "$ORIGIN/${VEXIL_BIN_TO_PKGLIB}")
install(TARGETS ${VEXIL_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${VEXIL_INSTALLED_LIBRARIES}
  LIBRARY DESTINATION ${VEXIL_INSTALL_PKGLIBDIR} NAMELINK_SKIP)

# The bundled demo as the build makes it (demo/CMakeLists.txt): script, container, bundle,
# pictures, mesh, music and sync tracks; nothing a render may have left in the folder.
install(DIRECTORY ${CMAKE_BINARY_DIR}/demo/ DESTINATION ${VEXIL_INSTALL_DEMODIR}
  FILES_MATCHING PATTERN "demo.xml" PATTERN "demo.gma" PATTERN "demo.zip" PATTERN "*.png"
  PATTERN "*.x" PATTERN "*.ogg" PATTERN "*.track" PATTERN "capture" EXCLUDE PATTERN "CMakeFiles" EXCLUDE)

install(FILES README.md docs/ARCHITECTURE.md docs/INTERNALS.md docs/SCRIPTING.md docs/PLUGINS.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES demo/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME demo-README.md)
install(DIRECTORY examples/plugin DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

include(${CMAKE_CURRENT_LIST_DIR}/VexilDesktop.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/VexilSdk.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/VexilPackage.cmake)
