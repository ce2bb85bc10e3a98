# Helpers shared by the folders of the project.
include(GoogleTest)

# Every folder below the project root that has a CMakeLists.txt of its own is added,
# so a new area only needs its own file.
function(brindle_add_subdirectories parent)
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${parent} CONFIGURE_DEPENDS ${parent}/*)
  list(SORT entries)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${parent}/${entry} AND EXISTS ${parent}/${entry}/CMakeLists.txt)
      add_subdirectory(${parent}/${entry})
    endif()
  endforeach()
endfunction()

# brindle_test_suite(NAME LIBS lib... [ENVIRONMENT VAR=VALUE...])
# One GoogleTest executable from every *.cpp in the calling folder; each test case
# becomes its own CTest entry. Shared libraries of the build are found through
# LD_LIBRARY_PATH, the way a host finds them on the library search path.
function(brindle_test_suite NAME)
  cmake_parse_arguments(ARG "" "" "LIBS;ENVIRONMENT" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${NAME} ${srcs})
  target_link_libraries(${NAME} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${NAME} PRIVATE
    BRINDLE_BUILD_DIR="${CMAKE_BINARY_DIR}" BRINDLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # The test binaries run under `cmake -E env` (as their launcher), so the environment reaches
  # both test discovery and every test run whole; the discovery script would split a list.
  set_target_properties(${NAME} PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;LD_LIBRARY_PATH=${CMAKE_LIBRARY_OUTPUT_DIRECTORY};BRINDLE_BUILD_DIR=${CMAKE_BINARY_DIR};BRINDLE_SOURCE_DIR=${PROJECT_SOURCE_DIR};${ARG_ENVIRONMENT}")
  gtest_discover_tests(${NAME}
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 600)
endfunction()

# brindle_benchmark(NAME SOURCES src... LIBS lib...)
function(brindle_benchmark NAME)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${NAME} ${ARG_SOURCES})
  target_link_libraries(${NAME} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchmarks)
endfunction()
