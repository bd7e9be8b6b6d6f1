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
