# Helpers shared by every folder's CMakeLists.txt.

# Warnings for the project's own code.
function(ravlin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# A static library of the platform layer or the system.
#   ravlin_library(name SOURCES a.cpp b.cpp LIBS dep1 dep2)
function(ravlin_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_link_libraries(${name} PUBLIC ${L_LIBS})
  ravlin_warnings(${name})
endfunction()

# A GoogleTest executable registered with CTest. Tests carry the label
# "unit" unless LABELS says otherwise (e2e tests run outside the sanitizer
# build). The working directory is a scratch folder of the test's own.
# Suites that test through the emulated PC are built on Linux only; WINDOWS
# marks a suite that also builds as a Windows program.
#   ravlin_gtest(name SOURCES t.cpp LIBS lib LABELS unit [WINDOWS])
function(ravlin_gtest name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT RAVLIN_TESTS OR (WIN32 AND NOT T_WINDOWS))
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE RAVLIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             RAVLIN_BIN_DIR="${RAVLIN_BIN_DIR}")
  ravlin_warnings(${name})
  set(workdir ${CMAKE_BINARY_DIR}/testwork/${name})
  file(MAKE_DIRECTORY ${workdir})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${workdir})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()

# A Google Benchmark executable (not a test: run by hand or by tools/bench).
function(ravlin_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT RAVLIN_BENCHMARKS OR NOT benchmark_FOUND)
    return()
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  target_compile_definitions(${name} PRIVATE RAVLIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  ravlin_warnings(${name})
endfunction()

# A libFuzzer target, built only with RAVLIN_FUZZERS=ON and clang.
function(ravlin_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT RAVLIN_FUZZERS)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  add_dependencies(fuzzers ${name})
endfunction()
