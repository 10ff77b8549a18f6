# Windows resource scripts (.rc), compiled by windres as for any Windows
# program, into the image they belong to:
# - in the Windows build, into an object of the image;
# - in the Linux build, into a .res file whose bytes are written into a
#   generated C++ source of the target. When the image is loaded, that code
#   registers the bytes with the platform under the image's HMODULE
#   (RavlinRegisterResources), so FindResourceA, LoadStringA and LoadIconA
#   find them. Executables link plat_resources for the registration; a
#   shared library (an applet) takes it from the program that loads it.
#
#   ravlin_embed_resources(target script.rc [DEPENDS files...])
#
# The files beside the script (headers, icons, manifests) are dependencies
# on their own; DEPENDS names others that the script reads.
#
# Run as a script (cmake -P) this file does the .res -> .cpp step.

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED RAVLIN_RES_INPUT)
  file(READ ${RAVLIN_RES_INPUT} hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR byteCount "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
         "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(WRITE ${RAVLIN_RES_OUTPUT}
"// Generated from ${RAVLIN_RES_SOURCE} by ravlin_embed_resources: the compiled
// resources of this image (${byteCount} bytes), registered while it is loaded.
extern \"C\" void RavlinRegisterResources(const void* anchor, const unsigned char* data, unsigned long size);
extern \"C\" void RavlinUnregisterResources(const void* anchor);

namespace {

alignas(4) const unsigned char kResources[] = {
${bytes}
};

struct ImageResources {
    ImageResources() { RavlinRegisterResources(kResources, kResources, sizeof(kResources)); }
    ~ImageResources() { RavlinUnregisterResources(kResources); }
    ImageResources(const ImageResources&) = delete;
    ImageResources& operator=(const ImageResources&) = delete;
} g_imageResources;

} // namespace
")
  return()
endif()

if(WIN32)
  set(RAVLIN_WINDRES ${CMAKE_RC_COMPILER})
else()
  find_program(RAVLIN_WINDRES NAMES x86_64-w64-mingw32-windres windres)
  if(NOT RAVLIN_WINDRES)
    message(FATAL_ERROR
      "windres was not found. The resource scripts (.rc) are compiled with it: "
      "install the package binutils-mingw-w64-x86-64 (x86_64-w64-mingw32-windres) "
      "or point RAVLIN_WINDRES at a windres.")
  endif()
endif()

set(RAVLIN_RESOURCES_CMAKE ${CMAKE_CURRENT_LIST_FILE})
get_filename_component(RAVLIN_WIN32_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/../platform/include ABSOLUTE)

function(ravlin_embed_resources target rcfile)
  cmake_parse_arguments(E "" "" "DEPENDS" ${ARGN})
  get_filename_component(rc ${rcfile} ABSOLUTE)
  get_filename_component(rcdir ${rc} DIRECTORY)
  get_filename_component(base ${rc} NAME_WE)
  # Everything a script can pull in lies beside it: headers, icons, manifests.
  file(GLOB_RECURSE inputs ${rcdir}/*.h ${rcdir}/*.ico ${rcdir}/*.manifest ${rcdir}/*.bmp)
  # RavlinVersion.h: the version, generated from project(VERSION).
  set(windres ${RAVLIN_WINDRES}
      --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E --preprocessor-arg=-xc
      --preprocessor-arg=-DRC_INVOKED -I ${rcdir} -I ${RAVLIN_GENERATED_DIR})
  if(WIN32)
    # MinGW's own winres.h and Windows headers.
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}.res.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${windres} -O coff -i ${rc} -o ${object}
      WORKING_DIRECTORY ${rcdir}
      DEPENDS ${rc} ${inputs} ${E_DEPENDS} ${RAVLIN_GENERATED_DIR}/RavlinVersion.h
      COMMENT "Compiling resources ${base}.rc"
      VERBATIM)
    target_sources(${target} PRIVATE ${object})
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    return()
  endif()
  # The emulated PC's winres.h and Win32 headers.
  set(res ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}.res)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}_res.cpp)
  add_custom_command(OUTPUT ${res}
    COMMAND ${windres} -I ${RAVLIN_WIN32_INCLUDE} -O res -i ${rc} -o ${res}
    WORKING_DIRECTORY ${rcdir}
    DEPENDS ${rc} ${inputs} ${E_DEPENDS} ${RAVLIN_GENERATED_DIR}/RavlinVersion.h ${RAVLIN_WIN32_INCLUDE}/winres.h
    COMMENT "Compiling resources ${base}.rc"
    VERBATIM)
  add_custom_command(OUTPUT ${cpp}
    COMMAND ${CMAKE_COMMAND} -DRAVLIN_RES_INPUT=${res} -DRAVLIN_RES_OUTPUT=${cpp} -DRAVLIN_RES_SOURCE=${base}.rc
            -P ${RAVLIN_RESOURCES_CMAKE}
    DEPENDS ${res} ${RAVLIN_RESOURCES_CMAKE}
    VERBATIM)
  target_sources(${target} PRIVATE ${cpp})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_libraries(${target} PRIVATE plat_resources)
  endif()
endfunction()
