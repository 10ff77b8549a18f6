# The Windows build (MinGW-w64, cmake/toolchains/): the system and the
# framework's Windows implementation, linked against the system's own
# libraries, with static C and C++ runtimes so that no compiler DLL travels
# with the deliverables. The emulated PC (platform/) is not part of it.

add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)

# Header-only libraries of the build machine, offered to the cross compiler
# one folder at a time, so that none of the host's other headers can hide
# MinGW's.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(folder boost nlohmann)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run tools/install-deps.sh")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${host_headers}/${folder} SYMBOLIC)
endforeach()
add_library(ravlin_host_headers INTERFACE)
target_include_directories(ravlin_host_headers SYSTEM INTERFACE ${host_headers})
add_library(Boost::headers ALIAS ravlin_host_headers)
add_library(nlohmann_json::nlohmann_json ALIAS ravlin_host_headers)

# GoogleTest from Debian's sources, built by the cross compiler.
if(RAVLIN_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(lib gtest gmock gtest_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
endif()
