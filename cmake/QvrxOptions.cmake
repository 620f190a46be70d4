# Compile and link settings shared by every target of the program.
option(QVRX_BUILD_TESTS "Build the GoogleTest executables" ON)
option(QVRX_BUILD_BENCH "Build the benchmark programs" ON)

add_library(qvrx_options INTERFACE)
target_compile_definitions(qvrx_options INTERFACE
  UNICODE _UNICODE NOMINMAX STRICT
  WINVER=0x0A00 _WIN32_WINNT=0x0A00 _WIN32_IE=0x0A00 NTDDI_VERSION=0x0A000000)
target_compile_options(qvrx_options INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>)
target_include_directories(qvrx_options INTERFACE ${PROJECT_SOURCE_DIR})

# Without a static runtime Wine cannot find the mingw DLLs and the program exits silently.
add_link_options(-static)

# A folder library: every .cpp of the folder; an interface library while the folder is still empty.
function(qvrx_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(sub IN LISTS ARGN)
    file(GLOB more CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
    list(APPEND sources ${more})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC qvrx_options)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE qvrx_options)
  endif()
endfunction()

# Links a folder library to others, whatever kind it currently is.
function(qvrx_link name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# What the resource script reads besides itself: the pictures, the included scripts of dialogs and the headers
# of resource numbers. windres leaves no dependency list, so a change to any of them must rebuild the script
# explicitly.
file(GLOB QVRX_RESOURCE_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/images/*
  ${PROJECT_SOURCE_DIR}/resources/dialogs/*.rc)
list(APPEND QVRX_RESOURCE_PICTURES ${PROJECT_SOURCE_DIR}/resources/qvrx.manifest
  ${PROJECT_SOURCE_DIR}/foundation/ui/resource_ids.h ${PROJECT_SOURCE_DIR}/foundation/ui/command_ids.h
  ${PROJECT_SOURCE_DIR}/foundation/ui/module_dialog_ids.h)
function(qvrx_resource_script_depends_on_pictures)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/qvrx.rc PROPERTIES OBJECT_DEPENDS
    "${QVRX_RESOURCE_PICTURES}")
endfunction()

# A binary the program ships leaves its debugging information in <file>.debug beside it, which a debugger finds
# through the link the binary keeps: left inside, the loader maps all of it (10 MB for QVRX.exe) at every start.
function(qvrx_split_debug_info target)
  if(NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
