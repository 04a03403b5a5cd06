# GoogleTest for both builds, and the Wine test bench of the Windows build.
#
# Windows: every test program runs under Wine through the cross-compiling emulator, in a prefix that
# lives in this build tree. The fixture "wine" prepares that prefix, starts Xvfb and a persistent
# wineserver before the first test that needs it, and stops both after the last one.

include(CTest)

if(WIN32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  # googletest defines the GTest:: aliases itself.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Debug information makes the cross-built tests half as slow again to compile and link, and Wine
  # runs them without a debugger: they and their framework are built without it.
  set(TV_TEST_COMPILE_OPTIONS -g0)
  target_compile_options(gtest PRIVATE ${TV_TEST_COMPILE_OPTIONS})
  target_compile_options(gtest_main PRIVATE ${TV_TEST_COMPILE_OPTIONS})

  set(TV_SOURCE_DIR ${PROJECT_SOURCE_DIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

  add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh start ${CMAKE_BINARY_DIR})
  add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  find_package(GTest REQUIRED)
endif()

# tv_add_gtest(NAME <target> SOURCES <files...> [LIBS <targets...>] [SLOW])
# Builds one test program and registers it with ctest as one test: one process per program, which
# under Wine saves a prefix start per case. SLOW programs (the end-to-end ones) are started first so
# that a parallel run does not end waiting on them.
function(tv_add_gtest)
  cmake_parse_arguments(T "SLOW" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE tv_options GTest::gtest_main ${T_LIBS})
  target_compile_options(${T_NAME} PRIVATE ${TV_TEST_COMPILE_OPTIONS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  set(props TIMEOUT 180)
  if(T_SLOW)
    list(APPEND props COST 1000)
  endif()
  if(WIN32)
    list(APPEND props FIXTURES_REQUIRED wine)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ${props})
endfunction()
