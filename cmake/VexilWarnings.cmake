# The warnings of our own code, as an interface target every target of ours links privately.
# Third-party sources compiled into the player (the Dear ImGui backends) do not link it.
add_library(vexil_warnings INTERFACE)
target_compile_options(vexil_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor
  $<$<BOOL:${VEXIL_WERROR}>:-Werror>)

# vexil_use_warnings(target...): the warnings above for each of our targets.
function(vexil_use_warnings)
  foreach(target IN LISTS ARGN)
    target_link_libraries(${target} PRIVATE vexil_warnings)
  endforeach()
endfunction()

# vexil_check_warnings(dir): fails the configure when one of our compiled targets under dir does
# not link vexil_warnings, so a new target cannot quietly build without them. Third-party code
# marks its target with the VEXIL_THIRD_PARTY property.
function(vexil_check_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(third_party ${target} VEXIL_THIRD_PARTY)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
       OR third_party)
      continue()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT "vexil_warnings" IN_LIST links)
      message(SEND_ERROR "target ${target} (${dir}) does not link vexil_warnings; "
        "add vexil_use_warnings(${target})")
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    vexil_check_warnings(${subdir})
  endforeach()
endfunction()
