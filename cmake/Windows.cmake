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

# The system's folders name the Win32 API families they use as the emulated
# PC calls its libraries; on Windows each name stands for the system's
# import libraries of that family.
add_library(win32_headers INTERFACE)
function(ravlin_system_family name)
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${ARGN})
endfunction()
ravlin_system_family(plat_kernel kernel32)
ravlin_system_family(plat_process kernel32)
ravlin_system_family(plat_shell shell32)
ravlin_system_family(plat_registry advapi32)
ravlin_system_family(plat_inf setupapi)
ravlin_system_family(plat_devinst setupapi cfgmgr32)
ravlin_system_family(plat_serial kernel32)
ravlin_system_family(plat_tapi tapi32)
ravlin_system_family(plat_resources user32)
ravlin_system_family(plat_user user32 comctl32)

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

# A resource script (.rc) compiled by windres into an object of the image,
# as for any Windows program; the files beside the script (headers, icons,
# manifests) are its dependencies.
#   ravlin_embed_resources(target script.rc [DEPENDS files...])
function(ravlin_embed_resources target rcfile)
  cmake_parse_arguments(E "" "" "DEPENDS" ${ARGN})
  get_filename_component(rc ${rcfile} ABSOLUTE)
  get_filename_component(rcdir ${rc} DIRECTORY)
  get_filename_component(base ${rc} NAME_WE)
  set(object ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}.res.obj)
  file(GLOB_RECURSE inputs ${rcdir}/*.h ${rcdir}/*.ico ${rcdir}/*.manifest ${rcdir}/*.bmp)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER}
            --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E --preprocessor-arg=-xc
            --preprocessor-arg=-DRC_INVOKED
            -I ${rcdir} -I ${RAVLIN_GENERATED_DIR} -O coff -i ${rc} -o ${object}
    WORKING_DIRECTORY ${rcdir}
    DEPENDS ${rc} ${inputs} ${E_DEPENDS} ${RAVLIN_GENERATED_DIR}/RavlinVersion.h
    COMMENT "Compiling resources ${base}.rc"
    VERBATIM)
  target_sources(${target} PRIVATE ${object})
  set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
endfunction()
