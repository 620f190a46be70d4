# System libraries that the main window does not need before it shows are bound on their first call instead of
# when the process starts: loading them (and what they load) costs a good part of a bare window's start.
# Each becomes a target qvrx_delayed_<name>, which names the plain library after the delay-import one, so that a
# function missing from cmake/delay_imports/<name>.def is still found (and imported at start).
find_program(QVRX_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool)

function(qvrx_delay_import name)
  add_library(qvrx_delayed_${name} INTERFACE)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delay_imports/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay_imports/lib${name}_delayed.a)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  if(QVRX_DLLTOOL)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay_imports)
    execute_process(COMMAND ${QVRX_DLLTOOL} --input-def ${def} --output-delaylib ${lib} RESULT_VARIABLE failed)
  endif()
  if(QVRX_DLLTOOL AND NOT failed)
    target_link_libraries(qvrx_delayed_${name} INTERFACE ${lib} delayimp ${name})
  else()
    message(WARNING "No delay-import library for ${name}: it is loaded at start")
    target_link_libraries(qvrx_delayed_${name} INTERFACE ${name})
  endif()
endfunction()

foreach(name IN ITEMS comdlg32 mpr urlmon wininet)
  qvrx_delay_import(${name})
endforeach()
