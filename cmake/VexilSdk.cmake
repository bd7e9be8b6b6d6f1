# The plug-in SDK: the headers an effect library includes, a pkg-config file and a CMake
# package, all relative to wherever the installation lands.
set(VEXIL_SDK_ENGINE_HEADERS
  scenecore.h
  script/linkedlist.h script/plugin.h script/script_finding.h script/widgetmanager.h
  script/xmlhandler.h
  params/dataprovider.h params/param.h params/paramkeyed.h params/paramsync.h params/paramvar.h
  params/synccontext.h params/synctrack.h params/value.h
  timeline/demodevice.h timeline/module.h timeline/resource.h timeline/resourcemanager.h
  timeline/statescope.h timeline/texturemanager.h timeline/timeline.h)
set(VEXIL_SDK_PLATFORM_HEADERS
  d3d9/com_ptr.h d3d9/d3d9.h d3d9/d3d9types.h d3d9/unknwn.h d3d9/windef.h
  d3dx9/d3dx9.h d3dx9/d3dx9buffer.h d3dx9/d3dx9err.h d3dx9/d3dx9font.h d3dx9/d3dx9math.h
  d3dx9/d3dx9mesh.h d3dx9/d3dx9tex.h)
foreach(header IN LISTS VEXIL_SDK_ENGINE_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES engine/${header} DESTINATION ${VEXIL_INSTALL_INCLUDEDIR}/${folder})
endforeach()
foreach(header IN LISTS VEXIL_SDK_PLATFORM_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES platform/${header} DESTINATION ${VEXIL_INSTALL_INCLUDEDIR}/${folder})
endforeach()

# What a plug-in links: the engine (its classes and tinyxml's), the device and D3DX. The
# player has them loaded already when it loads a plug-in; the link only records the names.
set(VEXIL_SDK_LIBRARIES scenecore vexil_d3dx9 vexil_d3d9)
string(REPLACE ";" " " VEXIL_SDK_LIBRARIES_SPACED "${VEXIL_SDK_LIBRARIES}")

set(VEXIL_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VEXIL_PC_TO_PREFIX /${VEXIL_PKGCONFIG_DIR} /)
string(REGEX REPLACE "/$" "" VEXIL_PC_TO_PREFIX "${VEXIL_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexil-plugin.pc.in
  ${CMAKE_BINARY_DIR}/sdk/vexil-plugin.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/vexil-plugin.pc DESTINATION ${VEXIL_PKGCONFIG_DIR})

include(CMakePackageConfigHelpers)
set(VEXIL_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vexil-plugin)
file(RELATIVE_PATH VEXIL_CMAKE_TO_PREFIX /${VEXIL_CMAKE_PACKAGE_DIR} /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexil-pluginConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk/vexil-pluginConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/vexil-pluginConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/vexil-pluginConfig.cmake
  ${CMAKE_BINARY_DIR}/sdk/vexil-pluginConfigVersion.cmake DESTINATION ${VEXIL_CMAKE_PACKAGE_DIR})
