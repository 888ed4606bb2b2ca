# The libraries' dependencies as interface targets: the shared libraries, or,
# for a target whose ZORVIK_STATIC_DEPS property is on (the command), their
# static archives in link order, so that it starts without loading them.
#
# zorvik_dependency(NAME SHARED target... ARCHIVES name...)
function(zorvik_dependency name)
  cmake_parse_arguments(DEP "" "" "SHARED;ARCHIVES" ${ARGN})
  set(archives "")
  foreach(a IN LISTS DEP_ARCHIVES)
    find_library(ZORVIK_ARCHIVE_${a} NAMES lib${a}.a)
    if(NOT ZORVIK_ARCHIVE_${a})
      set(archives "")
      break()
    endif()
    list(APPEND archives ${ZORVIK_ARCHIVE_${a}})
  endforeach()
  add_library(zorvik_dep_${name} INTERFACE)
  set(static "$<BOOL:$<TARGET_PROPERTY:ZORVIK_STATIC_DEPS>>")
  if(archives)
    list(APPEND archives m)
    target_link_libraries(zorvik_dep_${name} INTERFACE
      "$<${static}:${archives}>"
      "$<$<NOT:${static}>:${DEP_SHARED}>")
  else()
    target_link_libraries(zorvik_dep_${name} INTERFACE ${DEP_SHARED})
  endif()
  install(TARGETS zorvik_dep_${name} EXPORT ZorvikTargets)
endfunction()
