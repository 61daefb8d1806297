# Helpers shared by every subsystem's CMakeLists.txt.
#
#   lmr_library(<name> SOURCES <portable...> [POSIX <native-only...>] [WIN32 <windows-only...>]
#               [LIBS <targets...>] [WIN32_LIBS <system libs...>])
#   lmr_test(<name> SOURCES <files...> [LIBS <targets...>] [POSIX_ONLY] [WIN32_ONLY])
#
# A test is a GoogleTest executable registered with CTest. In the Windows
# configuration CTest runs it under Wine through CMAKE_CROSSCOMPILING_EMULATOR,
# in the one prefix that the wine_prefix fixture creates for the test run.

function(lmr_library name)
  cmake_parse_arguments(A "" "" "SOURCES;POSIX;WIN32;LIBS;WIN32_LIBS" ${ARGN})
  set(srcs ${A_SOURCES})
  if(WIN32)
    list(APPEND srcs ${A_WIN32})
  else()
    list(APPEND srcs ${A_POSIX})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  if(WIN32 AND A_WIN32_LIBS)
    target_link_libraries(${name} PUBLIC ${A_WIN32_LIBS})
  endif()
endfunction()

function(lmr_test name)
  cmake_parse_arguments(A "POSIX_ONLY;WIN32_ONLY" "" "SOURCES;LIBS" ${ARGN})
  if(A_POSIX_ONLY AND WIN32)
    return()
  endif()
  if(A_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} lmr_gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  if(WIN32 AND NOT LMR_WINE_TESTS)
    return()  # built, so it keeps compiling, but this host cannot run it
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "LMR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    TIMEOUT 300)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()
