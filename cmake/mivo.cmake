# Small helpers shared by the project's CMake files.

# mivo_library(NAME SOURCES... [DEPS libs...])
# One static library per subsystem folder; headers are included as "subsystem/file.hpp".
function(mivo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# mivo_test(NAME SOURCES... DEPS libs...)
# A GoogleTest program, registered with CTest and with the mivo_tests target.
function(mivo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    MIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}" MIVO_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  add_dependencies(mivo_tests ${name})
endfunction()

# mivo_fuzz(NAME SOURCE DEPS libs...)
# With MIVO_LIBFUZZER a libFuzzer program; otherwise the same entry point linked
# with a replay driver that runs every file of fuzz/corpus/NAME, as a test.
function(mivo_fuzz name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  if(MIVO_LIBFUZZER)
    add_executable(${name} ${source})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(mivo_fuzzers ${name})
  else()
    add_executable(${name} ${source} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME ${name}_replay COMMAND ${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    add_dependencies(mivo_tests ${name})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# mivo_bench(NAME SOURCES... DEPS libs...)
function(mivo_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  add_dependencies(mivo_benchmarks ${name})
endfunction()
