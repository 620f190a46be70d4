# Tests run under Wine through scripts/wine-env, which keeps one private prefix, one Xvfb display
# and one persistent wineserver for the whole ctest run (fixture "wine").
enable_testing()
include(GoogleTest)

set(QVRX_WINE_ENV ${PROJECT_SOURCE_DIR}/scripts/wine-env)
set(QVRX_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QVRX_WINE_ENV};--state;${QVRX_WINE_STATE};run CACHE STRING "" FORCE)

if(QVRX_BUILD_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  add_test(NAME wine.start COMMAND ${QVRX_WINE_ENV} --state ${QVRX_WINE_STATE} start)
  add_test(NAME wine.stop COMMAND ${QVRX_WINE_ENV} --state ${QVRX_WINE_STATE} stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# One GoogleTest executable per folder: every .cpp under tests/<folder>, linked with the given libraries.
function(qvrx_test_executable name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  # The program's resources (manifest, dialogs, bitmaps) go into every test executable too, so tests see the
  # same common controls and Windows version as the program.
  # Every executable watches for faults its tests did not expect (tests/support/caught_faults.h).
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/caught_faults.cpp
                 ${PROJECT_SOURCE_DIR}/resources/qvrx.rc)
  qvrx_resource_script_depends_on_pictures()
  target_link_libraries(${name} PRIVATE ${ARGN} qvrx_test_support GTest::gmock GTest::gtest_main)
  # Tests that use a name every process of the machine shares carry that name in their own and take turns
  # with the others that do: "Registration" (the program's keys under the classes root) and "FileManager"
  # (the window class of the file manager).
  set(shared Registration FileManager)
  list(JOIN shared "*:*" sharedFilter)
  # The longest tests (10 000 files, long typing: over 10 s on a busy machine) carry the label "Slow" and a high
  # cost, so that ctest starts them first and they run beside the rest instead of after it.
  set(slow *TenThousand* ModuleDialogs.TypingAThousand*)
  list(JOIN slow ":" slowFilter)
  gtest_discover_tests(${name}
    TEST_FILTER "-*Interactive*:*${sharedFilter}*:${slowFilter}"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  gtest_discover_tests(${name}
    TEST_FILTER "${slowFilter}-*Interactive*:*${sharedFilter}*"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 LABELS Slow COST 1000)
  foreach(lock IN LISTS shared)
    gtest_discover_tests(${name}
      TEST_FILTER "*${lock}*-*Interactive*"
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK ${lock})
  endforeach()
  # Tests that need the keyboard focus or the foreground window (keys, mouse, pop-up menus) carry "Interactive" in
  # their names and run alone: every test shares one display, and a window another test shows takes the focus.
  gtest_discover_tests(${name}
    TEST_FILTER "*Interactive*"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()
