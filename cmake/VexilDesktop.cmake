# Man pages, bash completion, the desktop entry, the MIME types and the icon.
find_program(GZIP_PROGRAM gzip REQUIRED)

# Written by hand in man/, with the version and the installed folders filled in; installed
# compressed, as Debian's policy wants them (gzip -n: no time stamp, the same bytes each build).
set(VEXIL_PKGLIBDIR ${CMAKE_INSTALL_FULL_LIBDIR}/vexil)
set(VEXIL_DEMODIR ${CMAKE_INSTALL_FULL_DATADIR}/vexil/demo)
set(VEXIL_MAN_PAGES)
foreach(page vexil.1 vexil-gma.1 vexil-join.1)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND ${GZIP_PROGRAM} -9nf -k ${CMAKE_BINARY_DIR}/man/${page}
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}
    COMMENT "Compressing man page ${page}")
  list(APPEND VEXIL_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(vexil_man_pages ALL DEPENDS ${VEXIL_MAN_PAGES})
install(FILES ${VEXIL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES dist/completion/vexil dist/completion/vexil-gma dist/completion/vexil-join
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES dist/vexil.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/vexil-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME vexil.xml)
install(FILES dist/vexil.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
