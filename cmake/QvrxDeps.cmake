# Third-party libraries, cross-built as static libraries into QVRX_DEPS_PREFIX by scripts/deps.
set(QVRX_DEPS_PREFIX "$ENV{QVRX_DEPS_PREFIX}" CACHE PATH "Prefix of the cross-built dependencies (scripts/deps)")
if(NOT QVRX_DEPS_PREFIX OR NOT EXISTS "${QVRX_DEPS_PREFIX}/lib/pkgconfig")
  message(FATAL_ERROR "Dependencies not found in '${QVRX_DEPS_PREFIX}': run scripts/deps and pass its prefix")
endif()

find_program(QVRX_PKG_CONFIG NAMES x86_64-w64-mingw32-pkg-config REQUIRED)

# An interface target carrying the static compile and link flags of some pkg-config modules.
function(qvrx_pkg_target target)
  set(env "PKG_CONFIG_LIBDIR=${QVRX_DEPS_PREFIX}/lib/pkgconfig:${QVRX_DEPS_PREFIX}/share/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${env} ${QVRX_PKG_CONFIG} --static --cflags ${ARGN}
    OUTPUT_VARIABLE cflags RESULT_VARIABLE rc1 ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${env} ${QVRX_PKG_CONFIG} --static --libs ${ARGN}
    OUTPUT_VARIABLE libs RESULT_VARIABLE rc2 ERROR_VARIABLE err2 OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN}: ${err}${err2}")
  endif()
  separate_arguments(cflags UNIX_COMMAND "${cflags}")
  separate_arguments(libs UNIX_COMMAND "${libs}")
  add_library(${target} INTERFACE)
  target_compile_options(${target} INTERFACE ${cflags})
  target_link_libraries(${target} INTERFACE ${libs})
endfunction()

qvrx_pkg_target(qvrx_dep_regex libpcre2-8)
qvrx_pkg_target(qvrx_dep_images libpng16 libjpeg libtiff-4 libwebp libopenjp2 libraw libmng)
qvrx_pkg_target(qvrx_dep_audio vorbis ogg flac)
