# Helpers shared by every folder's CMakeLists.txt.

if(WIN32)
  # The unit suites that also build as Windows programs (tests/wine runs them).
  add_custom_target(windows_suites)
endif()

# Warnings for the project's own code; fatal with RAVLIN_WARNINGS_AS_ERRORS
# (the Windows presets, whose build is also the check of the system's
# folders against MinGW's Windows headers).
function(ravlin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${RAVLIN_WARNINGS_AS_ERRORS}>:-Werror>)
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
# "unit" unless LABELS says otherwise; the suites that start threads add
# "threads" (run first, without retry, and under ThreadSanitizer). The
# working directory is a scratch folder of the test's own. Suites that test
# through the emulated PC are built on Linux only; WINDOWS marks a suite that
# also builds as a Windows program (the target windows_suites builds them
# all, for the Wine test). INCLUDES adds private include folders; RESOURCES
# embeds a resource script (DEPENDS: further files it reads).
#   ravlin_gtest(name SOURCES t.cpp LIBS lib [LABELS unit threads] [WINDOWS]
#                [INCLUDES dir...] [RESOURCES script.rc [DEPENDS file...]])
function(ravlin_gtest name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT;RESOURCES" "SOURCES;LIBS;LABELS;INCLUDES;DEPENDS" ${ARGN})
  if(NOT RAVLIN_TESTS OR (WIN32 AND NOT T_WINDOWS))
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE RAVLIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             RAVLIN_BIN_DIR="${RAVLIN_BIN_DIR}")
  target_include_directories(${name} PRIVATE ${T_INCLUDES})
  ravlin_warnings(${name})
  if(T_RESOURCES)
    ravlin_embed_resources(${name} ${T_RESOURCES} DEPENDS ${T_DEPENDS})
  endif()
  if(WIN32)
    add_dependencies(windows_suites ${name})
  endif()
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

# A libFuzzer target, built only with RAVLIN_FUZZERS=ON and clang, and
# registered with CTest (label "fuzz") as a bounded run on a copy of its seed
# corpus (CORPUS, default fuzz/corpus beside the CMakeLists.txt) for
# $RAVLIN_FUZZ_SECONDS (tools/run-fuzzers.sh).
#   ravlin_fuzzer(name SOURCES f.cpp LIBS lib [INCLUDES dir...] [CORPUS dir])
function(ravlin_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS;INCLUDES" ${ARGN})
  if(NOT RAVLIN_FUZZERS)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${F_INCLUDES})
  add_dependencies(fuzzers ${name})
  if(NOT F_CORPUS)
    set(F_CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus)
  endif()
  get_filename_component(corpus ${F_CORPUS} ABSOLUTE)
  add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tools/run-fuzzers.sh $<TARGET_FILE:${name}> ${corpus})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()
